// --jobs N: the inputs converted by several processes at once give the very
// bytes one process gives, with one report and every safety check intact.
#include "batch_program.h"
#include "survey_files.h"

#include <signal.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace {

namespace fs = std::filesystem;

constexpr std::uint32_t SAMPLES = 64;
constexpr std::uintmax_t LARGE_SURVEY_BYTES = std::uintmax_t{150} << 20;

using BatchJobs = BatchTest;

TEST_F(BatchJobs, SeveralProcessesWriteTheBytesOneProcessWrites) {
  std::vector<std::string> arguments = {"-c", "pair1"};
  for (int i = 0; i < 7; ++i) {
    const std::string name = "line" + std::to_string(i) + ".vsk";
    writeSurvey(name, survey_files::twoPairsAndSubbottom(SAMPLES + static_cast<std::uint32_t>(i)), 20 + 30 * i);
    arguments.push_back(name);
  }
  // One input the check refuses, among the others.
  std::ofstream(path("line3.vsk"), std::ios::binary | std::ios::app) << std::string(12, '\x01');
  fs::create_directory(path("one"));
  fs::create_directory(path("three"));
  std::vector<std::string> one = arguments;
  one.insert(one.begin(), {"-j", "1", "-o", "one"});
  std::vector<std::string> three = arguments;
  three.insert(three.begin(), {"--jobs", "3", "-o", "three"});
  const BatchRun single = runBatch(one);
  const BatchRun several = runBatch(three);
  EXPECT_EQ(single.exitCode, 1);
  EXPECT_EQ(several.exitCode, 1);
  for (int i = 0; i < 7; ++i) {
    const std::string name = "line" + std::to_string(i) + ".SEG";
    EXPECT_EQ(exists(path("three/" + name)), i != 3) << name;
    if (i != 3) {
      EXPECT_EQ(fileBytes(path("one/" + name)), fileBytes(path("three/" + name))) << name;
    }
  }
  const std::string summary = single.err.substr(single.err.find("6 of 7 files converted, "));
  EXPECT_NE(several.err.find(summary.substr(0, summary.find(" bytes, "))), std::string::npos) << several.err;
  EXPECT_NE(several.err.find("ERROR: The file [line3.vsk] does't match VSK specifications.\n"), std::string::npos)
      << several.err;
  EXPECT_TRUE(pendingFolders(path("three")).empty());
}

TEST_F(BatchJobs, TheChecksHoldAcrossProcesses) {
  fs::create_directory(path("a"));
  fs::create_directory(path("b"));
  fs::create_directory(path("out"));
  writeSurvey("a/line.vsk", survey_files::twoPairsAndSubbottom(SAMPLES), 3);
  writeSurvey("b/line.vsk", survey_files::twoPairsAndSubbottom(SAMPLES), 8);
  writeSurvey("c.vsk", survey_files::twoPairsAndSubbottom(SAMPLES), 4);
  fs::create_symlink("../c.vsk", path("out/c.SEG"));
  const std::string before = fileBytes(path("c.vsk"));
  const BatchRun run = runBatch({"-j", "3", "-c", "pair1", "-o", "out", "a/line.vsk", "b/line.vsk", "c.vsk"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.err.find("ERROR: The output [out/line.SEG] belongs to an earlier input; it is left as it was.\n"),
            std::string::npos)
      << run.err;
  EXPECT_NE(run.err.find("ERROR: The output [out/c.SEG] is the input [c.vsk]; it is left as it was.\n"),
            std::string::npos)
      << run.err;
  EXPECT_EQ(fileBytes(path("c.vsk")), before);
  EXPECT_NE(run.err.find("1 of 3 files converted, 6 traces, "), std::string::npos) << run.err;
}

// A stop as a terminal's Ctrl-C gives it, to the batch's whole process group,
// with one worker stopped (SIGSTOP) and never answering: within a few
// seconds every worker is gone, nothing half done is left, and each input is
// said once.
TEST_F(BatchJobs, AStopEndsEveryWorkerWhateverItDoesAndSaysWhatIsUnfinished) {
  for (const char* name : {"big1.vsk", "big2.vsk"}) {
    ASSERT_TRUE(survey_files::writeSurveyOfSize(path(name), LARGE_SURVEY_BYTES));
  }
  writeSurvey("line.vsk", survey_files::twoPairsAndSubbottom(SAMPLES), 5);
  std::ofstream(path("big1.SEG"), std::ios::binary) << "earlier";
  Launch job;
  job.ownProcessGroup = true;
  const RunningBatch batch = startBatch({"-j", "2", "-c", "pair1", "big1.vsk", "big2.vsk", "line.vsk"}, job);
  const int stuck = workerHolding(batch, path("big2.vsk"));
  ASSERT_TRUE(stuck > 0 && underWay(batch, "big1.SEG")) << "the batch ended before it could be stopped";
  const std::vector<int> workers = workersOf(batch);
  ::kill(stuck, SIGSTOP);
  ::kill(-batch.pid, SIGINT);
  const BatchRun run = finish(batch);
  EXPECT_EQ(run.exitCode, 128 + SIGINT);
  EXPECT_EQ(run.err.find("interrupted"), run.err.rfind("interrupted")) << run.err;
  EXPECT_NE(run.err.find("big1.vsk: stopped unfinished\nbig2.vsk: stopped unfinished\n"), std::string::npos) << run.err;
  // Queued behind big1, line.vsk is most likely not started; said once whatever it came to.
  EXPECT_EQ(run.err.find("line.vsk: "), run.err.rfind("line.vsk: ")) << run.err;
  EXPECT_EQ(run.err.rfind("veskconv-batch: interrupted\n"), run.err.size() - 28) << run.err;
  EXPECT_EQ(run.err.find("ended before it was done"), std::string::npos) << run.err;
  for (const int worker : workers) EXPECT_NE(::kill(worker, 0), 0) << "worker " << worker << " is left";
  EXPECT_TRUE(pendingFolders(folder).empty());
  EXPECT_EQ(fileBytes(path("big1.SEG")), "earlier");
}

// The README's way to spread a campaign: a job runner calling the batch once
// per survey. Here GNU parallel on this machine.
TEST_F(BatchJobs, AJobRunnerCallingTheBatchPerSurveyGivesTheSameOutputs) {
  if (!fs::exists("/usr/bin/parallel")) GTEST_SKIP() << "GNU parallel is not installed";
  std::vector<std::string> arguments = {"-c", "subbottom", "-o", "together"};
  std::string list;
  for (int i = 0; i < 4; ++i) {
    const std::string name = "line" + std::to_string(i) + ".vsk";
    writeSurvey(name, survey_files::twoPairsAndSubbottom(SAMPLES), 10 + 7 * i);
    arguments.push_back(name);
    list += name + "\n";
  }
  fs::create_directory(path("together"));
  fs::create_directory(path("apart"));
  ASSERT_EQ(runBatch(arguments).exitCode, 0);
  std::ofstream(path("list.txt")) << list;
  const std::string command = "cd '" + folder.string() + "' && /usr/bin/parallel --will-cite --jobs 2 '" +
                              installedBatch() + "' --jobs 1 -c subbottom -o apart {} < list.txt 2>/dev/null";
  ASSERT_EQ(std::system(command.c_str()), 0);
  for (int i = 0; i < 4; ++i) {
    const std::string name = "line" + std::to_string(i) + ".SEG";
    EXPECT_EQ(fileBytes(path("together/" + name)), fileBytes(path("apart/" + name))) << name;
  }
}

}  // namespace
