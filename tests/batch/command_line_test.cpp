// The command line: --help, --version, --info, and usage errors, which
// convert nothing.
#include "batch_program.h"
#include "platform/program_version.h"
#include "survey_files.h"

#include <filesystem>

namespace {

using BatchCommandLine = BatchTest;

TEST_F(BatchCommandLine, HelpGoesToStandardOutput) {
  const BatchRun run = runBatch({"--help"});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.out.rfind("Usage: veskconv-batch [options] INPUT.vsk...\n", 0), 0u) << run.out;
  EXPECT_EQ(run.err, "");
  const BatchRun version = runBatch({"--version"});
  EXPECT_EQ(version.exitCode, 0);
  EXPECT_EQ(version.out.rfind(std::string("veskconv-batch (VESKCONV) ") + PROGRAM_VERSION + "\n", 0), 0u)
      << version.out;
}

TEST_F(BatchCommandLine, UsageErrorsConvertNothingAndSayWhatIsWrongInOneLine) {
  writeSurvey("line.vsk", survey_files::twoPairsAndSubbottom(32), 3);
  writeSurvey("other.vsk", survey_files::twoPairsAndSubbottom(32), 3);
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      {{}, "no input file given"},
      {{"-c", "pair1"}, "no input file given"},
      {{"line.vsk"}, "no channel set given (--channels)"},
      {{"-c", "pair5", "line.vsk"}, "unknown channel set 'pair5'"},
      {{"line.vsk", "-c"}, "-c needs a channel set"},
      {{"-c", "pair1", "--reverse", "line.vsk"}, "--reverse applies only to a single channel (ch1 ... ch8)"},
      {{"-c", "ch1", "--byte-order", "middle", "line.vsk"}, "--byte-order takes little or big"},
      {{"-c", "ch1", "--positions=boat", "line.vsk"}, "--positions takes ship or sensor"},
      {{"-c", "ch1", "--verbose", "line.vsk"}, "unknown option '--verbose'"},
      {{"-cpair5", "line.vsk"}, "unknown channel set 'pair5'"},
      {{"-c", "ch1", "-j0", "line.vsk"}, "--jobs takes a number from 1 to 256"},
      {{"-c", "ch1", "-o", "one.SEG", "line.vsk", "other.vsk"},
       "--output must be an existing folder when several inputs are given"},
  };
  for (const auto& [arguments, reason] : cases) {
    SCOPED_TRACE(reason);
    const BatchRun run = runBatch(arguments);
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.err, "veskconv-batch: " + reason + "\nTry 'veskconv-batch --help' for more information.\n");
    EXPECT_EQ(run.out, "");
  }
  EXPECT_FALSE(exists(path("line.SEG")));
  EXPECT_FALSE(exists(path("one.SEG")));
}

TEST_F(BatchCommandLine, ShortOptionsTakeTheirValueJoinedAsWell) {
  writeSurvey("line.vsk", survey_files::twoPairsAndSubbottom(32), 3);
  const BatchRun joined = runBatch({"-cpair1", "-j1", "-ojoined.SEG", "line.vsk"});
  EXPECT_EQ(joined.exitCode, 0) << joined.err;
  const BatchRun apart = runBatch({"-c", "pair1", "-j", "1", "-o", "apart.SEG", "line.vsk"});
  EXPECT_EQ(apart.exitCode, 0) << apart.err;
  // The text header names the file; everything after it is the same.
  constexpr std::size_t TEXT_HEADER_BYTES = 3200;
  const std::string joinedBytes = fileBytes(path("joined.SEG"));
  ASSERT_GT(joinedBytes.size(), TEXT_HEADER_BYTES);
  EXPECT_EQ(joinedBytes.substr(TEXT_HEADER_BYTES), fileBytes(path("apart.SEG")).substr(TEXT_HEADER_BYTES));
}

TEST_F(BatchCommandLine, InfoPrintsTheWindowsCountAndChannelsAndConvertsNothing) {
  writeSurvey("line.vsk", survey_files::twoPairsAndSubbottom(32), 130, true);
  writeSurvey("pairs.vsk", fourPairs(32), 2);
  const BatchRun run = runBatch({"--info", "line.vsk", "missing.vsk", "pairs.vsk"});
  EXPECT_EQ(run.exitCode, 1) << "one input was not accepted";
  EXPECT_EQ(run.out,
            "line.vsk\n"
            "  Ping Count : 130 (sonar/subbottom)\n"
            "  (1) PORT 100kHz - (2) STBD 100kHz\n"
            "  (3) PORT 400kHz - (4) STBD 400kHz\n"
            "  (5) SUBBOTTOM\n"
            "  channel sets: pair1 pair2 subbottom ch1 ch2 ch3 ch4 ch5\n"
            "pairs.vsk\n"
            "  Ping Count : 2 (sonar/subbottom)\n"
            "  (1) PORT 100kHz - (2) STBD 100kHz\n"
            "  (3) PORT 200kHz - (4) STBD 200kHz\n"
            "  (5) PORT 300kHz - (6) STBD 300kHz\n"
            "  (7) PORT 400kHz - (8) STBD 400kHz\n"
            "  channel sets: pair1 pair2 pair3 pair4 ch1 ch2 ch3 ch4 ch5 ch6 ch7 ch8\n");
  EXPECT_NE(run.err.find("Select VSK file: missing.vsk File not found."), std::string::npos) << run.err;
  EXPECT_FALSE(exists(path("line.SEG")));
  EXPECT_FALSE(exists(path("pairs.SEG")));
  EXPECT_EQ(runBatch({"--info", "pairs.vsk"}).exitCode, 0);
}

}  // namespace
