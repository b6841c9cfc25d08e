// What the batch does when the files or the process are not as planned:
// files that are no files, surveys and outputs held by other programs, runs
// stopped halfway, conversions without a trace. Nothing it did not finish may
// look finished, and nothing earlier may be lost.
#include "batch_program.h"
#include "survey_files.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

namespace {

namespace fs = std::filesystem;

constexpr std::uint32_t SAMPLES = 64;
constexpr int PINGS = 5;
const std::string EARLIER = "an earlier SEG-Y file that must stay as it is";
// Large enough that a signal reliably lands during the conversion.
constexpr std::uintmax_t LARGE_SURVEY_BYTES = std::uintmax_t{400} << 20;

class BatchSafety : public BatchTest {
 protected:
  void good(const std::string& name) { writeSurvey(name, survey_files::twoPairsAndSubbottom(SAMPLES), PINGS); }
  void place(const std::string& name) const { std::ofstream(path(name), std::ios::binary) << EARLIER; }
};

TEST_F(BatchSafety, FilesThatAreNoFilesAreRefusedAndNothingBlocks) {
  good("line.vsk");
  ASSERT_EQ(::mkfifo(path("fifo.vsk").c_str(), 0600), 0);
  ASSERT_EQ(::mkfifo(path("fifo.SEG").c_str(), 0600), 0);
  const BatchRun run = runBatch({"-c", "pair1", "-o", "out.SEG", "fifo.vsk"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.err.find("ERROR: [fifo.vsk] is not a regular file.\n"), std::string::npos) << run.err;
  EXPECT_FALSE(exists(path("out.SEG")));
  for (const char* output : {"fifo.SEG", "/dev/null", "/dev/zero"}) {
    const BatchRun refused = runBatch({"-c", "pair1", "-o", output, "line.vsk"});
    EXPECT_EQ(refused.exitCode, 1) << output;
    EXPECT_NE(refused.err.find("ERROR: [" + std::string(output) + "] is not a regular file.\n"), std::string::npos)
        << refused.err;
  }
  EXPECT_TRUE(fs::is_fifo(path("fifo.SEG")));
  EXPECT_TRUE(fs::is_character_file("/dev/null"));
  EXPECT_FALSE(exists("/dev/null.SEG"));
  EXPECT_TRUE(pendingFolders(folder).empty());
}

TEST_F(BatchSafety, ASurveyStillBeingRecordedIsInUse) {
  good("line.vsk");
  const pid_t recorder = holdOpen(path("line.vsk"), ">>");
  const BatchRun run = runBatch({"-c", "pair1", "line.vsk"});
  release(recorder);
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.err.find("ERROR: Error opening file [line.vsk]. Check for IN USE state.\n"), std::string::npos)
      << run.err;
  EXPECT_FALSE(exists(path("line.SEG")));
  EXPECT_TRUE(pendingFolders(folder).empty());
  EXPECT_EQ(runBatch({"-c", "pair1", "line.vsk"}).exitCode, 0) << "converts once the recorder has let go";
}

TEST_F(BatchSafety, AnOutputAViewerHoldsOpenIsLeftAsItWas) {
  good("line.vsk");
  place("line.SEG");
  const pid_t viewer = holdOpen(path("line.SEG"), "<");
  const BatchRun run = runBatch({"-c", "pair1", "line.vsk"});
  release(viewer);
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.err.find("ERROR: Error opening file [line.SEG]. Check for WRITE PROTECT or IN USE state.\n"),
            std::string::npos)
      << run.err;
  EXPECT_EQ(fileBytes(path("line.SEG")), EARLIER);
  EXPECT_TRUE(pendingFolders(folder).empty());
}

TEST_F(BatchSafety, AStoppedRunLeavesTheEarlierOutputAndNoPartialOne) {
  ASSERT_TRUE(survey_files::writeSurveyOfSize(path("big.vsk"), LARGE_SURVEY_BYTES));
  for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGKILL}) {
    SCOPED_TRACE(strsignal(signal));
    place("big.SEG");
    const RunningBatch batch = startBatch({"-c", "pair1", "big.vsk"});
    ASSERT_TRUE(underWay(batch, "big.SEG", true)) << "the batch ended before it could be stopped";
    ::kill(batch.pid, signal);
    ::kill(batch.pid, SIGCONT);
    const BatchRun run = finish(batch);
    EXPECT_EQ(run.exitCode, 128 + signal);
    EXPECT_EQ(fileBytes(path("big.SEG")), EARLIER) << "the earlier output stays until a run succeeds";
    if (signal == SIGKILL) {
      // Only the hidden folder may remain; nothing else is named like a result.
      EXPECT_LE(pendingFolders(folder).size(), 1u);
      for (const fs::path& pending : pendingFolders(folder)) fs::remove_all(pending);
    } else {
      EXPECT_NE(run.err.find("veskconv-batch: interrupted\n"), std::string::npos) << run.err;
      EXPECT_TRUE(pendingFolders(folder).empty());
    }
    for (const auto& entry : fs::directory_iterator(folder)) {
      const std::string name = entry.path().filename().string();
      EXPECT_TRUE(name == "big.vsk" || name == "big.SEG" || name == "config") << name;
    }
  }
  const BatchRun complete = runBatch({"-c", "pair1", "big.vsk"});
  EXPECT_EQ(complete.exitCode, 0) << complete.err;
  EXPECT_NE(fileBytes(path("big.SEG")), EARLIER);
  EXPECT_TRUE(pendingFolders(folder).empty());
}

TEST_F(BatchSafety, AConversionWithoutATraceFailsAndWritesNothing) {
  vsk::FileSpec spec = survey_files::twoPairsAndSubbottom(SAMPLES);
  // The table offers ch5 (the subbottom), but no ping carries it.
  vsk::FileSpec carried = spec;
  carried.sonarChannels.pop_back();
  {
    vsk::Writer writer(path("line.vsk"), spec);
    for (int ping = 0; ping < PINGS; ++ping) writer.writePing(survey_files::pingOf(carried, ping));
    ASSERT_TRUE(writer.close());
  }
  place("line.SEG");
  const BatchRun run = runBatch({"-c", "ch5", "line.vsk"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.err.find("ERROR: No sonar ping of [line.vsk] holds the chosen channels."), std::string::npos)
      << run.err;
  EXPECT_NE(run.err.find("0 of 1 files converted"), std::string::npos) << run.err;
  EXPECT_EQ(fileBytes(path("line.SEG")), EARLIER);
}

TEST_F(BatchSafety, PathsAreTakenAsGiven) {
  good("line.vsk");
  fs::copy_file(path("line.vsk"), path("noext"));
  const BatchRun run = runBatch({"-c", "subbottom", "-o", "plainname", "noext"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_FALSE(exists(path("plainname.SEG")));
  EXPECT_EQ(segyioDifferences(path("plainname"), expectedSegy(false, SAMPLES, PINGS, {{4, false}})), "");
  const BatchRun beside = runBatch({"-c", "subbottom", "noext"});
  ASSERT_EQ(beside.exitCode, 0) << beside.err;
  EXPECT_TRUE(exists(path("noext.SEG")));
}

TEST_F(BatchSafety, AReplacedOutputKeepsItsPermissionsAndALinkStaysALink) {
  good("line.vsk");
  place("real.SEG");
  fs::permissions(path("real.SEG"), fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  fs::create_symlink("real.SEG", path("line.SEG"));
  const BatchRun run = runBatch({"-c", "pair1", "line.vsk"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_TRUE(fs::is_symlink(path("line.SEG")));
  EXPECT_EQ(fs::status(path("real.SEG")).permissions(),
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  EXPECT_EQ(segyioDifferences(path("real.SEG"), expectedSegy(false, SAMPLES, PINGS, {{0, true}, {1, false}})), "");
}

}  // namespace
