// What `veskconv-batch --preview` costs over the conversion alone, on a
// ~1 GiB survey: the whole program run both ways, interleaved A B B A for a
// number of rounds, and the ratio (B1 + B2) / (A1 + A2) of each round
// reported as its median and range, for the wall time and for the CPU time
// of the program (user and system; what other work on the machine cannot
// lengthen). Before each timed run, untimed: the
// survey is read into the page cache, dirty pages are written back, and a
// few GiB of anonymous memory are touched and freed, so that every run
// starts from the same memory state; the outputs of the last run are gone.
//
//   preview_bench --batch PATH [--folder DIR] [--bytes SIZE] [--rounds N] [--set SET]
#include "tools/vskgen/survey_generator.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

extern char** environ;

namespace {

constexpr std::uint64_t DEFAULT_BYTES = std::uint64_t{1} << 30;
constexpr int DEFAULT_ROUNDS = 6;
constexpr const char* DEFAULT_SET = "pair1";
constexpr double GOAL_PERCENT = 25.0;
constexpr std::size_t WARM_CHUNK = std::size_t{1} << 20;
constexpr std::size_t ANONYMOUS_BYTES = std::size_t{5} << 29;  // 2.5 GiB
constexpr std::size_t PAGE_BYTES = 4096;

struct Settings {
  std::string batch;
  std::filesystem::path folder = std::filesystem::temp_directory_path() / "veskconv-bench";
  std::uint64_t bytes = DEFAULT_BYTES;
  int rounds = DEFAULT_ROUNDS;
  std::string set = DEFAULT_SET;
};

bool parse(int argc, char** argv, Settings* settings) {
  for (int at = 1; at + 1 < argc; at += 2) {
    const std::string option = argv[at];
    const std::string value = argv[at + 1];
    if (option == "--batch") settings->batch = value;
    else if (option == "--folder") settings->folder = value;
    else if (option == "--bytes") settings->bytes = std::strtoull(value.c_str(), nullptr, 10);
    else if (option == "--rounds") settings->rounds = std::max(1, std::atoi(value.c_str()));
    else if (option == "--set") settings->set = value;
    else return false;
  }
  return argc % 2 == 1 && !settings->batch.empty() && settings->bytes > 0;
}

void warmPageCache(const std::string& file) {
  std::FILE* in = std::fopen(file.c_str(), "rb");
  if (in == nullptr) return;
  std::vector<char> chunk(WARM_CHUNK);
  while (std::fread(chunk.data(), 1, chunk.size(), in) == chunk.size()) {
  }
  std::fclose(in);
}

// Every page written once, so the memory is really taken from the system
// (and given back when freed).
void touchAnonymousMemory() {
  const std::unique_ptr<char[]> memory(new char[ANONYMOUS_BYTES]);
  for (std::size_t at = 0; at < ANONYMOUS_BYTES; at += PAGE_BYTES) memory[at] = static_cast<char>(at);
  volatile char keep = memory[ANONYMOUS_BYTES - PAGE_BYTES];
  static_cast<void>(keep);
}

struct Run {
  double wall = 0.0;
  double cpu = 0.0;  // user and system
};

double secondsOf(const timeval& time) {
  return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_usec) / 1e6;
}

// The exit status of a program run with its output thrown away; its CPU
// time into *cpuSeconds.
int runQuietly(const std::vector<std::string>& command, double* cpuSeconds) {
  std::vector<char*> argv;
  for (const std::string& word : command) argv.push_back(const_cast<char*>(word.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  pid_t child = 0;
  const int spawned = posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return -1;
  int status = 0;
  rusage usage{};
  ::wait4(child, &status, 0, &usage);
  *cpuSeconds = secondsOf(usage.ru_utime) + secondsOf(usage.ru_stime);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t middle = values.size() / 2;
  return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2.0;
}

}  // namespace

int main(int argc, char** argv) {
  Settings settings;
  if (!parse(argc, argv, &settings)) {
    std::fprintf(stderr, "usage: preview_bench --batch PATH [--folder DIR] [--bytes SIZE] [--rounds N] [--set SET]\n");
    return 2;
  }
  std::filesystem::create_directories(settings.folder);
  const std::string survey = (settings.folder / ("survey-" + std::to_string(settings.bytes) + ".vsk")).string();
  const std::string output = (settings.folder / "preview-bench.SEG").string();
  const std::string picture = (settings.folder / "preview-bench.png").string();
  if (!std::filesystem::exists(survey)) {
    std::printf("generating %s ...\n", survey.c_str());
    std::fflush(stdout);
    vskgen::SurveyOptions options;
    options.targetBytes = settings.bytes;
    if (const std::string problem = vskgen::writeSurvey(survey, options); !problem.empty()) {
      std::fprintf(stderr, "%s\n", problem.c_str());
      return 1;
    }
  }
  const std::vector<std::string> conversion = {settings.batch, "-c", settings.set, "-o", output, survey};
  std::vector<std::string> withPreview = conversion;
  withPreview.insert(withPreview.end() - 1, "--preview");

  const auto timed = [&](const std::vector<std::string>& command) {
    std::filesystem::remove(output);
    std::filesystem::remove(picture);
    warmPageCache(survey);
    ::sync();
    touchAnonymousMemory();
    Run run;
    const auto start = std::chrono::steady_clock::now();
    const int status = runQuietly(command, &run.cpu);
    run.wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (status != 0) {
      std::fprintf(stderr, "veskconv-batch failed (exit status %d)\n", status);
      std::exit(1);
    }
    return run;
  };
  std::vector<Run> alone;
  std::vector<Run> previewed;
  std::vector<double> wallRatios;
  std::vector<double> cpuRatios;
  std::uintmax_t pictureBytes = 0;
  for (int round = 0; round < settings.rounds; ++round) {
    const Run a1 = timed(conversion);
    const Run b1 = timed(withPreview);
    const Run b2 = timed(withPreview);
    pictureBytes = std::filesystem::file_size(picture);
    const Run a2 = timed(conversion);
    alone.insert(alone.end(), {a1, a2});
    previewed.insert(previewed.end(), {b1, b2});
    wallRatios.push_back((b1.wall + b2.wall) / (a1.wall + a2.wall));
    cpuRatios.push_back((b1.cpu + b2.cpu) / (a1.cpu + a2.cpu));
    std::printf("round %d: alone %.3f %.3f s (CPU %.3f %.3f), with --preview %.3f %.3f s (CPU %.3f %.3f)\n", round + 1,
                a1.wall, a2.wall, a1.cpu, a2.cpu, b1.wall, b2.wall, b1.cpu, b2.cpu);
    std::fflush(stdout);
  }
  std::printf("survey %llu bytes, %s: %llu SEG-Y bytes, picture %llu bytes; %d rounds A B B A\n",
              static_cast<unsigned long long>(std::filesystem::file_size(survey)), settings.set.c_str(),
              static_cast<unsigned long long>(std::filesystem::file_size(output)),
              static_cast<unsigned long long>(pictureBytes), settings.rounds);
  std::printf("%-24s %9s   %-21s %9s   %s\n", "", "median s", "fastest - slowest s", "CPU s", "least - most CPU s");
  const auto line = [](const char* label, const std::vector<Run>& runs) {
    std::vector<double> wall;
    std::vector<double> cpu;
    for (const Run& run : runs) {
      wall.push_back(run.wall);
      cpu.push_back(run.cpu);
    }
    const auto [fastest, slowest] = std::minmax_element(wall.begin(), wall.end());
    const auto [least, most] = std::minmax_element(cpu.begin(), cpu.end());
    std::printf("%-24s %9.3f   %6.3f - %-12.3f %9.3f   %.3f - %.3f\n", label, median(wall), *fastest, *slowest,
                median(cpu), *least, *most);
  };
  line("(A) conversion alone", alone);
  line("(B) with --preview", previewed);
  const auto cost = [&](const char* label, const std::vector<double>& ratios) {
    const auto [lowest, highest] = std::minmax_element(ratios.begin(), ratios.end());
    const double percent = (median(ratios) - 1.0) * 100.0;
    std::printf(
        "--preview over the conversion alone, %s: %+.1f %% (median of %d rounds; range %+.1f %% to %+.1f %%); "
        "goal under +%.0f %%: %s\n",
        label, percent, settings.rounds, (*lowest - 1.0) * 100.0, (*highest - 1.0) * 100.0, GOAL_PERCENT,
        percent < GOAL_PERCENT ? "met" : "MISSED");
  };
  cost("wall time", wallRatios);
  cost("CPU time", cpuRatios);
  std::filesystem::remove(output);
  std::filesystem::remove(picture);
  return 0;
}
