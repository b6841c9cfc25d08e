// How fast a survey converts along each path a user has, against `cp` of
// the same survey on the same disk, in one run:
//   (a) cp of the input (the baseline);
//   (b) the conversion engine alone on the main thread, processing
//       information on and off;
//   (c) PROCESS in the window logic on the headless front end, processing
//       information on (the window's default: five control updates per ping
//       sent from the Converter thread) and off, with the main thread pumping
//       through the headless front end's runUntilIdle (as veskconv-batch
//       does) and through GetMessageA (as the window program's loop does);
//   (d) veskconv-batch on the same input, the whole run.
// Medians of several runs, interleaved, with the fastest and slowest beside
// them; before each run (untimed) the survey is read into the page cache and
// dirty pages are written back.
//
//   throughput_bench --batch PATH [--folder DIR] [--bytes SIZE] [--runs N] [--set SET]
#include "app/channel_selection.h"
#include "app/program_state.h"
#include "core/conversion_engine.h"
#include "core/converter_context.h"
#include "platform/headless/headless_front_end.h"
#include "platform/messages.h"
#include "platform/profile.h"
#include "res/resource_ids.h"
#include "tools/veskconv_batch/batch_options.h"
#include "tools/veskconv_batch/job_report.h"
#include "tools/veskconv_batch/window_session.h"
#include "tools/vskgen/survey_generator.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

extern char** environ;

namespace {

constexpr std::uint64_t DEFAULT_BYTES = std::uint64_t{1} << 30;
constexpr int DEFAULT_RUNS = 3;
constexpr const char* DEFAULT_SET = "pair1";
constexpr double COPY_GOAL = 1.25;
constexpr double INFO_GOAL_PERCENT = 10.0;
constexpr std::size_t WARM_CHUNK = std::size_t{1} << 20;

struct Settings {
  std::string batch;
  std::filesystem::path folder = std::filesystem::temp_directory_path() / "veskconv-bench";
  std::uint64_t bytes = DEFAULT_BYTES;
  int runs = DEFAULT_RUNS;
  std::string set = DEFAULT_SET;
};

void warmPageCache(const std::string& file) {
  std::FILE* in = std::fopen(file.c_str(), "rb");
  if (in == nullptr) return;
  std::vector<char> chunk(WARM_CHUNK);
  while (std::fread(chunk.data(), 1, chunk.size(), in) == chunk.size()) {
  }
  std::fclose(in);
}

// Before the timed work, untimed: the survey read again (memory reclaim may
// have dropped its pages since) and every dirty page written back.
double secondsOf(const std::string& survey, const std::function<void()>& work) {
  warmPageCache(survey);
  ::sync();
  const auto start = std::chrono::steady_clock::now();
  work();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// The exit status of a program run with its output thrown away.
int runQuietly(const std::vector<std::string>& command) {
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
  ::waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool parse(int argc, char** argv, Settings* settings) {
  for (int at = 1; at + 1 < argc; at += 2) {
    const std::string option = argv[at];
    const std::string value = argv[at + 1];
    if (option == "--batch") settings->batch = value;
    else if (option == "--folder") settings->folder = value;
    else if (option == "--bytes") settings->bytes = std::strtoull(value.c_str(), nullptr, 10);
    else if (option == "--runs") settings->runs = std::max(1, std::atoi(value.c_str()));
    else if (option == "--set") settings->set = value;
    else return false;
  }
  return argc % 2 == 1 && !settings->batch.empty() && settings->bytes > 0;
}

const ChannelSet* channelSetNamed(const std::string& name) {
  for (const ChannelSet& set : channelSets()) {
    if (name == set.name) return &set;
  }
  return nullptr;
}

// Nobody reads what the benchmark's conversions report.
class QuietReport final : public JobReport {
 public:
  void counting() override {}
  void converting(unsigned long) override {}
  void progress(int) override {}
  void message(const std::string&, const std::string&) override {}
};

// The window with the survey accepted, the output ready and the set chosen.
class PreparedWindow {
 public:
  PreparedWindow(const std::string& survey, const std::string& output, const ChannelSet& set)
      : session_(ui_, report_) {
    options_.channels = &set;
    ready_ = session_.start();
    const auto start = std::chrono::steady_clock::now();
    ready_ = ready_ && session_.openInput(survey);
    scanSeconds_ = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    ready_ = ready_ && session_.openOutput(output) && session_.chooseOptions(options_);
  }
  ~PreparedWindow() {
    if (session_.window() != nullptr) session_.quit();
  }
  PreparedWindow(const PreparedWindow&) = delete;
  PreparedWindow& operator=(const PreparedWindow&) = delete;

  bool ready() const { return ready_; }
  WindowSession& session() { return session_; }

  double scanSeconds() const { return scanSeconds_; }

  void setProcessingInfo(bool on) { session_.setProcessingInfo(on); }

  // What CMD_START_CONVERSION hands the Converter thread, run here instead.
  void runEngineHere() {
    ConverterContext& context = converterContext();
    context.selectedChannel = channelForSelection(context, context.channelSelection);
    context.tracesPerRecord = tracesForSelection(context.channelSelection);
    context.conversionStep = STEP_IDLE;
    runConversion(&context);
  }

 private:
  HeadlessFrontEnd ui_;
  QuietReport report_;
  WindowSession session_;
  BatchOptions options_;
  bool ready_ = false;
  double scanSeconds_ = 0.0;
};

struct Measure {
  const char* label;
  std::function<double()> once;
  std::vector<double> seconds;
};

}  // namespace

int main(int argc, char** argv) {
  Settings settings;
  if (!parse(argc, argv, &settings)) {
    std::fprintf(stderr,
                 "usage: throughput_bench --batch PATH [--folder DIR] [--bytes SIZE] [--runs N] [--set SET]\n");
    return 2;
  }
  const ChannelSet* set = channelSetNamed(settings.set);
  if (set == nullptr) {
    std::fprintf(stderr, "unknown channel set %s\n", settings.set.c_str());
    return 2;
  }
  std::filesystem::create_directories(settings.folder);
  const std::string survey = (settings.folder / ("survey-" + std::to_string(settings.bytes) + ".vsk")).string();
  const std::string copy = (settings.folder / "copy.vsk").string();
  const std::string windowOutput = (settings.folder / "window.SEG").string();
  const std::string batchOutput = (settings.folder / "batch.SEG").string();
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
  disableProfileFiles();
  // One program per run: its share lock on the survey would keep veskconv-batch out.
  unsigned long pings = 0;
  std::vector<double> scanSeconds;
  const auto inWindow = [&](bool info, const std::function<void(PreparedWindow&)>& work) {
    PreparedWindow window(survey, windowOutput, *set);
    if (!window.ready()) {
      std::fprintf(stderr, "the window did not take the survey, the output or the channel set\n");
      std::exit(1);
    }
    scanSeconds.push_back(window.scanSeconds());
    pings = window.session().pingCount();
    window.setProcessingInfo(info);
    return secondsOf(survey, [&] { work(window); });
  };
  const auto engine = [&](bool info) { return inWindow(info, [](PreparedWindow& window) { window.runEngineHere(); }); };
  const auto process = [&](bool info) {
    return inWindow(info, [](PreparedWindow& window) { window.session().click(IDC_PROCESS); });
  };
  // The window program's own loop: GetMessageA, which carries out the sends
  // while it waits, until CMD_CONVERSION_DONE has been handled.
  const auto processInMessageLoop = [&](bool info) {
    return inWindow(info, [](PreparedWindow& window) {
      PostMessageA(window.session().window(), WM_COMMAND, IDC_PROCESS, 0);
      bool started = false;
      MSG msg;
      while (GetMessageA(&msg, nullptr, 0, 0) != FALSE) {
        DispatchMessageA(&msg);
        started = started || converterContext().busy != 0;
        if (started && converterContext().busy == 0) break;
      }
      window.session().settle();
    });
  };
  enum Index { COPY, ENGINE_OFF, ENGINE_ON, HEADLESS_OFF, HEADLESS_ON, LOOP_OFF, LOOP_ON, BATCH };
  std::vector<Measure> measures = {
      {"(a) cp of the input", [&] {
         const double took = secondsOf(survey, [&] { runQuietly({"cp", survey, copy}); });
         std::filesystem::remove(copy);
         return took;
       }, {}},
      {"(b) engine on the main thread, info off", [&] { return engine(false); }, {}},
      {"(b) engine on the main thread, info on", [&] { return engine(true); }, {}},
      {"(c) PROCESS, runUntilIdle pumps, info off", [&] { return process(false); }, {}},
      {"(c) PROCESS, runUntilIdle pumps, info on", [&] { return process(true); }, {}},
      {"(c) PROCESS, GetMessageA pumps, info off", [&] { return processInMessageLoop(false); }, {}},
      {"(c) PROCESS, GetMessageA pumps, info on", [&] { return processInMessageLoop(true); }, {}},
      {"(d) veskconv-batch, whole run", [&] {
         const double took = secondsOf(survey, [&] {
           if (runQuietly({settings.batch, "-c", set->name, "-o", batchOutput, survey}) != 0) {
             std::fprintf(stderr, "veskconv-batch failed\n");
           }
         });
         std::filesystem::remove(batchOutput);
         return took;
       }, {}},
  };
  for (int run = 0; run < settings.runs; ++run) {
    for (Measure& measure : measures) measure.seconds.push_back(measure.once());
  }
  const auto of = [&](Index index) { return median(measures[index].seconds); };
  std::printf("survey %llu bytes, %lu pings; %s: %llu SEG-Y bytes; medians of %d runs\n",
              static_cast<unsigned long long>(std::filesystem::file_size(survey)), pings, set->name,
              static_cast<unsigned long long>(std::filesystem::file_size(windowOutput)), settings.runs);
  std::printf("%-46s %9s %8s   %s\n", "", "wall s", "x cp", "fastest - slowest s");
  for (const Measure& measure : measures) {
    const auto [fastest, slowest] = std::minmax_element(measure.seconds.begin(), measure.seconds.end());
    std::printf("%-46s %9.3f %8.3f   %.3f - %.3f\n", measure.label, median(measure.seconds),
                median(measure.seconds) / of(COPY), *fastest, *slowest);
  }
  const double scan = median(scanSeconds);
  std::printf("%-46s %9.3f %8.3f\n", "    of which survey and ping count scan", scan, scan / of(COPY));
  const auto infoCost = [&](Index off, Index on) { return (of(on) / of(off) - 1.0) * 100.0; };
  std::printf("processing information, on against off (goal under +%.0f %%): engine %+.1f %%, runUntilIdle %+.1f %%, "
              "GetMessageA %+.1f %%\n",
              INFO_GOAL_PERCENT, infoCost(ENGINE_OFF, ENGINE_ON), infoCost(HEADLESS_OFF, HEADLESS_ON),
              infoCost(LOOP_OFF, LOOP_ON));
  const auto verdict = [&](Index index) { return of(index) / of(COPY) <= COPY_GOAL ? "met" : "MISSED"; };
  std::printf("within %.2f x cp: engine (info on) %s, PROCESS (info on, GetMessageA) %s, veskconv-batch %s\n",
              COPY_GOAL, verdict(ENGINE_ON), verdict(LOOP_ON), verdict(BATCH));
  std::filesystem::remove(windowOutput);
  return 0;
}
