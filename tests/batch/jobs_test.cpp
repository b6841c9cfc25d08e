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
constexpr std::uintmax_t LARGE_SURVEY_BYTES = std::uintmax_t{200} << 20;
constexpr std::uintmax_t UNDER_WAY_BYTES = std::uintmax_t{1} << 20;

class BatchJobs : public BatchTest {
 protected:
  std::vector<fs::path> pendingFolders(const fs::path& where) const {
    std::vector<fs::path> found;
    for (const auto& entry : fs::directory_iterator(where)) {
      if (entry.path().filename().string().rfind(".veskconv-", 0) == 0) found.push_back(entry.path());
    }
    return found;
  }
};

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

TEST_F(BatchJobs, StoppingTheBatchStopsEveryWorkerAndLeavesNothingHalfDone) {
  for (const char* name : {"big1.vsk", "big2.vsk"}) {
    ASSERT_TRUE(survey_files::writeSurveyOfSize(path(name), LARGE_SURVEY_BYTES));
  }
  std::ofstream(path("big1.SEG"), std::ios::binary) << "earlier";
  const RunningBatch batch = startBatch({"-j", "2", "-c", "pair1", "big1.vsk", "big2.vsk"});
  bool underWay = false;
  while (!underWay && ::waitpid(batch.pid, nullptr, WNOHANG) == 0) {
    for (const fs::path& pending : pendingFolders(folder)) {
      std::error_code error;
      for (const char* name : {"big1.SEG", "big2.SEG"}) {
        underWay = underWay || fs::file_size(pending / name, error) > UNDER_WAY_BYTES;
      }
    }
  }
  ASSERT_TRUE(underWay) << "the batch ended before it could be stopped";
  // Only the batch is told, not its workers: it stops them itself.
  ::kill(batch.pid, SIGTERM);
  const BatchRun run = finish(batch);
  EXPECT_EQ(run.exitCode, 128 + SIGTERM);
  EXPECT_NE(run.err.find("veskconv-batch: interrupted\n"), std::string::npos) << run.err;
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
