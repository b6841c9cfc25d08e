#include "tools/vskgen/survey_generator.h"

#include "tools/vskgen/replace_file.h"

#include "vsktools/vsk_layout.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <numbers>

namespace vskgen {

namespace {

constexpr double SOUND_SPEED = 1500.0;           // m/s, water
constexpr double SEDIMENT_SOUND_SPEED = 1650.0;  // m/s, below the seabed
constexpr double KNOTS = 0.514444;               // m/s per knot
constexpr double METRES_PER_DEGREE = 111320.0;   // of latitude
constexpr double START_LATITUDE = 57.61;
constexpr double START_LONGITUDE = 11.72;
constexpr double START_EASTING = 512000.0;
constexpr double START_NORTHING = 6384000.0;
constexpr double TWO_PI = 2.0 * std::numbers::pi;
constexpr double DEGREES = 180.0 / std::numbers::pi;

// The line starts shortly before midnight so that even a short survey runs
// into the next day.
constexpr int START_YEAR = 2024;
constexpr int START_DAY_OF_YEAR = 169;  // 17 June
constexpr double START_SECOND_OF_DAY = 23 * 3600 + 59 * 60 + 20;
constexpr double SECONDS_PER_DAY = 86400.0;
constexpr double PING_GAP = 0.05;  // s between the longest channel's end and the next ping

constexpr double SIDE_SCAN_RANGE_AT_100_KHZ = 150.0;  // m; range falls with the square root of frequency
constexpr double SUBBOTTOM_RANGE = 90.0;              // m of two-way travel covered
constexpr double TARGET_SEGMENT = 25.0;               // m of track that may hold one target
constexpr std::uint32_t LAYERS = 6;

// Texture and noise banks: powers of two so that indices wrap by mask.
constexpr std::uint32_t TILE_ROWS = 512;
constexpr std::uint32_t TILE_COLUMNS = 4096;
constexpr std::uint32_t NOISE_LENGTH = 8192;
constexpr std::uint32_t COARSE_ROWS = 16;
constexpr std::uint32_t COARSE_COLUMNS = 32;

// How often the odd things happen, per ping (and channel).
constexpr std::uint32_t RANGE_CHANGE_ODDS = 60;
constexpr std::uint32_t ZERO_COUNT_ODDS = 40;
constexpr double ALTIMETER_DROPOUT = 0.07;
constexpr std::uint32_t ATTITUDE_EVERY = 4;
constexpr std::uint32_t ANNOTATION_EVERY = 64;
// The line's opening annotation or navigation, the ping, attitude, an event.
constexpr std::size_t MOST_RECORDS_PER_PING = 4;

constexpr std::uint8_t RECORD_NAVIGATION = 1;
constexpr std::uint8_t RECORD_ATTITUDE = 2;
constexpr std::uint8_t RECORD_ANNOTATION = 3;
constexpr std::size_t ANNOTATION_BYTES = 32;
constexpr std::size_t NAVIGATION_BYTES = 32;

// splitmix64: tiny, and the same sequence on every platform.
class Random {
 public:
  explicit Random(std::uint64_t seed) : state_(seed) {}
  std::uint64_t next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  double uniform() { return static_cast<double>(next() >> 11) * 0x1.0p-53; }
  std::uint32_t below(std::uint32_t n) { return static_cast<std::uint32_t>(next() % n); }

 private:
  std::uint64_t state_;
};

std::uint64_t mix(std::uint64_t a, std::uint64_t b) { return Random(a * 0x100000001B3ull ^ b).next(); }

enum class Role { SideScan, Subbottom, Bathymetry };

struct ChannelModel {
  vsk::ChannelSpec spec;
  Role role = Role::SideScan;
  int side = 0;           // -1 port, +1 starboard, 0 neither: where targets show
  double interval = 0.0;  // s per sample, fixed; the count sets the range
  std::uint32_t nominal = 0;
  std::uint32_t setting = 0;  // current range setting, in samples
  std::uint32_t rowOffset = 0;
  std::uint32_t columnOffset = 0;
  std::vector<float> profile;      // by samples past the seabed (by sample for bathymetry)
  std::vector<float> firstReturn;  // side-scan: the seabed's first echo, by samples past it
};

struct Calendar {
  int year = START_YEAR;
  int dayOfYear = START_DAY_OF_YEAR;
};

bool isLeap(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

void monthAndDay(int year, int dayOfYear, std::uint8_t& month, std::uint8_t& day) {
  static constexpr int lengths[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  int left = dayOfYear;
  for (int m = 0; m < 12; ++m) {
    const int length = lengths[m] + (m == 1 && isLeap(year) ? 1 : 0);
    if (left <= length) {
      month = static_cast<std::uint8_t>(m + 1);
      day = static_cast<std::uint8_t>(left);
      return;
    }
    left -= length;
  }
}

float sideScanRange(float frequencyKHz) {
  const double f = std::max(1.0f, frequencyKHz);
  return static_cast<float>(std::clamp(SIDE_SCAN_RANGE_AT_100_KHZ * std::sqrt(100.0 / f), 20.0, 600.0));
}

std::string kindName(ChannelKind kind) {
  switch (kind) {
    case ChannelKind::Port:
      return "PORT";
    case ChannelKind::Starboard:
      return "STBD";
    case ChannelKind::Subbottom:
      return "SUBBOTTOM";
    case ChannelKind::Other:
      return "AUX";
  }
  return "AUX";
}

}  // namespace

std::string checkOptions(const SurveyOptions& options) {
  const std::size_t channels = 2 * options.pairFrequencies.size() + (options.subbottom ? 1 : 0) +
                               options.singles.size() + options.bathymetry.size();
  if (channels == 0) return "no channels chosen";
  if (channels > MAX_SURVEY_CHANNELS) {
    return "too many channels: " + std::to_string(channels) + " (at most " + std::to_string(MAX_SURVEY_CHANNELS) + ")";
  }
  if (options.bytesPerSample != 1 && options.bytesPerSample != 2) return "bits must be 8 or 16";
  if (options.samplesPerChannel < MIN_SAMPLES || options.samplesPerChannel > MAX_SAMPLES) {
    return "samples per channel must be " + std::to_string(MIN_SAMPLES) + " to " + std::to_string(MAX_SAMPLES);
  }
  auto badFrequency = [](float f) { return !(f > 0.0f && f < 10000.0f); };
  if (std::any_of(options.pairFrequencies.begin(), options.pairFrequencies.end(), badFrequency) ||
      (options.subbottom && badFrequency(options.subbottomFrequency)) ||
      std::any_of(options.singles.begin(), options.singles.end(),
                  [&](auto c) { return badFrequency(c.frequencyKHz); }) ||
      std::any_of(options.bathymetry.begin(), options.bathymetry.end(),
                  [&](auto c) { return badFrequency(c.frequencyKHz); })) {
    return "frequencies must lie above 0 and below 10000 kHz";
  }
  if (options.targetBytes == 0 && options.pingCount == 0) return "no pings to write";
  return {};
}

struct SurveyGenerator::Model {
  explicit Model(const SurveyOptions& o) : options(o), random(o.seed) {
    spec.navigationUnits = o.degrees ? 1 : 0;
    spec.recordingProgram = "vskgen 1.0";
    spec.surveyNote = "synthetic survey line, seed " + std::to_string(o.seed);
    full = o.bytesPerSample == 1 ? 235.0f : 30000.0f;
    ceiling = o.bytesPerSample == 1 ? 255.0f : 32767.0f;
    buildChannels();
    buildBanks();
    headingBase = random.uniform() * 360.0;
    headingPhase = random.uniform() * TWO_PI;
    depthPhase[0] = random.uniform() * TWO_PI;
    depthPhase[1] = random.uniform() * TWO_PI;
    for (double& phase : layerPhase) phase = random.uniform() * TWO_PI;
    laggedHeading = headingBase;
    pending.resize(MOST_RECORDS_PER_PING);
  }

  void addChannel(ChannelKind kind, float frequency, Role role, bool bathymetry, const std::string& name) {
    ChannelModel c;
    c.spec.type = static_cast<std::uint8_t>(kind);
    c.spec.subChannel = static_cast<std::uint8_t>(channels.size());
    c.spec.bytesPerSample = options.bytesPerSample;
    c.spec.samplesPerChannel = options.samplesPerChannel;
    c.spec.frequencyKHz = frequency;
    c.spec.name = name;
    c.role = role;
    c.side = kind == ChannelKind::Port ? -1 : kind == ChannelKind::Starboard ? 1 : 0;
    const double range = role == Role::Subbottom ? SUBBOTTOM_RANGE : sideScanRange(frequency);
    c.interval = 2.0 * range / SOUND_SPEED / options.samplesPerChannel;
    c.nominal = options.samplesPerChannel;
    c.setting = c.nominal;
    c.rowOffset = random.below(TILE_ROWS);
    c.columnOffset = random.below(TILE_COLUMNS);
    channels.push_back(std::move(c));
    (bathymetry ? spec.bathymetryChannels : spec.sonarChannels).push_back(channels.back().spec);
  }

  void buildChannels() {
    for (float f : options.pairFrequencies) {
      char label[16];
      std::snprintf(label, sizeof label, "%.0f", static_cast<double>(f));
      addChannel(ChannelKind::Port, f, Role::SideScan, false, std::string("PORT ") + label);
      addChannel(ChannelKind::Starboard, f, Role::SideScan, false, std::string("STBD ") + label);
    }
    if (options.subbottom)
      addChannel(ChannelKind::Subbottom, options.subbottomFrequency, Role::Subbottom, false, "SUBBOTTOM");
    for (const ChannelChoice& c : options.singles) {
      addChannel(c.kind, c.frequencyKHz, c.kind == ChannelKind::Subbottom ? Role::Subbottom : Role::SideScan, false,
                 kindName(c.kind));
    }
    for (const ChannelChoice& c : options.bathymetry) {
      addChannel(c.kind, c.frequencyKHz, Role::Bathymetry, true, "BATHY " + kindName(c.kind));
    }
    for (ChannelModel& c : channels) buildProfile(c);
  }

  std::uint32_t mostSamples() const {
    return options.samplesPerChannel + options.samplesPerChannel / 8 + options.samplesPerChannel / 64 + 1;
  }

  // The gain along a ping past the seabed: a first return that dies within a
  // few samples, then a seabed that brightens over the near range and falls
  // off towards the far range.
  void buildProfile(ChannelModel& c) const {
    const std::uint32_t n = mostSamples();
    const double nominal = c.nominal;
    c.profile.resize(n);
    c.firstReturn.assign(n, 0.0f);
    for (std::uint32_t k = 0; k < n; ++k) {
      const double fraction = k / nominal;
      double value = 0.0;
      if (c.role == Role::SideScan) {
        c.firstReturn[k] = static_cast<float>(0.8 * std::exp(-static_cast<double>(k) / std::max(2.0, nominal / 300.0)));
        value = 0.3 * ((1.0 - std::exp(-fraction / 0.015)) / (1.0 + (fraction / 0.45) * (fraction / 0.45)) + 0.06);
      } else if (c.role == Role::Subbottom) {
        value = std::exp(-fraction / 0.25);
      } else {
        value = 0.5 + 0.45 * std::cos(std::numbers::pi * std::min(1.0, fraction));
      }
      c.profile[k] = static_cast<float>(value);
    }
  }

  // A seabed texture: patches of brighter and darker ground, sand ripples in
  // places, all under Rayleigh speckle (mean 1).
  void buildBanks() {
    float coarse[COARSE_ROWS + 1][COARSE_COLUMNS + 1];
    float ripples[COARSE_ROWS + 1][COARSE_COLUMNS + 1];
    for (std::uint32_t r = 0; r <= COARSE_ROWS; ++r) {
      for (std::uint32_t c = 0; c <= COARSE_COLUMNS; ++c) {
        // The last row and column repeat the first so the tile wraps without a seam.
        const bool wrapped = r == COARSE_ROWS || c == COARSE_COLUMNS;
        coarse[r][c] =
            wrapped ? coarse[r % COARSE_ROWS][c % COARSE_COLUMNS] : static_cast<float>(0.35 + 1.3 * random.uniform());
        ripples[r][c] = wrapped ? ripples[r % COARSE_ROWS][c % COARSE_COLUMNS] : static_cast<float>(random.uniform());
      }
    }
    tile.resize(static_cast<std::size_t>(TILE_ROWS) * TILE_COLUMNS);
    const double rowScale = static_cast<double>(COARSE_ROWS) / TILE_ROWS;
    const double columnScale = static_cast<double>(COARSE_COLUMNS) / TILE_COLUMNS;
    for (std::uint32_t r = 0; r < TILE_ROWS; ++r) {
      const double gr = r * rowScale;
      const auto r0 = static_cast<std::uint32_t>(gr);
      const double fr = gr - r0;
      for (std::uint32_t c = 0; c < TILE_COLUMNS; ++c) {
        const double gc = c * columnScale;
        const auto c0 = static_cast<std::uint32_t>(gc);
        const double fc = gc - c0;
        auto blend = [&](float(&g)[COARSE_ROWS + 1][COARSE_COLUMNS + 1]) {
          return (g[r0][c0] * (1 - fc) + g[r0][c0 + 1] * fc) * (1 - fr) +
                 (g[r0 + 1][c0] * (1 - fc) + g[r0 + 1][c0 + 1] * fc) * fr;
        };
        const double patch = blend(coarse);
        const double rippled = blend(ripples) > 0.6 ? 1.0 + 0.3 * std::sin(TWO_PI * c / 19.0 + r * 0.09) : 1.0;
        const double speckle = std::sqrt(-2.0 * std::log(1.0 - random.uniform())) / 1.2533;
        tile[static_cast<std::size_t>(r) * TILE_COLUMNS + c] = static_cast<float>(patch * rippled * speckle);
      }
    }
    noise.resize(NOISE_LENGTH);
    for (float& v : noise) v = static_cast<float>(random.uniform() * random.uniform() * 2.0);
  }

  // ---- One ping

  void advanceNavigation() {
    const double t = elapsed;
    const double speed = 4.2 + 0.3 * std::sin(TWO_PI * t / 97.0);  // knots
    headingWander = 0.995 * headingWander + 0.06 * (random.uniform() - 0.5);
    heading = headingBase + 7.0 * std::sin(TWO_PI * t / 900.0 + headingPhase) + headingWander;
    const double step = speed * KNOTS * pingInterval;
    if (pingIndex > 0) {
      x += step * std::sin(heading / DEGREES);
      y += step * std::cos(heading / DEGREES);
      along += step;
    }
    laggedHeading += 0.05 * (heading - laggedHeading);
    const double layback = 38.0 + 3.0 * std::sin(TWO_PI * t / 120.0);
    const double offset = 1.5 * std::sin(TWO_PI * t / 47.0);
    const double h = laggedHeading / DEGREES;
    sensorX = x - layback * std::sin(h) + offset * std::cos(h);
    sensorY = y - layback * std::cos(h) - offset * std::sin(h);
    shipSpeed = speed;
    const double waterDepth = 30.0 + 5.0 * std::sin(TWO_PI * along / 700.0 + depthPhase[0]) +
                              1.5 * std::sin(TWO_PI * along / 97.0 + depthPhase[1]);
    sensorDepth = 16.0 + 1.2 * std::sin(TWO_PI * t / 180.0);
    altitude = waterDepth - sensorDepth;
  }

  void fillPingHeader(vsk::Ping& ping) {
    const double secondOfDay = START_SECOND_OF_DAY + elapsed;
    const auto days = static_cast<int>(secondOfDay / SECONDS_PER_DAY);
    while (calendarDays < days) {
      ++calendarDays;
      if (++calendar.dayOfYear > (isLeap(calendar.year) ? 366 : 365)) {
        calendar.dayOfYear = 1;
        ++calendar.year;
      }
    }
    const auto hundredths = static_cast<std::uint32_t>((secondOfDay - days * SECONDS_PER_DAY) * 100.0);
    ping.year = static_cast<std::uint16_t>(calendar.year);
    monthAndDay(calendar.year, calendar.dayOfYear, ping.month, ping.day);
    ping.dayOfYear = static_cast<std::uint16_t>(calendar.dayOfYear);
    ping.hour = static_cast<std::uint8_t>(hundredths / 360000);
    ping.minute = static_cast<std::uint8_t>(hundredths / 6000 % 60);
    ping.second = static_cast<std::uint8_t>(hundredths / 100 % 60);
    ping.hundredths = static_cast<std::uint8_t>(hundredths % 100);
    ping.pingNumber = pingIndex + 1;

    auto store = [&](double localX, double localY, double& outY, double& outX) {
      if (options.degrees) {
        outY = START_LATITUDE + localY / METRES_PER_DEGREE;
        outX = START_LONGITUDE + localX / (METRES_PER_DEGREE * std::cos(START_LATITUDE / DEGREES));
      } else {
        outY = START_NORTHING + localY;
        outX = START_EASTING + localX;
      }
    };
    store(x, y, ping.shipY, ping.shipX);
    store(sensorX, sensorY, ping.sensorY, ping.sensorX);
    ping.shipHeading = static_cast<float>(std::fmod(heading + 360.0, 360.0));
    ping.shipSpeed = static_cast<float>(shipSpeed);
    ping.sensorHeading =
        static_cast<float>(std::fmod(laggedHeading + 2.0 * std::sin(TWO_PI * elapsed / 20.0) + 360.0, 360.0));
    ping.sensorDepth = static_cast<float>(sensorDepth);
    ping.primaryAltitude = static_cast<float>(altitude + 0.05 * (random.uniform() - 0.5));
    ping.auxiliaryAltitude = static_cast<float>(
        random.uniform() < ALTIMETER_DROPOUT ? 0.9 * random.uniform() : altitude + 0.2 * (random.uniform() - 0.5));
  }

  // Samples this ping holds for a channel, and the count its header states.
  void chooseCount(ChannelModel& c, std::uint32_t& actual, std::uint32_t& stated) {
    if (random.below(RANGE_CHANGE_ODDS) == 0) {
      const std::uint32_t settings[] = {c.nominal - c.nominal / 8, c.nominal, c.nominal + c.nominal / 8};
      c.setting = settings[random.below(3)];
    }
    const std::uint32_t spread = c.nominal / 64;
    actual = c.setting - spread + random.below(2 * spread + 1);
    stated = actual;
    if (random.below(ZERO_COUNT_ODDS) == 0) {
      actual = c.nominal;
      stated = 0;
    }
  }

  std::uint32_t sampleIndex(double seconds, const ChannelModel& c) const {
    return static_cast<std::uint32_t>(std::max(0.0, seconds / c.interval));
  }

  void sideScan(const ChannelModel& c, std::vector<float>& v) const {
    const auto n = static_cast<std::uint32_t>(v.size());
    const std::uint32_t bed = std::min(n, sampleIndex(2.0 * altitude / SOUND_SPEED, c));
    const float* row = tile.data() + static_cast<std::size_t>((pingIndex + c.rowOffset) % TILE_ROWS) * TILE_COLUMNS;
    const std::uint32_t shift = c.columnOffset + static_cast<std::uint32_t>(along * 0.7);
    const std::uint32_t noiseShift = (pingIndex * 131u + c.spec.subChannel * 977u) % NOISE_LENGTH;
    const float water = 0.004f * full;
    for (std::uint32_t i = 0; i < bed; ++i) v[i] = water * noise[(i + noiseShift) % NOISE_LENGTH];
    for (std::uint32_t i = bed; i < n; ++i) {
      const std::uint32_t k = i - bed;
      // The first echo is strong whatever the ground; the texture only modulates it.
      const float texture = row[(k + shift) % TILE_COLUMNS];
      v[i] = full * (c.firstReturn[k] * (0.75f + 0.25f * texture) + c.profile[k] * texture) +
             water * noise[(i + noiseShift) % NOISE_LENGTH];
    }
    if (c.side != 0) addTargets(c, v);
  }

  // Objects on the seabed: a bright face towards the sensor and a shadow
  // behind, as long as the object is high relative to the altitude.
  void addTargets(const ChannelModel& c, std::vector<float>& v) const {
    const auto n = static_cast<std::uint32_t>(v.size());
    const auto segment = static_cast<std::int64_t>(along / TARGET_SEGMENT);
    for (std::int64_t s = segment - 1; s <= segment + 1; ++s) {
      if (s < 0) continue;
      Random r(mix(options.seed, static_cast<std::uint64_t>(s)));
      if (r.below(4) == 0) continue;
      const double at = (static_cast<double>(s) + r.uniform()) * TARGET_SEGMENT;
      const double ground = 6.0 + 55.0 * r.uniform();
      const int side = r.uniform() < 0.5 ? -1 : 1;
      const double height = 0.4 + 1.6 * r.uniform();
      const double length = 1.5 + 4.0 * r.uniform();
      if (side != c.side || std::abs(along - at) > length / 2 || height >= altitude) continue;
      auto indexOf = [&](double groundRange, double above) {
        const double slant = std::hypot(groundRange, altitude - above);
        return std::min(n, sampleIndex(2.0 * slant / SOUND_SPEED, c));
      };
      const std::uint32_t face = indexOf(ground - 0.5, 0.0);
      const std::uint32_t top = indexOf(ground, height);
      const std::uint32_t shadowStart = std::max(top, indexOf(ground, 0.0));
      const std::uint32_t shadowEnd = indexOf(ground * altitude / (altitude - height), 0.0);
      for (std::uint32_t i = std::min(face, top); i <= std::max(face, top) && i < n; ++i) v[i] = 0.85f * full;
      const float water = 0.004f * full;
      for (std::uint32_t i = shadowStart + 1; i < shadowEnd; ++i) v[i] = water * noise[i % NOISE_LENGTH];
    }
  }

  void subbottom(const ChannelModel& c, std::vector<float>& v) const {
    static constexpr float pulse[] = {0.25f, 0.7f, 1.0f, 0.6f, 0.3f, 0.1f};
    constexpr int pulseLead = 2;
    const auto n = static_cast<std::uint32_t>(v.size());
    const std::uint32_t bed = std::min(n, sampleIndex(2.0 * altitude / SOUND_SPEED, c));
    const std::uint32_t noiseShift = (pingIndex * 197u + c.spec.subChannel * 389u) % NOISE_LENGTH;
    const float* row = tile.data() + static_cast<std::size_t>((pingIndex + c.rowOffset) % TILE_ROWS) * TILE_COLUMNS;
    const float water = 0.003f * full;
    for (std::uint32_t i = 0; i < bed; ++i) v[i] = water * noise[(i + noiseShift) % NOISE_LENGTH];
    for (std::uint32_t i = bed; i < n; ++i) {
      v[i] = 0.08f * full * c.profile[i - bed] * noise[(i + noiseShift) % NOISE_LENGTH] + water;
    }
    auto reflect = [&](std::uint32_t at, float amplitude) {
      for (int p = 0; p < static_cast<int>(std::size(pulse)); ++p) {
        const std::int64_t i = static_cast<std::int64_t>(at) + p - pulseLead;
        if (i >= 0 && i < n) v[static_cast<std::size_t>(i)] += amplitude * pulse[p];
      }
    };
    reflect(bed, 0.9f * full);
    for (std::uint32_t k = 0; k < LAYERS; ++k) {
      const double depth = 1.2 + 1.9 * k + 0.35 * k * k + 0.6 * std::sin(TWO_PI * along / 140.0 + layerPhase[k]) +
                           0.15 * std::sin(TWO_PI * along / 55.0 + 2.0 * layerPhase[k]);
      const std::uint32_t at = bed + sampleIndex(2.0 * depth / SEDIMENT_SOUND_SPEED, c);
      const float strength = static_cast<float>(0.5 * std::pow(0.75, k) * (0.8 + 0.2 * row[(k * 613u) % TILE_COLUMNS]));
      reflect(at, strength * full);
    }
  }

  void bathymetry(const ChannelModel& c, std::vector<float>& v) const {
    const auto n = static_cast<std::uint32_t>(v.size());
    const std::uint32_t noiseShift = (pingIndex * 59u + c.spec.subChannel * 211u) % NOISE_LENGTH;
    for (std::uint32_t i = 0; i < n; ++i) {
      v[i] = full * (c.profile[std::min<std::size_t>(i, c.profile.size() - 1)] +
                     0.02f * noise[(i + noiseShift) % NOISE_LENGTH]);
    }
  }

  void storeSamples(const std::vector<float>& levels, std::vector<std::uint8_t>& out) const {
    out.resize(levels.size() * options.bytesPerSample);
    std::uint8_t* at = out.data();
    for (float value : levels) {
      const auto s = static_cast<std::uint32_t>(std::clamp(value, 0.0f, ceiling));
      *at++ = static_cast<std::uint8_t>(s);
      if (options.bytesPerSample == 2) *at++ = static_cast<std::uint8_t>(s >> 8);
    }
  }

  void makePing(vsk::Ping& ping) {
    advanceNavigation();
    fillPingHeader(ping);
    ping.channels.resize(channels.size());
    for (std::size_t i = 0; i < channels.size(); ++i) {
      ChannelModel& c = channels[i];
      vsk::PingChannel& out = ping.channels[i];
      std::uint32_t actual = 0;
      chooseCount(c, actual, out.sampleCount);
      out.channelNumber = c.spec.subChannel;
      out.timeDelay = 0.0f;
      out.timeDuration = static_cast<float>(actual * c.interval);
      out.slantRange = static_cast<float>(actual * c.interval * SOUND_SPEED / 2.0);
      values.resize(actual);
      switch (c.role) {
        case Role::SideScan:
          sideScan(c, values);
          break;
        case Role::Subbottom:
          subbottom(c, values);
          break;
        case Role::Bathymetry:
          bathymetry(c, values);
          break;
      }
      storeSamples(values, out.samples);
    }
  }

  // ---- Records between pings

  // Bodies of our own: ship position, speed and heading; roll, pitch, heave
  // and heading. Nothing reads them but they look the part in a dump.
  void navigationRecord(std::vector<std::uint8_t>& out) const {
    std::vector<std::uint8_t> body(NAVIGATION_BYTES, 0);
    vsk::storeDouble(body.data(), current.shipY);
    vsk::storeDouble(body.data() + 8, current.shipX);
    vsk::storeFloat(body.data() + 16, current.shipSpeed);
    vsk::storeFloat(body.data() + 20, current.shipHeading);
    vsk::store32(body.data() + 24, current.pingNumber);
    out = vsk::encodeOtherRecord(RECORD_NAVIGATION, body);
  }

  void attitudeRecord(std::vector<std::uint8_t>& out) const {
    const float attitude[] = {static_cast<float>(2.0 * std::sin(TWO_PI * elapsed / 7.0)),
                              static_cast<float>(1.0 * std::sin(TWO_PI * elapsed / 11.0)),
                              static_cast<float>(0.3 * std::sin(TWO_PI * elapsed / 5.0)), current.sensorHeading};
    std::vector<std::uint8_t> body(sizeof attitude);
    for (std::size_t i = 0; i < std::size(attitude); ++i) vsk::storeFloat(body.data() + 4 * i, attitude[i]);
    out = vsk::encodeOtherRecord(RECORD_ATTITUDE, body);
  }

  static void annotation(const std::string& text, std::vector<std::uint8_t>& out) {
    std::vector<std::uint8_t> body(ANNOTATION_BYTES, 0);
    std::memcpy(body.data(), text.data(), std::min(text.size(), ANNOTATION_BYTES));
    out = vsk::encodeOtherRecord(RECORD_ANNOTATION, body);
  }

  // Queues the records that belong to the next ping, the ping among them.
  void queueNextPing() {
    count = 0;
    next = 0;
    if (pingIndex == 0) annotation("LINE 1 START", pending[count++]);
    makePing(current);
    navigationRecord(pending[count++]);
    vsk::encodePingInto(current, pending[count++]);
    if (pingIndex % ATTITUDE_EVERY == ATTITUDE_EVERY - 1) attitudeRecord(pending[count++]);
    if (pingIndex % ANNOTATION_EVERY == ANNOTATION_EVERY - 1) {
      annotation("EVENT " + std::to_string(pingIndex / ANNOTATION_EVERY + 1), pending[count++]);
    }
    ++pingIndex;
    elapsed += pingInterval;
  }

  SurveyOptions options;
  Random random;
  vsk::FileSpec spec;
  std::vector<ChannelModel> channels;
  std::vector<float> tile;
  std::vector<float> noise;
  std::vector<float> values;
  float full = 0.0f;
  float ceiling = 0.0f;

  double pingInterval = 0.0;
  std::uint32_t pingIndex = 0;
  double elapsed = 0.0;
  Calendar calendar;
  int calendarDays = 0;
  double headingBase = 0.0, headingPhase = 0.0, headingWander = 0.0, heading = 0.0, laggedHeading = 0.0;
  double depthPhase[2] = {};
  double layerPhase[LAYERS] = {};
  double x = 0.0, y = 0.0, along = 0.0, sensorX = 0.0, sensorY = 0.0;
  double shipSpeed = 0.0, sensorDepth = 0.0, altitude = 0.0;

  vsk::Ping current;
  std::vector<std::vector<std::uint8_t>> pending;  // the records of one ping, swapped out one by one
  std::size_t count = 0;
  std::size_t next = 0;
};

SurveyGenerator::SurveyGenerator(const SurveyOptions& options) : model_(std::make_unique<Model>(options)) {
  double longest = 0.0;
  for (const ChannelModel& c : model_->channels) longest = std::max(longest, c.interval * model_->mostSamples());
  model_->pingInterval = std::ceil((longest + PING_GAP) * 100.0) / 100.0;
}

SurveyGenerator::~SurveyGenerator() = default;

const vsk::FileSpec& SurveyGenerator::fileSpec() const { return model_->spec; }

std::uint32_t SurveyGenerator::pingsMade() const { return model_->pingIndex; }

bool SurveyGenerator::nextRecord(std::vector<std::uint8_t>& record) {
  Model& m = *model_;
  if (m.next == m.count) {
    if (m.options.targetBytes == 0 && m.pingIndex >= m.options.pingCount) {
      record.clear();
      return false;
    }
    m.queueNextPing();
  }
  record.swap(m.pending[m.next++]);
  return true;
}

std::string writeSurvey(const std::string& path, const SurveyOptions& options) {
  if (std::string problem = checkOptions(options); !problem.empty()) return problem;
  // Written aside and renamed at the end, so a failed run leaves an earlier
  // file of that name as it was.
  const std::string partial = path + ".part";
  SurveyGenerator generator(options);
  vsk::Writer writer(partial, generator.fileSpec());
  if (!writer.ok()) return "cannot create " + partial;
  std::vector<std::uint8_t> record;
  while (writer.ok() && generator.nextRecord(record)) {
    if (options.targetBytes > 0 && writer.bytesWritten() + record.size() > options.targetBytes) break;
    writer.writeBytes(record);
  }
  if (!writer.close()) {
    std::remove(partial.c_str());
    return "cannot write " + partial;
  }
  if (!replaceFile(partial, path)) {
    std::remove(partial.c_str());
    return "cannot replace " + path;
  }
  return {};
}

}  // namespace vskgen
