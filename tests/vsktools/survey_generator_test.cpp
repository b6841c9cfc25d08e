#include "tools/vskgen/survey_generator.h"

#include "tests/vsktools/temp_survey_dir.h"
#include "vsktools/vsk_layout.h"
#include "vsktools/vsk_reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <numeric>
#include <set>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;
constexpr double SOUND_SPEED = 1500.0;
constexpr double FULL_16 = 30000.0;

struct Channel {
  std::uint16_t number = 0;
  std::uint32_t stated = 0;
  float duration = 0.0f;
  std::vector<std::uint32_t> samples;
};

double intervalOf(const Channel& c) { return c.duration / static_cast<double>(c.samples.size()); }

double meanOf(const Channel& c, std::size_t from, std::size_t to) {
  return std::accumulate(c.samples.begin() + static_cast<std::ptrdiff_t>(from),
                         c.samples.begin() + static_cast<std::ptrdiff_t>(to), 0.0) /
         static_cast<double>(to - from);
}

struct PingView {
  Bytes header;  // the 256-byte ping header
  std::vector<Channel> channels;
  double shipY() const { return vsk::loadDouble(header.data() + vsk::PING_SHIP_Y); }
  double shipX() const { return vsk::loadDouble(header.data() + vsk::PING_SHIP_X); }
  double sensorY() const { return vsk::loadDouble(header.data() + vsk::PING_SENSOR_Y); }
  double sensorX() const { return vsk::loadDouble(header.data() + vsk::PING_SENSOR_X); }
  float heading() const { return vsk::loadFloat(header.data() + vsk::PING_SHIP_HEADING); }
  float primary() const { return vsk::loadFloat(header.data() + vsk::PING_PRIMARY_ALTITUDE); }
  float auxiliary() const { return vsk::loadFloat(header.data() + vsk::PING_AUXILIARY_ALTITUDE); }
  std::uint8_t hour() const { return header[vsk::PING_HOUR]; }
  std::uint16_t dayOfYear() const { return vsk::load16(header.data() + vsk::PING_DAY_OF_YEAR); }
  double secondOfDay() const {
    return header[vsk::PING_HOUR] * 3600.0 + header[vsk::PING_MINUTE] * 60.0 + header[vsk::PING_SECOND] +
           header[vsk::PING_HUNDREDTHS] / 100.0;
  }
};

struct Survey {
  Bytes fileHeader;
  std::vector<PingView> pings;
  std::map<int, int> otherRecords;  // by header type
};

// Reads a survey back through the reader, checking every ping's record
// length against its channels as it goes.
Survey readSurvey(HANDLE file) {
  Survey survey;
  SonarFileHeader* header = nullptr;
  DWORD unused = 0;
  EXPECT_EQ(ReadFullVSKHeader(file, &header, &unused), VSK_OK);
  if (header == nullptr) return survey;
  const auto* h = reinterpret_cast<const unsigned char*>(header);
  const int entries = vsk::load16(h + vsk::FILE_SONAR_CHANNELS) + vsk::load16(h + vsk::FILE_BATHYMETRY_CHANNELS);
  survey.fileHeader.assign(h, h + vsk::FILE_CHANNEL_TABLE + entries * vsk::ENTRY_BYTES);
  void* buffer = nullptr;
  int length = 0;
  int result = VSK_OK;
  while ((result = ReadNextVSKData(file, &buffer, &length, VSK_READ_MODE)) == VSK_OK) {
    const auto* r = static_cast<const unsigned char*>(buffer);
    if (r[vsk::RECORD_HEADER_TYPE] != 0) {
      ++survey.otherRecords[r[vsk::RECORD_HEADER_TYPE]];
      continue;
    }
    PingView ping;
    ping.header.assign(r, r + vsk::PING_HEADER_BYTES);
    std::size_t at = vsk::PING_HEADER_BYTES;
    const int count = vsk::load16(r + vsk::RECORD_CHANNEL_COUNT);
    EXPECT_EQ(count, entries);
    for (int i = 0; i < count && i < entries; ++i) {
      const unsigned char* entry = h + vsk::FILE_CHANNEL_TABLE + i * vsk::ENTRY_BYTES;
      const unsigned width = vsk::load16(entry + vsk::ENTRY_BYTES_PER_SAMPLE);
      Channel c;
      c.number = vsk::load16(r + at + vsk::CHANNEL_NUMBER);
      c.stated = vsk::load32(r + at + vsk::CHANNEL_SAMPLE_COUNT);
      c.duration = vsk::loadFloat(r + at + vsk::CHANNEL_TIME_DURATION);
      const std::uint32_t n = c.stated != 0 ? c.stated : vsk::load32(entry + vsk::ENTRY_SAMPLES_PER_CHANNEL);
      at += vsk::CHANNEL_HEADER_BYTES;
      if (at + std::size_t{n} * width > static_cast<std::size_t>(length)) {
        ADD_FAILURE() << "channel " << i << " runs past its record";
        return survey;
      }
      for (std::uint32_t k = 0; k < n; ++k) c.samples.push_back(width == 1 ? r[at + k] : vsk::load16(r + at + 2 * k));
      at += std::size_t{n} * width;
      ping.channels.push_back(std::move(c));
    }
    EXPECT_EQ(at, static_cast<std::size_t>(length)) << "the record length is the sum of its channels";
    survey.pings.push_back(std::move(ping));
  }
  EXPECT_EQ(result, VSK_END_OF_FILE);
  return survey;
}

Bytes fileBytes(const std::string& p) {
  std::ifstream in(p, std::ios::binary);
  return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

class SurveyGeneratorTest : public TempSurveyDir {
 protected:
  Survey generate(const vskgen::SurveyOptions& options, const char* name = "line.vsk") {
    const std::string p = path(name);
    EXPECT_EQ(vskgen::writeSurvey(p, options), "");
    HANDLE file = open(p);
    Survey survey = readSurvey(file);
    close(file);
    return survey;
  }
};

vskgen::SurveyOptions smallOptions() {
  vskgen::SurveyOptions o;
  o.pingCount = 400;
  o.samplesPerChannel = 1500;
  return o;
}

// ---- Reproducible

TEST_F(SurveyGeneratorTest, SameSeedSameBytesOtherSeedOtherBytes) {
  vskgen::SurveyOptions o;
  o.samplesPerChannel = 300;
  ASSERT_EQ(vskgen::writeSurvey(path("a.vsk"), o), "");
  ASSERT_EQ(vskgen::writeSurvey(path("b.vsk"), o), "");
  o.seed = 2;
  ASSERT_EQ(vskgen::writeSurvey(path("c.vsk"), o), "");
  const Bytes a = fileBytes(path("a.vsk"));
  EXPECT_GT(a.size(), 100000u);
  EXPECT_EQ(a, fileBytes(path("b.vsk")));
  EXPECT_NE(a, fileBytes(path("c.vsk")));
  EXPECT_FALSE(std::filesystem::exists(path("a.vsk.part")));
}

// ---- What the file holds

TEST_F(SurveyGeneratorTest, ChannelTableFollowsTheChosenChannelSet) {
  vskgen::SurveyOptions o;
  o.pingCount = 3;
  o.pairFrequencies = {75.0f};
  o.singles = {{vskgen::ChannelKind::Other, 600.0f}};
  o.bathymetry = {{vskgen::ChannelKind::Port, 230.0f}, {vskgen::ChannelKind::Starboard, 230.0f}};
  o.bytesPerSample = 1;
  o.samplesPerChannel = 700;
  const Survey s = generate(o);
  const Bytes& h = s.fileHeader;
  ASSERT_FALSE(h.empty());
  EXPECT_EQ(vsk::load16(h.data() + vsk::FILE_SONAR_CHANNELS), 4);  // pair, subbottom, single
  EXPECT_EQ(vsk::load16(h.data() + vsk::FILE_BATHYMETRY_CHANNELS), 2);
  const int types[] = {1, 2, 0, 3, 1, 2};
  const float frequencies[] = {75.0f, 75.0f, 4.0f, 600.0f, 230.0f, 230.0f};
  for (int i = 0; i < 6; ++i) {
    const unsigned char* e = h.data() + vsk::FILE_CHANNEL_TABLE + i * vsk::ENTRY_BYTES;
    EXPECT_EQ(e[vsk::ENTRY_TYPE], types[i]) << i;
    EXPECT_EQ(e[vsk::ENTRY_SUBCHANNEL], i);
    EXPECT_EQ(vsk::load16(e + vsk::ENTRY_BYTES_PER_SAMPLE), 1);
    EXPECT_EQ(vsk::load32(e + vsk::ENTRY_SAMPLES_PER_CHANNEL), 700u);
    EXPECT_EQ(vsk::loadFloat(e + vsk::ENTRY_FREQUENCY), frequencies[i]);
  }
  ASSERT_EQ(s.pings.size(), 3u);
  for (const Channel& c : s.pings[0].channels) {
    EXPECT_TRUE(std::all_of(c.samples.begin(), c.samples.end(), [](auto v) { return v <= 255; }));
  }
}

TEST_F(SurveyGeneratorTest, SampleCountsVaryAndSomePingsStateZero) {
  const Survey s = generate(smallOptions());
  ASSERT_EQ(s.pings.size(), 400u);
  std::set<std::uint32_t> counts;
  int zeros = 0;
  for (const PingView& p : s.pings) {
    for (std::size_t i = 0; i < p.channels.size(); ++i) {
      const Channel& c = p.channels[i];
      EXPECT_EQ(c.number, i) << "sub-channel k sits at position k";
      counts.insert(c.stated);
      if (c.stated == 0) {
        ++zeros;
        EXPECT_EQ(c.samples.size(), 1500u);
      }
    }
  }
  EXPECT_GT(counts.size(), 10u);
  EXPECT_GT(zeros, 10);
  // A constant sample interval: the duration follows the count.
  const Channel& a = s.pings[0].channels[0];
  const Channel& b = s.pings[1].channels[0];
  EXPECT_NEAR(intervalOf(a), intervalOf(b), 1e-9);
  EXPECT_GT(s.otherRecords.at(1), 0) << "navigation";
  EXPECT_GT(s.otherRecords.at(2), 0) << "attitude";
  EXPECT_GT(s.otherRecords.at(3), 0) << "annotation";
}

TEST_F(SurveyGeneratorTest, ShipRunsAlongALineWithTheSensorBehind) {
  const Survey s = generate(smallOptions());
  ASSERT_EQ(s.pings.size(), 400u);
  int dropouts = 0;
  for (std::size_t i = 0; i < s.pings.size(); ++i) {
    const PingView& p = s.pings[i];
    EXPECT_NEAR(p.shipX(), 512000.0, 2000.0);
    EXPECT_NEAR(p.shipY(), 6384000.0, 2000.0);
    const double h = p.heading() * std::acos(-1.0) / 180.0;
    const double ahead = (p.shipX() - p.sensorX()) * std::sin(h) + (p.shipY() - p.sensorY()) * std::cos(h);
    EXPECT_GT(ahead, 25.0) << "layback at ping " << i;
    EXPECT_LT(ahead, 50.0);
    EXPECT_GT(p.primary(), 5.0f);
    if (p.auxiliary() < 1.0f) ++dropouts;
    if (i == 0) continue;
    const PingView& q = s.pings[i - 1];
    const double step = std::hypot(p.shipX() - q.shipX(), p.shipY() - q.shipY());
    EXPECT_GT(step, 0.2);
    EXPECT_LT(step, 2.0);
    const double turn = std::remainder(static_cast<double>(p.heading()) - q.heading(), 360.0);
    EXPECT_LT(std::abs(turn), 1.0);
  }
  EXPECT_GT(dropouts, 5) << "the auxiliary altitude sometimes falls below 1 m";
  EXPECT_LT(dropouts, 100);
}

TEST_F(SurveyGeneratorTest, ClockAndDayOfYearRunOnPastMidnight) {
  const Survey s = generate(smallOptions());
  ASSERT_FALSE(s.pings.empty());
  int midnights = 0;
  for (std::size_t i = 1; i < s.pings.size(); ++i) {
    const PingView& p = s.pings[i];
    const PingView& q = s.pings[i - 1];
    if (p.dayOfYear() != q.dayOfYear()) {
      ++midnights;
      EXPECT_EQ(p.dayOfYear(), q.dayOfYear() + 1);
      EXPECT_EQ(q.hour(), 23);
      EXPECT_EQ(p.hour(), 0);
      EXPECT_EQ(p.header[vsk::PING_DAY], q.header[vsk::PING_DAY] + 1);
    } else {
      EXPECT_GT(p.secondOfDay(), q.secondOfDay());
    }
    EXPECT_EQ(vsk::load32(p.header.data() + vsk::PING_NUMBER), vsk::load32(q.header.data() + vsk::PING_NUMBER) + 1);
  }
  EXPECT_EQ(midnights, 1);
}

TEST_F(SurveyGeneratorTest, DegreesGiveLatitudeAndLongitude) {
  vskgen::SurveyOptions o;
  o.degrees = true;
  o.pingCount = 50;
  o.samplesPerChannel = 100;
  const Survey s = generate(o);
  EXPECT_NE(vsk::load16(s.fileHeader.data() + vsk::FILE_NAVIGATION_UNITS), 0);
  ASSERT_EQ(s.pings.size(), 50u);
  for (std::size_t i = 1; i < s.pings.size(); ++i) {
    const PingView& p = s.pings[i];
    EXPECT_NEAR(p.shipY(), 57.61, 0.05);
    EXPECT_NEAR(p.shipX(), 11.72, 0.05);
    EXPECT_LT(std::abs(p.shipY() - s.pings[i - 1].shipY()), 1e-4);
    EXPECT_NE(p.shipY(), p.sensorY());
  }
}

// ---- The samples look like sonar

TEST_F(SurveyGeneratorTest, SideScanHasWaterColumnFirstReturnAndFalloff) {
  const Survey s = generate(smallOptions());
  int shadowedPings = 0;
  double near[4] = {}, far[4] = {};
  for (const PingView& p : s.pings) {
    for (int position : {0, 1, 2, 3}) {
      const Channel& c = p.channels[position];
      const auto bed = static_cast<std::size_t>(2.0 * p.primary() / SOUND_SPEED / intervalOf(c));
      ASSERT_GT(bed, 20u);
      ASSERT_LT(bed + 200, c.samples.size());
      EXPECT_LT(meanOf(c, 0, bed - 3), 0.01 * FULL_16) << "a quiet water column";
      const auto peak = *std::max_element(c.samples.begin() + static_cast<std::ptrdiff_t>(bed) - 3,
                                          c.samples.begin() + static_cast<std::ptrdiff_t>(bed) + 4);
      EXPECT_GT(peak, 0.5 * FULL_16) << "a strong first return";
      const std::size_t quarter = (c.samples.size() - bed) / 4;
      near[position] += meanOf(c, bed + 10, bed + 10 + quarter);
      far[position] += meanOf(c, c.samples.size() - quarter, c.samples.size());
      // A shadow: a run of near-silence well out on the seabed.
      std::size_t run = 0, longest = 0;
      for (std::size_t i = bed + 20; i < c.samples.size(); ++i) {
        run = c.samples[i] < 0.01 * FULL_16 ? run + 1 : 0;
        longest = std::max(longest, run);
      }
      if (longest >= 6) ++shadowedPings;
    }
  }
  // Patches of bright ground may lie far out in some pings; on the whole the
  // seabed fades with range.
  for (int position : {0, 1, 2, 3}) EXPECT_GT(near[position], 1.5 * far[position]) << position;
  EXPECT_GT(shadowedPings, 10);
}

TEST_F(SurveyGeneratorTest, SubbottomShowsLayersBelowTheSeabed) {
  const Survey s = generate(smallOptions());
  for (std::size_t i = 0; i < s.pings.size(); i += 37) {
    const PingView& p = s.pings[i];
    const Channel& c = p.channels[4];
    const double interval = intervalOf(c);
    const auto bed = static_cast<std::size_t>(2.0 * p.primary() / SOUND_SPEED / interval);
    ASSERT_LT(bed + 400, c.samples.size());
    const double water = meanOf(c, 0, bed - 3);
    EXPECT_LT(water, 0.01 * FULL_16);
    // Reflectors: separated peaks well above the sediment's own level.
    int reflectors = 0;
    for (std::size_t k = bed + 8; k < bed + 400; ++k) {
      const auto v = c.samples[k];
      if (v > 0.1 * FULL_16 && v >= c.samples[k - 1] && v > c.samples[k + 1]) {
        ++reflectors;
        k += 5;
      }
    }
    EXPECT_GE(reflectors, 4) << "ping " << i;
  }
}

// ---- Size

TEST_F(SurveyGeneratorTest, TargetBytesBoundTheFile) {
  vskgen::SurveyOptions o;
  o.targetBytes = 3u << 20;
  o.samplesPerChannel = 1000;
  ASSERT_EQ(vskgen::writeSurvey(path("sized.vsk"), o), "");
  const auto size = std::filesystem::file_size(path("sized.vsk"));
  EXPECT_LE(size, o.targetBytes);
  EXPECT_GT(size, o.targetBytes - 20000) << "within one ping of the target";
  HANDLE file = open(path("sized.vsk"));
  EXPECT_GT(readSurvey(file).pings.size(), 200u);
}

TEST(SurveyOptionsCheck, RefusesWhatCannotBeGenerated) {
  vskgen::SurveyOptions o;
  EXPECT_EQ(vskgen::checkOptions(o), "");
  o.pairFrequencies = {100, 200, 300, 400};
  EXPECT_NE(vskgen::checkOptions(o).find("too many channels"), std::string::npos);
  o.pairFrequencies = {};
  o.subbottom = false;
  EXPECT_NE(vskgen::checkOptions(o), "");
  o.subbottom = true;
  o.bytesPerSample = 3;
  EXPECT_NE(vskgen::checkOptions(o), "");
  o.bytesPerSample = 1;
  o.samplesPerChannel = 2;
  EXPECT_NE(vskgen::checkOptions(o), "");
  o.samplesPerChannel = 100;
  o.subbottomFrequency = -1.0f;
  EXPECT_NE(vskgen::checkOptions(o), "");
}

TEST_F(SurveyGeneratorTest, RefusedOptionsLeaveAnEarlierFileAlone) {
  const std::string p = writeFile("kept.vsk", {1, 2, 3});
  vskgen::SurveyOptions o;
  o.bytesPerSample = 4;
  EXPECT_NE(vskgen::writeSurvey(p, o), "");
  EXPECT_EQ(fileBytes(p), Bytes({1, 2, 3}));
  EXPECT_NE(vskgen::writeSurvey(path("missing-folder/x.vsk"), vskgen::SurveyOptions{}), "");
}

}  // namespace
