// A campaign as surveyors run it: under nohup or from a script, with a
// worker that dies, a file-size limit, closed or vanishing streams, one
// survey under several names, long names and files of other owners. Each
// costs nothing but what it must.
#include "batch_program.h"
#include "survey_files.h"

#include "res/resource_ids.h"

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace {

namespace fs = std::filesystem;

constexpr std::uint32_t SAMPLES = 64;
constexpr int PINGS = 5;
constexpr std::uintmax_t LARGE_SURVEY_BYTES = std::uintmax_t{150} << 20;
const std::string EARLIER = "an earlier SEG-Y file that must stay as it is";

class BatchCampaign : public BatchTest {
 protected:
  void lines(int count, std::uint32_t samples = SAMPLES, int pings = PINGS) {
    for (int i = 0; i < count; ++i) {
      writeSurvey("line" + std::to_string(i) + ".vsk", survey_files::twoPairsAndSubbottom(samples), pings + i);
    }
  }
  void place(const std::string& name) const { std::ofstream(path(name), std::ios::binary) << EARLIER; }
};

TEST_F(BatchCampaign, SignalsTheCallerIgnoredStayIgnoredAndTermStillStops) {
  ASSERT_TRUE(survey_files::writeSurveyOfSize(path("big.vsk"), LARGE_SURVEY_BYTES));
  lines(1);
  Launch nohup;
  nohup.ignoredSignals = {SIGHUP, SIGINT};
  RunningBatch batch = startBatch({"-j", "2", "-c", "pair1", "big.vsk", "line0.vsk"}, nohup);
  ASSERT_TRUE(underWay(batch, "big.SEG")) << "the batch ended before the signals";
  // A closed terminal or a lost link: the batch and its workers are told.
  for (const int process : [&] {
         std::vector<int> all = workersOf(batch);
         all.push_back(batch.pid);
         return all;
       }()) {
    ::kill(process, SIGHUP);
    ::kill(process, SIGINT);
  }
  BatchRun run = finish(batch);
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_NE(run.err.find("2 of 2 files converted"), std::string::npos) << run.err;

  fs::remove(path("big.SEG"));
  // Blocked by the caller too: the stop is still taken.
  Launch held = nohup;
  held.blockedSignals = {SIGTERM};
  batch = startBatch({"-j", "1", "-c", "pair1", "big.vsk"}, held);
  ASSERT_TRUE(underWay(batch, "big.SEG")) << "the batch ended before the signal";
  ::kill(batch.pid, SIGTERM);
  run = finish(batch);
  EXPECT_EQ(run.exitCode, 128 + SIGTERM);
  EXPECT_NE(run.err.find("big.vsk: stopped unfinished\nveskconv-batch: interrupted\n"), std::string::npos) << run.err;
  EXPECT_FALSE(exists(path("big.SEG")));
  EXPECT_TRUE(pendingFolders(folder).empty());
}

TEST_F(BatchCampaign, ADeadWorkerCostsOnlyTheInputItWasConverting) {
  ASSERT_TRUE(survey_files::writeSurveyOfSize(path("big.vsk"), LARGE_SURVEY_BYTES));
  lines(5);
  fs::create_directory(path("out"));
  fs::create_directory(path("one"));
  const std::vector<std::string> small = {"line0.vsk", "line1.vsk", "line2.vsk", "line3.vsk", "line4.vsk"};
  std::vector<std::string> arguments = {"-j", "2", "-c", "pair1", "-o", "out", "big.vsk"};
  arguments.insert(arguments.end(), small.begin(), small.end());
  const RunningBatch batch = startBatch(arguments);
  const int converting = workerHolding(batch, path("big.vsk"));
  ASSERT_TRUE(converting > 0 && underWay(batch, "out/big.SEG")) << "the batch ended before its worker was killed";
  ::kill(converting, SIGKILL);
  const BatchRun run = finish(batch);
  EXPECT_EQ(run.exitCode, 1);
  const std::string lost = "ERROR: The process converting [big.vsk] ended before it was done (signal 9).\n";
  EXPECT_NE(run.err.find(lost), std::string::npos) << run.err;
  EXPECT_EQ(run.err.find("ended before it was done"), run.err.rfind("ended before it was done")) << run.err;
  EXPECT_NE(run.err.find("5 of 6 files converted"), std::string::npos) << run.err;
  EXPECT_FALSE(exists(path("out/big.SEG")));
  EXPECT_TRUE(pendingFolders(path("out")).empty());
  std::vector<std::string> alone = {"-j", "1", "-c", "pair1", "-o", "one"};
  alone.insert(alone.end(), small.begin(), small.end());
  ASSERT_EQ(runBatch(alone).exitCode, 0);
  for (int i = 0; i < 5; ++i) {
    const std::string name = "line" + std::to_string(i) + ".SEG";
    EXPECT_EQ(fileBytes(path("out/" + name)), fileBytes(path("one/" + name))) << name;
  }

  // A worker started by hand has no batch to greet it.
  const BatchRun byHand = runBatch({"--worker", "-c", "pair1", "line0.vsk"});
  EXPECT_EQ(byHand.exitCode, 2);
  EXPECT_NE(byHand.err.find("no batch greeted"), std::string::npos) << byHand.err;
  EXPECT_FALSE(exists(path("line0.SEG")));
}

TEST_F(BatchCampaign, ASizeLimitOrAClosedStreamCostsNothingElse) {
  // a's output (about 1.5 MB) passes the limit, b's does not.
  writeSurvey("a.vsk", survey_files::twoPairsAndSubbottom(2000), 160);
  writeSurvey("b.vsk", survey_files::twoPairsAndSubbottom(SAMPLES), PINGS);
  lines(2);
  Launch limited;
  limited.fileSizeLimit = std::uint64_t{1} << 20;
  for (const char* jobs : {"1", "2"}) {
    SCOPED_TRACE(std::string("--jobs ") + jobs);
    place("a.SEG");
    fs::remove(path("b.SEG"));
    const BatchRun run = finish(startBatch({"-j", jobs, "-c", "pair1", "a.vsk", "b.vsk"}, limited));
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("ERROR: Error writing file [a.SEG]."), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("ERROR: The output [a.SEG] was not written; it is left as it was.\n"), std::string::npos);
    EXPECT_NE(run.err.find("1 of 2 files converted"), std::string::npos) << run.err;
    EXPECT_TRUE(fileBytes(path("a.SEG")) == EARLIER);
    EXPECT_TRUE(exists(path("b.SEG")));
    EXPECT_TRUE(pendingFolders(folder).empty());
  }

  struct Closed {
    const char* jobs;
    std::vector<int> streams;
  };
  for (const Closed& closed :
       {Closed{"2", {STDIN_FILENO, STDERR_FILENO}}, Closed{"1", {STDOUT_FILENO, STDERR_FILENO}}}) {
    SCOPED_TRACE(std::string("--jobs ") + closed.jobs);
    Launch launch;
    launch.closedStreams = closed.streams;
    fs::remove(path("line0.SEG"));
    fs::remove(path("line1.SEG"));
    EXPECT_EQ(finish(startBatch({"-j", closed.jobs, "-c", "pair1", "line0.vsk", "line1.vsk"}, launch)).exitCode, 0);
    EXPECT_TRUE(exists(path("line0.SEG")) && exists(path("line1.SEG")));
    EXPECT_TRUE(pendingFolders(folder).empty());
  }

  // `veskconv-batch ... 2>&1 | head -1`: the reader goes after one line.
  int report[2];
  ASSERT_EQ(::pipe(report), 0);
  Launch launch;
  launch.stderrTo = report[1];
  fs::remove(path("line0.SEG"));
  fs::remove(path("line1.SEG"));
  const RunningBatch batch = startBatch({"-j", "1", "-c", "pair1", "line0.vsk", "line1.vsk"}, launch);
  ::close(report[1]);
  for (char c = 0; ::read(report[0], &c, 1) == 1 && c != '\n';) {
  }
  ::close(report[0]);
  EXPECT_EQ(finish(batch).exitCode, 0);
  EXPECT_TRUE(exists(path("line0.SEG")) && exists(path("line1.SEG")));
  EXPECT_TRUE(pendingFolders(folder).empty());
}

TEST_F(BatchCampaign, NamesAreTakenAsTheWindowTakesThem) {
  lines(1);
  fs::create_symlink("line0.vsk", path("latest.vsk"));
  fs::create_hard_link(path("line0.vsk"), path("hard.vsk"));
  fs::create_directory(path("one"));
  fs::create_directory(path("three"));
  const std::vector<std::string> names = {"line0.vsk", "latest.vsk", "hard.vsk"};
  for (const char* jobs : {"1", "3"}) {
    std::vector<std::string> arguments = {"-j", jobs, "-c", "pair1", "-o", jobs[0] == '1' ? "one" : "three"};
    arguments.insert(arguments.end(), names.begin(), names.end());
    const BatchRun run = runBatch(arguments);
    EXPECT_EQ(run.exitCode, 0) << run.err;
  }
  for (const char* output : {"line0.SEG", "latest.SEG", "hard.SEG"}) {
    EXPECT_EQ(fileBytes(path(std::string("one/") + output)), fileBytes(path(std::string("three/") + output))) << output;
  }

  // The longest name the window takes, 258 bytes (a file name of 255), as
  // typed: the same bytes.
  const std::string longName = "dd/" + std::string(251, 'n') + ".SEG";
  fs::create_directory(path("dd"));
  const BatchRun run = runBatch({"-c", "pair1", "-o", longName, "line0.vsk"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  fs::create_directories(path("window/dd"));
  const fs::path here = fs::current_path();
  fs::current_path(path("window"));
  start();
  prepare(path("line0.vsk"), longName, IDC_PAIR_1);
  click(IDC_PROCESS);
  quit();
  fs::current_path(here);
  EXPECT_TRUE(fileBytes(path(longName)) == fileBytes(path("window/" + longName)));

  // A replaced output keeps its owner, where the batch may set it.
  if (::geteuid() != 0) GTEST_SKIP() << "only root can give a file to another user";
  constexpr uid_t OTHER = 65534;
  place("owned.SEG");
  ASSERT_EQ(::chown(path("owned.SEG").c_str(), OTHER, OTHER), 0);
  ASSERT_EQ(::chmod(path("owned.SEG").c_str(), 0640), 0);
  ASSERT_EQ(runBatch({"-c", "pair1", "-o", "owned.SEG", "line0.vsk"}).exitCode, 0);
  struct stat owned {};
  ASSERT_EQ(::stat(path("owned.SEG").c_str(), &owned), 0);
  EXPECT_EQ(owned.st_uid, OTHER);
  EXPECT_EQ(owned.st_gid, OTHER);
  EXPECT_EQ(owned.st_mode & 07777, 0640u);
  EXPECT_FALSE(fileBytes(path("owned.SEG")) == EARLIER);
}

}  // namespace
