// End to end: a survey written with the VSK writer, converted by the engine,
// read back with segyio, a real SEG-Y reader (check_segy.py).
#include "engine_harness.h"
#include "sonar_memory.h"

#include <cstdio>
#include <sstream>

namespace engine_test {
namespace {

constexpr int PAIR_1 = 0;
constexpr int SUBBOTTOM = 4;
constexpr int SINGLE_1 = 5;
constexpr std::uint32_t PAIR_SAMPLES = 40;
constexpr std::uint32_t SUBBOTTOM_SAMPLES = 30;

struct Case {
  const char* name;
  std::uint16_t navigationUnits;
  int selection;
  int selectedChannel;
  std::uint32_t bigEndian;
  std::uint32_t useShipCoordinates;
  int reverseSamples;
  std::uint32_t samplesPerTrace;
  float duration;
};

void PrintTo(const Case& c, std::ostream* out) { *out << c.name; }

// Port 0 and starboard 1 (16-bit), subbottom 2 (8-bit).
vsk::FileSpec surveyFile(std::uint16_t navigationUnits) {
  vsk::FileSpec file;
  file.navigationUnits = navigationUnits;
  file.sonarChannels = {channelSpec(1, 0, 2, PAIR_SAMPLES), channelSpec(2, 1, 2, PAIR_SAMPLES),
                        channelSpec(0, 2, 1, SUBBOTTOM_SAMPLES)};
  return file;
}

struct SurveyChannel {
  std::uint16_t number;
  std::uint32_t headerCount;  // 0: the entry's samples per channel
};

std::uint32_t nextRandom(std::uint32_t& state) {
  state = state * 1664525u + 1013904223u;
  return state >> 8;
}

std::vector<vsk::Ping> surveyPings(std::uint16_t navigationUnits) {
  const std::vector<std::vector<SurveyChannel>> layout = {
      {{0, 40}, {1, 40}, {2, 30}},
      {{0, 0}, {1, 50}, {2, 20}},  // port by its entry, starboard longer, subbottom shorter than the trace
      {{0, 40}},                   // the port alone: neither the pair nor the subbottom has data
      {{0, 30}, {1, 40}, {2, 0}},
      {{0, 40}, {1, 40}, {2, 30}},
  };
  const vsk::FileSpec file = surveyFile(navigationUnits);
  std::uint32_t state = 12345;
  std::vector<vsk::Ping> pings;
  for (std::size_t p = 0; p < layout.size(); ++p) {
    vsk::Ping ping;
    const double step = static_cast<double>(p);
    ping.year = 2026;
    ping.dayOfYear = static_cast<std::uint16_t>(200 + p);
    ping.hour = static_cast<std::uint8_t>(23);
    ping.minute = static_cast<std::uint8_t>(58 + p / 3);
    ping.second = static_cast<std::uint8_t>(10 * p + 3);
    if (navigationUnits == 0) {
      ping.shipX = 500000.25 + step;
      ping.shipY = 6100000.5 + 2 * step;
      ping.sensorX = 499990.75 + step;
      ping.sensorY = 6099980.125 + 2 * step;
    } else {
      ping.shipY = 48.5 + 0.001 * step;
      ping.shipX = -4.25 - 0.002 * step;
      ping.sensorY = 48.499 + 0.001 * step;
      ping.sensorX = -4.251 - 0.002 * step;
    }
    ping.sensorDepth = 12.29f + static_cast<float>(p);
    ping.primaryAltitude = 20.5f + static_cast<float>(p);
    ping.auxiliaryAltitude = p == 4 ? 5.5f : 0.4f;
    for (const SurveyChannel& channel : layout[p]) {
      const std::uint16_t width = file.sonarChannels[channel.number].bytesPerSample;
      const std::uint32_t stored =
          channel.headerCount != 0 ? channel.headerCount : file.sonarChannels[channel.number].samplesPerChannel;
      std::vector<std::uint8_t> bytes(std::size_t{stored} * width);
      for (std::uint8_t& b : bytes) b = static_cast<std::uint8_t>(nextRandom(state));
      vsk::PingChannel data = pingChannel(channel.number, bytes, channel.headerCount);
      data.timeDelay = 0.0125f * static_cast<float>(channel.number + 1) + 0.001f * static_cast<float>(p);
      data.timeDuration = 0.004f;
      ping.channels.push_back(data);
    }
    pings.push_back(ping);
  }
  return pings;
}

std::int32_t truncated(double value) { return static_cast<std::int32_t>(value); }
std::int16_t low16(std::int32_t value) { return static_cast<std::int16_t>(value); }

// The trace the engine must write for channel position q of a ping.
std::string expectedTrace(const Case& c, const vsk::FileSpec& file, const vsk::Ping& ping, int pingNumber,
                          std::size_t q, int traceNumber, bool reversed) {
  const bool degrees = c.navigationUnits != 0;
  const double x = c.useShipCoordinates != 0 ? ping.shipX : ping.sensorX;
  const double y = c.useShipCoordinates != 0 ? ping.shipY : ping.sensorY;
  const std::int32_t sx = degrees ? truncated(x * 3600.0 * 1000.0) : truncated(x * 100.0);
  const std::int32_t sy = degrees ? truncated(y * 3600.0 * 1000.0) : truncated(y * 100.0);
  const float altitude = truncated(ping.auxiliaryAltitude) != 0 ? ping.auxiliaryAltitude : ping.primaryAltitude;
  const vsk::PingChannel& channel = ping.channels[q];
  const std::int32_t interval = truncated(static_cast<double>(c.duration) * 1000000.0 / c.samplesPerTrace);
  const std::pair<int, long> fields[] = {
      {9, pingNumber},
      {13, traceNumber},
      {29, c.selection < SUBBOTTOM ? 9 : 1},
      {49, truncated(static_cast<double>(ping.sensorDepth) * 100.0)},
      {61, truncated(static_cast<double>(altitude) * 100.0)},
      {69, -100},
      {71, degrees ? -1000 : -100},
      {73, sx},
      {77, sy},
      {81, sx},
      {85, sy},
      {89, degrees ? 2 : 1},
      {109, low16(truncated(static_cast<double>(channel.timeDelay) * 1000.0))},
      {115, static_cast<long>(c.samplesPerTrace)},
      {117, interval},
      {119, 1},
      {157, ping.year},
      {159, ping.dayOfYear},
      {161, ping.hour},
      {163, ping.minute},
      {165, ping.second},
  };
  std::ostringstream json;
  json << "{\"fields\": {";
  for (std::size_t i = 0; i < std::size(fields); ++i)
    json << (i ? ", " : "") << '"' << fields[i].first << "\": " << fields[i].second;
  json << "}, \"samples\": [";
  const vsk::ChannelSpec& entry = file.sonarChannels[q];
  const bool eightBit = entry.bytesPerSample == 1;
  const std::uint32_t stored = channel.sampleCount != 0 ? channel.sampleCount : entry.samplesPerChannel;
  for (std::uint32_t i = 0; i < c.samplesPerTrace; ++i) {
    int value = 0;
    if (i < stored) {
      const std::uint32_t from = reversed ? stored - 1 - i : i;
      value = eightBit ? channel.samples[from] * 128
                       : static_cast<std::int16_t>(channel.samples[2 * from] | (channel.samples[2 * from + 1] << 8));
    }
    json << (i ? ", " : "") << value;
  }
  json << "]}";
  return json.str();
}

// Every trace of the conversion, by the rules of the selection.
std::string expectations(const Case& c, const vsk::FileSpec& file, const std::vector<vsk::Ping>& pings) {
  std::ostringstream json;
  const std::int32_t interval = truncated(static_cast<double>(c.duration) * 1000000.0 / c.samplesPerTrace);
  json << "{\"samplesPerTrace\": " << c.samplesPerTrace << ", \"samplingRate\": " << truncated(1000000.0 / interval)
       << ", \"binary\": {\"3213\": " << (c.selection < SUBBOTTOM ? 2 : 1) << ", \"3217\": " << interval
       << ", \"3221\": " << c.samplesPerTrace << ", \"3225\": 3, \"3229\": 1, \"3255\": 1}, \"traces\": [";
  bool first = true;
  for (std::size_t p = 0; p < pings.size(); ++p) {
    const std::vector<vsk::PingChannel>& channels = pings[p].channels;
    for (std::size_t q = 0; q < channels.size(); ++q) {
      if (channels[q].channelNumber != c.selectedChannel) continue;
      const bool pair = c.selection < SUBBOTTOM;
      if (pair && (q + 1 >= channels.size() || channels[q + 1].channelNumber != c.selectedChannel + 1)) continue;
      const bool port = file.sonarChannels[q].type == 1;
      const bool reversed = c.reverseSamples != 0 || (port && c.selection <= SUBBOTTOM);
      json << (first ? "" : ", ") << expectedTrace(c, file, pings[p], static_cast<int>(p) + 1, q, 1, reversed);
      if (pair) json << ", " << expectedTrace(c, file, pings[p], static_cast<int>(p) + 1, q + 1, 2, false);
      first = false;
    }
  }
  json << "]}";
  return json.str();
}

class SegyReadback : public EngineTest, public ::testing::WithParamInterface<Case> {};

TEST_P(SegyReadback, SegyioReadsEveryTraceAsConverted) {
  const char* python = std::getenv("VESK_TEST_PYTHON");
  if (python == nullptr || python[0] == '\0') GTEST_SKIP() << "no system python with segyio (VESK_TEST_PYTHON)";
  const Case& c = GetParam();
  const vsk::FileSpec file = surveyFile(c.navigationUnits);
  const std::vector<vsk::Ping> pings = surveyPings(c.navigationUnits);
  {
    vsk::Writer writer(sonarPath, file);
    for (std::size_t p = 0; p < pings.size(); ++p) {
      writer.writePing(pings[p]);
      writer.writeOtherRecord(2, std::vector<std::uint8_t>(4 + p * 7, 0xA5));
    }
    ASSERT_TRUE(writer.close());
  }
  open();
  context->bigEndian = c.bigEndian;
  context->useShipCoordinates = c.useShipCoordinates;
  context->reverseSamples = c.reverseSamples;
  choose(c.selection, c.selectedChannel, c.samplesPerTrace, c.duration);
  run();
  ASSERT_EQ(context->conversionOutcome, CONVERSION_OK);
  closeFiles();

  const std::string expectationsPath = (folder / "expected.json").string();
  std::ofstream(expectationsPath) << expectations(c, file, pings);
  const std::string command = std::string(python) + " " + CORE_TEST_SOURCE_DIR "/check_segy.py " + segyPath + " " +
                              expectationsPath + " " + (c.bigEndian != 0 ? "big" : "little") + " 2>&1";
  FILE* checker = popen(command.c_str(), "r");
  ASSERT_NE(checker, nullptr);
  std::string report;
  char line[512];
  while (std::fgets(line, sizeof line, checker) != nullptr) report += line;
  EXPECT_EQ(pclose(checker), 0) << report;
}

INSTANTIATE_TEST_SUITE_P(
    Conversions, SegyReadback,
    ::testing::Values(Case{"PairLittleEndianShip", 0, PAIR_1, 0, 0, 1, 0, PAIR_SAMPLES, 0.004f},
                      Case{"PairBigEndianSensor", 0, PAIR_1, 0, 1, 0, 1, PAIR_SAMPLES, 0.004f},
                      Case{"SubbottomBigEndianDegrees", 1, SUBBOTTOM, 2, 1, 1, 0, SUBBOTTOM_SAMPLES, 0.0066f},
                      Case{"SubbottomLittleEndianDegrees", 1, SUBBOTTOM, 2, 0, 0, 0, SUBBOTTOM_SAMPLES, 0.0066f},
                      Case{"SingleStarboardReversedLittleEndian", 1, SINGLE_1 + 1, 1, 0, 0, 1, PAIR_SAMPLES, 0.004f},
                      Case{"SinglePortBigEndian", 0, SINGLE_1, 0, 1, 1, 0, PAIR_SAMPLES, 0.004f}),
    [](const ::testing::TestParamInfo<Case>& param) { return std::string(param.param.name); });

}  // namespace
}  // namespace engine_test
