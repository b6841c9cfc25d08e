// Conversions as a script runs them: every channel set, both byte orders,
// one and several inputs, and the same bytes as the window writes for the
// same clicks.
#include "batch_program.h"
#include "survey_files.h"

#include "res/resource_ids.h"

#include <filesystem>

namespace {

constexpr std::uint32_t SAMPLES = 120;
constexpr int PINGS = 9;

struct SetCase {
  const char* name;
  bool fourPairs;  // else two pairs and the subbottom
  std::vector<TraceSource> perPing;
};

void PrintTo(const SetCase& set, std::ostream* out) { *out << set.name; }

template <typename Case>
std::string caseName(const ::testing::TestParamInfo<Case>& info) {
  return info.param.name;
}

class BatchChannelSet : public BatchTest, public ::testing::WithParamInterface<SetCase> {};

TEST_P(BatchChannelSet, ConvertsBesideTheInputAsTheWindowNamesIt) {
  const SetCase& set = GetParam();
  const vsk::FileSpec spec = set.fourPairs ? fourPairs(SAMPLES) : survey_files::twoPairsAndSubbottom(SAMPLES);
  writeSurvey("line.vsk", spec, PINGS, true);
  const BatchRun run = runBatch({"--channels", set.name, "line.vsk"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(segyioDifferences(path("line.SEG"), expectedSegy(false, SAMPLES, PINGS, set.perPing)), "");
  const std::size_t traces = PINGS * set.perPing.size();
  EXPECT_NE(run.err.find("line.vsk: 9 pings, 100% -> line.SEG\n"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("1 of 1 files converted, " + std::to_string(traces) + " traces, " +
                         std::to_string(fileSize(path("line.SEG"))) + " bytes, "),
            std::string::npos)
      << run.err;
  EXPECT_EQ(run.err.find('\r'), std::string::npos) << "plain lines when stderr is no terminal";
}

// Pairs: the port trace reversed, then the starboard trace.
INSTANTIATE_TEST_SUITE_P(Every, BatchChannelSet,
                         ::testing::Values(SetCase{"pair1", false, {{0, true}, {1, false}}},
                                           SetCase{"pair2", false, {{2, true}, {3, false}}},
                                           SetCase{"pair3", true, {{4, true}, {5, false}}},
                                           SetCase{"pair4", true, {{6, true}, {7, false}}},
                                           SetCase{"subbottom", false, {{4, false}}},
                                           SetCase{"ch1", false, {{0, false}}}, SetCase{"ch2", false, {{1, false}}},
                                           SetCase{"ch3", false, {{2, false}}}, SetCase{"ch4", false, {{3, false}}},
                                           SetCase{"ch5", false, {{4, false}}}, SetCase{"ch6", true, {{5, false}}},
                                           SetCase{"ch7", true, {{6, false}}}, SetCase{"ch8", true, {{7, false}}}),
                         caseName<SetCase>);

using BatchConversion = BatchTest;

TEST_F(BatchConversion, BigEndianOutputAndReversedSingleChannel) {
  writeSurvey("line.vsk", survey_files::twoPairsAndSubbottom(SAMPLES), PINGS);
  BatchRun run = runBatch({"-c", "pair2", "--byte-order", "big", "-o", "big.SEG", "line.vsk"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(segyioDifferences(path("big.SEG"), expectedSegy(true, SAMPLES, PINGS, {{2, true}, {3, false}})), "");
  run = runBatch({"-c", "ch3", "--reverse", "--byte-order=little", "--output=reversed.SEG", "line.vsk"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(segyioDifferences(path("reversed.SEG"), expectedSegy(false, SAMPLES, PINGS, {{2, true}})), "");
}

TEST_F(BatchConversion, SeveralInputsGoIntoTheOutputFolderUnderTheirOwnNames) {
  const std::vector<int> pings = {3, 120, 7};
  for (std::size_t i = 0; i < pings.size(); ++i) {
    writeSurvey("line" + std::to_string(i + 1) + ".vsk", survey_files::twoPairsAndSubbottom(SAMPLES), pings[i], i == 1);
  }
  std::filesystem::create_directory(path("out"));
  const BatchRun run = runBatch({"line1.vsk", "line2.vsk", "-c", "ch2", "line3.vsk", "-o", "out"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  std::uintmax_t bytes = 0;
  for (std::size_t i = 0; i < pings.size(); ++i) {
    const std::string segy = path("out/line" + std::to_string(i + 1) + ".SEG");
    EXPECT_EQ(segyioDifferences(segy, expectedSegy(false, SAMPLES, pings[i], {{1, false}})), "") << segy;
    bytes += fileSize(segy);
  }
  EXPECT_NE(run.err.find("line2.vsk: 120 pings, 100% -> out/line2.SEG\n"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("3 of 3 files converted, 130 traces, " + std::to_string(bytes) + " bytes, "),
            std::string::npos)
      << run.err;
}

// The batch and a user at the window, with the same file and the same clicks.
struct WindowCase {
  const char* name;
  std::vector<std::string> options;
  std::vector<int> clicks;  // the channel box, then the options
};

void PrintTo(const WindowCase& clicks, std::ostream* out) { *out << clicks.name; }

class BatchSameAsTheWindow : public BatchTest, public ::testing::WithParamInterface<WindowCase> {};

TEST_P(BatchSameAsTheWindow, WritesTheSameBytes) {
  const WindowCase& clicks = GetParam();
  vsk::FileSpec spec = survey_files::twoPairsAndSubbottom(SAMPLES);
  spec.navigationUnits = 1;
  const std::string input = writeSurvey("line.vsk", spec, PINGS, true);
  std::filesystem::create_directory(path("batch"));
  std::filesystem::create_directory(path("window"));
  std::vector<std::string> arguments = clicks.options;
  arguments.insert(arguments.end(), {"-o", "batch", input});
  const BatchRun run = runBatch(arguments);
  ASSERT_EQ(run.exitCode, 0) << run.err;

  start();
  prepare(input, path("window/line.SEG"), clicks.clicks.front());
  for (std::size_t i = 1; i < clicks.clicks.size(); ++i) click(clicks.clicks[i]);
  click(IDC_PROCESS);
  quit();
  const std::string windowBytes = fileBytes(path("window/line.SEG"));
  EXPECT_GT(windowBytes.size(), 3600u);
  EXPECT_TRUE(fileBytes(path("batch/line.SEG")) == windowBytes);
}

INSTANTIATE_TEST_SUITE_P(Clicks, BatchSameAsTheWindow,
                         ::testing::Values(WindowCase{"pair", {"-c", "pair1"}, {IDC_PAIR_1}},
                                           WindowCase{"pairBigEndianSensor",
                                                      {"-c", "pair2", "--byte-order", "big", "--positions", "sensor"},
                                                      {IDC_PAIR_2, IDC_BIG_ENDIAN, IDC_SENSOR}},
                                           WindowCase{"reversedChannelSensor",
                                                      {"-c", "ch1", "--reverse", "--positions", "sensor"},
                                                      {IDC_CHANNEL_1, IDC_SENSOR, IDC_REVERSE_SAMPLES}},
                                           WindowCase{"subbottomBigEndian",
                                                      {"--byte-order", "big", "-c", "subbottom"},
                                                      {IDC_SUBBOTTOM, IDC_LITTLE_ENDIAN}}),
                         caseName<WindowCase>);

TEST_F(BatchConversion, ThePositionSourceReachesTheTraceHeaders) {
  writeSurvey("line.vsk", survey_files::twoPairsAndSubbottom(SAMPLES), PINGS);
  std::filesystem::create_directory(path("ship"));
  std::filesystem::create_directory(path("sensor"));
  ASSERT_EQ(runBatch({"-c", "ch1", "-o", "ship", "line.vsk"}).exitCode, 0);
  ASSERT_EQ(runBatch({"-c", "ch1", "--positions", "sensor", "-o", "sensor", "line.vsk"}).exitCode, 0);
  const std::string ship = fileBytes(path("ship/line.SEG"));
  const std::string sensor = fileBytes(path("sensor/line.SEG"));
  ASSERT_EQ(ship.size(), sensor.size());
  EXPECT_EQ(ship.substr(0, 3600), sensor.substr(0, 3600));
  EXPECT_NE(ship, sensor);
}

TEST_F(BatchConversion, ProgressIsRedrawnInPlaceOnATerminal) {
  writeSurvey("line.vsk", survey_files::twoPairsAndSubbottom(SAMPLES), 400, true);
  const BatchRun run = runBatch({"-c", "pair1", "line.vsk"}, true);
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_NE(run.err.find("\r\033[Kline.vsk: counting pings "), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("\r\033[Kline.vsk: 400 pings, 0%\r\033[K"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("\r\033[Kline.vsk: 400 pings, 100% -> line.SEG\r\n1 of 1 files converted"), std::string::npos)
      << run.err;
}

}  // namespace
