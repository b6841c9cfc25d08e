// The vskgen command as a user runs it, and the committed sample it made.
#include "platform/program_version.h"
#include "tests/vsktools/temp_survey_dir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <spawn.h>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace {

using Bytes = std::vector<char>;

Bytes fileBytes(const std::string& p) {
  std::ifstream in(p, std::ios::binary);
  return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

class VskgenCommand : public TempSurveyDir {
 protected:
  // Runs vskgen with `args`; its output lands in out(). Returns the exit code.
  int run(const std::vector<std::string>& args) {
    std::vector<std::string> all = {VSKGEN_PATH};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& a : all) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    const std::string log = path("output.txt");
    posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, VSKGEN_PATH, &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) return -1;
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  std::string out() const {
    const Bytes b = fileBytes(path("output.txt"));
    return std::string(b.begin(), b.end());
  }
};

// The command line of the README's code block, split at blanks.
std::vector<std::string> readmeCommand() {
  std::ifstream readme(std::string(SAMPLES_DIR) + "/README.md");
  std::string line;
  while (std::getline(readme, line)) {
    if (line.rfind("vskgen ", 0) != 0) continue;
    std::istringstream words(line);
    std::vector<std::string> args;
    for (std::string word; words >> word;) args.push_back(word);
    return std::vector<std::string>(args.begin() + 1, args.end());
  }
  return {};
}

TEST_F(VskgenCommand, ReproducesTheCommittedSampleByteForByte) {
  std::vector<std::string> args = readmeCommand();
  ASSERT_FALSE(args.empty()) << "samples/README.md names no vskgen command";
  bool redirected = false;
  for (std::size_t i = 0; i + 1 < args.size(); ++i) {
    if (args[i] == "--output" || args[i] == "-o") {
      EXPECT_EQ(args[i + 1], "samples/survey-line-1.vsk");
      args[i + 1] = path("sample.vsk");
      redirected = true;
    }
  }
  ASSERT_TRUE(redirected);
  ASSERT_EQ(run(args), 0) << out();
  const Bytes committed = fileBytes(std::string(SAMPLES_DIR) + "/survey-line-1.vsk");
  ASSERT_GT(committed.size(), 100000u);
  EXPECT_LE(committed.size(), 600u * 1024);
  EXPECT_TRUE(fileBytes(path("sample.vsk")) == committed) << "regenerate the sample with the README's command";
}

TEST_F(VskgenCommand, HelpNamesEveryOption) {
  ASSERT_EQ(run({"--help"}), 0);
  const std::string help = out();
  EXPECT_EQ(help.rfind("Usage: vskgen", 0), 0u);
  for (const char* option : {"--output", "--seed", "--pings", "--bytes", "--pairs", "--subbottom", "--no-subbottom",
                             "--single", "--bathymetry", "--samples", "--bits", "--nav", "--version"}) {
    EXPECT_NE(help.find(option), std::string::npos) << option;
  }
  ASSERT_EQ(run({"--version"}), 0);
  EXPECT_EQ(out().rfind(std::string("vskgen (VESKCONV) ") + PROGRAM_VERSION + "\n", 0), 0u) << out();
}

TEST_F(VskgenCommand, BadOptionsAreRefusedWithoutWritingAFile) {
  const std::string target = path("x.vsk");
  const std::vector<std::vector<std::string>> cases = {
      {"--output", target, "--frobnicate", "1"},
      {"--output", target, "--bits", "12"},
      {"--output", target, "--pings", "many"},
      {"--output", target, "--single", "sideways:100"},
      {"--output", target, "--pairs", "100,200,300,400"},
      {"--output", target, "--bytes", "12Q"},
      {"--output", target, "--nav"},
      {"--pings", "3"},
  };
  for (const auto& args : cases) {
    SCOPED_TRACE(args[args.size() - 2] + " " + args.back());
    EXPECT_EQ(run(args), 2);
    const std::string said = out();
    EXPECT_EQ(said.rfind("vskgen: ", 0), 0u) << said;
    EXPECT_EQ(said.substr(said.find('\n') + 1), "Try 'vskgen --help' for more information.\n") << said;
    EXPECT_FALSE(std::filesystem::exists(target));
  }
}

TEST_F(VskgenCommand, BytesWithASuffixBoundTheFile) {
  const std::string target = path("sized.vsk");
  ASSERT_EQ(run({"-o", target, "--bytes", "256K", "--samples", "300", "--bits", "8", "--nav", "degrees"}), 0) << out();
  const auto size = std::filesystem::file_size(target);
  EXPECT_LE(size, 256u * 1024);
  EXPECT_GT(size, 250u * 1024);
}

}  // namespace
