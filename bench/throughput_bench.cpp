// How fast surveys convert along each path a user has, against `cp` of the
// same input to the same folder in the same run, for three survey shapes
// (pings of ~15 KB, ~600 KB and ~1.6 KB):
//   batch   veskconv-batch, the whole run, page cache warm;
//   cold    the same with every cache dropped before each command (root only);
//   window  PROCESS until CMD_CONVERSION_DONE has been handled, in the window
//           logic on the headless front end, Verbose (processing information)
//           on and off, the main thread pumping through runUntilIdle (as
//           veskconv-batch does) and through GetMessageA (as the window
//           program's loop does);
//   files   50 small inputs in one veskconv-batch run (--jobs 1 where the
//           option exists): the cost per file;
//   jobs    veskconv-batch --jobs 2 against --jobs 1 on 20 inputs;
//   rss     the batch program's peak resident memory against the input size.
// Every command is timed as bench/timing_method.h describes; the figures are
// medians of the ratios within each round, with their lowest and highest.
// Beside the time, each records CPU seconds (user + system: of the program
// and its children from wait4, or of this process for the window), which
// other work on the machine cannot lengthen.
// The goals are reported as text; a timing never fails the program.
//
//   throughput_bench --batch PATH [--folder DIR] [--bytes SIZE] [--rounds N]
//                    [--set SET] [--cases batch,cold,window,files,jobs,rss]
//                    [--shapes 15k,600k,1600]
// SIZE is each survey's (K, M, G suffixes; default 1G): a smaller one makes a
// quick check.
#include "app/channel_selection.h"
#include "app/program_state.h"
#include "bench/timing_method.h"
#include "core/converter_context.h"
#include "platform/headless/headless_front_end.h"
#include "platform/messages.h"
#include "platform/profile.h"
#include "res/resource_ids.h"
#include "tools/veskconv_batch/batch_options.h"
#include "tools/veskconv_batch/job_report.h"
#include "tools/veskconv_batch/window_session.h"
#include "tools/vskgen/survey_generator.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr std::uint64_t DEFAULT_BYTES = std::uint64_t{1} << 30;
constexpr int DEFAULT_ROUNDS = 6;
constexpr int FEWEST_TRUSTED_ROUNDS = 5;
constexpr const char* DEFAULT_SET = "pair1";
constexpr const char* ALL_CASES = "batch,cold,window,files,jobs,rss";
constexpr const char* ALL_SHAPES = "15k,600k,1600";

constexpr double BATCH_GOAL = 1.3;    // x cp, warm and cold; CPU seconds too
constexpr double PROCESS_GOAL = 1.1;  // x cp
constexpr double VERBOSE_GOAL_PERCENT = 10.0;
constexpr double FILE_OVERHEAD_GOAL_MS = 2.0;
constexpr double RSS_GOAL_MB = 16.0;

constexpr int SMALL_FILES = 50;
constexpr std::uint64_t SMALL_FILE_BYTES = std::uint64_t{1} << 19;
constexpr int JOB_FILES = 20;
constexpr std::uint64_t JOB_FILE_BYTES = std::uint64_t{50} << 20;
constexpr int RSS_RUNS = 3;
constexpr double MEGA = 1e6;
constexpr double KILO = 1e3;
constexpr double PERCENT = 100.0;

// The survey shapes: the generator's channels (two pairs and a subbottom
// channel, 16-bit samples) with as many samples as give the ping size.
struct Shape {
  const char* name;  // in file names
  const char* label;
  std::uint32_t samplesPerChannel;
};
constexpr Shape SHAPES[] = {
    {"15k", "~15 KB pings", 1500},
    {"600k", "~600 KB pings", 60000},
    {"1600", "~1.6 KB pings", 100},
};
constexpr const Shape& SMALL_SHAPE = SHAPES[0];

struct Settings {
  std::string batch;
  fs::path folder = fs::temp_directory_path() / "veskconv-bench";
  std::uint64_t bytes = DEFAULT_BYTES;
  int rounds = DEFAULT_ROUNDS;
  std::string set = DEFAULT_SET;
  std::set<std::string> cases;
  std::set<std::string> shapes;
};

std::set<std::string> splitList(const std::string& text) {
  std::set<std::string> items;
  std::size_t start = 0;
  while (start <= text.size()) {
    const std::size_t comma = std::min(text.find(',', start), text.size());
    items.insert(text.substr(start, comma - start));
    start = comma + 1;
  }
  return items;
}

// A size with an optional K, M or G suffix; 0 when it is none.
std::uint64_t parseSize(std::string text) {
  std::uint64_t unit = 1;
  if (!text.empty() && std::string("KkMmGg").find(text.back()) != std::string::npos) {
    const char suffix = static_cast<char>(std::toupper(static_cast<unsigned char>(text.back())));
    unit = suffix == 'K' ? std::uint64_t{1} << 10 : suffix == 'M' ? std::uint64_t{1} << 20 : std::uint64_t{1} << 30;
    text.pop_back();
  }
  if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos) return 0;
  return std::strtoull(text.c_str(), nullptr, 10) * unit;
}

bool parse(int argc, char** argv, Settings* settings) {
  settings->cases = splitList(ALL_CASES);
  settings->shapes = splitList(ALL_SHAPES);
  for (int at = 1; at + 1 < argc; at += 2) {
    const std::string option = argv[at];
    const std::string value = argv[at + 1];
    if (option == "--batch") settings->batch = value;
    else if (option == "--folder") settings->folder = value;
    else if (option == "--bytes") settings->bytes = parseSize(value);
    else if (option == "--rounds") settings->rounds = std::max(1, std::atoi(value.c_str()));
    else if (option == "--set") settings->set = value;
    else if (option == "--cases") settings->cases = splitList(value);
    else if (option == "--shapes") settings->shapes = splitList(value);
    else return false;
  }
  const auto allKnown = [](const std::set<std::string>& chosen, const char* all) {
    const std::set<std::string> known = splitList(all);
    return std::includes(known.begin(), known.end(), chosen.begin(), chosen.end());
  };
  return argc % 2 == 1 && !settings->batch.empty() && settings->bytes > 0 && allKnown(settings->cases, ALL_CASES) &&
         allKnown(settings->shapes, ALL_SHAPES);
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
  void begun() override {}
  void counting() override {}
  void converting(unsigned long) override {}
  void progress(int) override {}
  void message(const std::string&, const std::string&) override {}
};

bool generate(const fs::path& path, std::uint64_t bytes, std::uint32_t samples, std::uint64_t seed) {
  if (fs::exists(path)) return true;
  std::fprintf(stderr, "generating %s ...\n", path.c_str());
  vskgen::SurveyOptions options;
  options.targetBytes = bytes;
  options.samplesPerChannel = samples;
  options.seed = seed;
  const fs::path partial = path.string() + ".partial";
  if (const std::string problem = vskgen::writeSurvey(partial.string(), options); !problem.empty()) {
    std::fprintf(stderr, "%s\n", problem.c_str());
    return false;
  }
  fs::rename(partial, path);
  return true;
}

std::vector<std::string> generateMany(const fs::path& folder, int count, std::uint64_t bytes) {
  fs::create_directories(folder);
  std::vector<std::string> files;
  for (int index = 1; index <= count; ++index) {
    const fs::path file = folder / ("input-" + std::to_string(index) + ".vsk");
    if (!generate(file, bytes, SMALL_SHAPE.samplesPerChannel, static_cast<std::uint64_t>(index))) return {};
    files.push_back(file.string());
  }
  return files;
}

void emptyFolder(const fs::path& folder) {
  fs::remove_all(folder);
  fs::create_directories(folder);
}

// The window with the survey accepted, the output ready and the set chosen.
class PreparedWindow {
 public:
  PreparedWindow(const std::string& survey, const std::string& output, const ChannelSet& set) : session_(ui_, report_) {
    options_.channels = &set;
    ready_ = session_.start();
    scanSeconds_ = bench::secondsOf([&] { ready_ = ready_ && session_.openInput(survey); });
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

 private:
  HeadlessFrontEnd ui_;
  QuietReport report_;
  WindowSession session_;
  BatchOptions options_;
  bool ready_ = false;
  double scanSeconds_ = 0.0;
};

// PROCESS clicked, the main thread pumping through runUntilIdle.
void processPumpingIdle(PreparedWindow& window) { window.session().click(IDC_PROCESS); }

// The window program's own loop: GetMessageA, which carries out the sends
// while it waits, until CMD_CONVERSION_DONE has been handled.
void processPumpingMessages(PreparedWindow& window) {
  PostMessageA(window.session().window(), WM_COMMAND, IDC_PROCESS, 0);
  bool started = false;
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) != FALSE) {
    DispatchMessageA(&msg);
    started = started || converterContext().busy != 0;
    if (started && converterContext().busy == 0) break;
  }
  window.session().settle();
}

std::string goalText(bool met, const std::string& goal) { return "goal " + goal + ": " + (met ? "met" : "missed"); }

std::string fixed(double value, int decimals, bool signedValue = false) {
  char text[32];
  std::snprintf(text, sizeof text, signedValue ? "%+.*f" : "%.*f", decimals, value);
  return text;
}

std::string spreadText(const bench::Spread& spread, int decimals, const char* unit = "") {
  return fixed(spread.median, decimals) + unit + " [" + fixed(spread.lowest, decimals) + "-" +
         fixed(spread.highest, decimals) + "]";
}

std::string percentText(const bench::Spread& ratio) {
  const auto signedPercent = [](double value) { return fixed((value - 1.0) * PERCENT, 1, true); };
  return signedPercent(ratio.median) + " % [" + signedPercent(ratio.lowest) + " - " + signedPercent(ratio.highest) +
         "]";
}

void printRow(const std::string& what, const std::string& seconds, const std::string& ratio, const std::string& goal) {
  std::printf("  %-40s %-22s %-28s %s\n", what.c_str(), seconds.c_str(), ratio.c_str(), goal.c_str());
  std::fflush(stdout);
}

// Other work on the machine slows the conversion (CPU) more than cp (disk):
// a ratio measured under load is worse than the program's own.
void printLoad(const char* when) {
  double minute = 0.0;
  double five = 0.0;
  double fifteen = 0.0;
  std::FILE* load = std::fopen("/proc/loadavg", "r");
  if (load == nullptr) return;
  const bool read = std::fscanf(load, "%lf %lf %lf", &minute, &five, &fifteen) == 3;
  std::fclose(load);
  if (!read) return;
  const unsigned cores = std::thread::hardware_concurrency();
  std::printf("%s: load average %.2f %.2f %.2f on %u cores%s\n", when, minute, five, fifteen, cores,
              minute > cores ? " (busy: the ratios include the wait for a core)" : "");
}

class Bench {
 public:
  Bench(Settings settings, const ChannelSet& set, bench::ChildRunner& runner)
      : settings_(std::move(settings)), set_(set), runner_(runner) {
    outputs_ = settings_.folder / "outputs";
    copy_ = (outputs_ / "copy.vsk").string();
    output_ = (outputs_ / "output.SEG").string();
  }

  bool wants(const char* name) const { return settings_.cases.count(name) != 0; }

  bool prepareInputs() {
    fs::create_directories(settings_.folder);
    emptyFolder(outputs_);
    const bool shapesWanted = wants("batch") || wants("cold") || wants("window") || wants("rss");
    for (const Shape& shape : SHAPES) {
      const bool chosen = settings_.shapes.count(shape.name) != 0 || (wants("rss") && &shape == &SMALL_SHAPE);
      if (!shapesWanted || !chosen) continue;
      const fs::path file =
          settings_.folder / ("survey-" + std::string(shape.name) + "-" + std::to_string(settings_.bytes) + ".vsk");
      if (!generate(file, settings_.bytes, shape.samplesPerChannel, 1)) return false;
      surveys_.emplace_back(&shape, file.string());
    }
    if (wants("files") || wants("rss")) {
      smallFiles_ = generateMany(settings_.folder / "small", SMALL_FILES, SMALL_FILE_BYTES);
      if (smallFiles_.empty()) return false;
    }
    if (wants("jobs") || wants("rss")) {
      const std::uint64_t bytes = std::min(JOB_FILE_BYTES, settings_.bytes / JOB_FILES);
      jobFiles_ = generateMany(settings_.folder / ("jobs-" + std::to_string(bytes)), JOB_FILES, bytes);
      if (jobFiles_.empty()) return false;
    }
    hasJobs_ = bench::outputOf({settings_.batch, "--help"}).find("--jobs") != std::string::npos;
    return true;
  }

  void run() {
    std::printf(
        "veskconv-batch %s, channel set %s, %d rounds (A B, B A, ...) per comparison; "
        "ratios: median [lowest-highest] of the ratios within each round\n",
        settings_.batch.c_str(), set_.name, settings_.rounds);
    printLoad("at the start");
    if (settings_.rounds < FEWEST_TRUSTED_ROUNDS) {
      std::printf("(fewer than %d rounds: a quick check, not a measurement)\n", FEWEST_TRUSTED_ROUNDS);
    }
    for (const auto& [shape, survey] : surveys_) {
      if (settings_.shapes.count(shape->name) != 0) runShape(*shape, survey);
    }
    if (wants("files")) runSmallFiles();
    if (wants("jobs")) runJobs();
    if (wants("rss")) printPeakMemory();
    printLoad("\nat the end");
    std::printf("\nGoals\n");
    for (const std::string& line : goals_) std::printf("  %s\n", line.c_str());
    fs::remove_all(outputs_);
  }

 private:
  // Each timed command's CPU seconds go to `cpu` when it is given.
  double timedCopy(const std::vector<std::string>& inputs, bench::Cache cache, std::vector<double>* cpu = nullptr) {
    std::vector<std::string> command = {"cp"};
    command.insert(command.end(), inputs.begin(), inputs.end());
    command.push_back(inputs.size() == 1 ? copy_ : outputs_.string());
    bench::ChildRun child;
    const double seconds = bench::settledSecondsOf(inputs, cache, [&] { child = checkedRun(command); });
    if (cpu != nullptr) cpu->push_back(child.cpuSeconds);
    emptyFolder(outputs_);
    return seconds;
  }

  double timedSyncedCopy(const std::string& survey, bench::Cache cache) {
    const std::vector<std::string> command = {"sh", "-c", "cp \"$1\" \"$2\" && sync \"$2\"", "sh", survey, copy_};
    const double seconds = bench::settledSecondsOf({survey}, cache, [&] { checkedRun(command); });
    emptyFolder(outputs_);
    return seconds;
  }

  double timedBatch(const std::vector<std::string>& inputs, bench::Cache cache,
                    const std::vector<std::string>& extra = {}, std::vector<double>* cpu = nullptr) {
    std::vector<std::string> command = {settings_.batch, "-c", set_.name, "-o",
                                        inputs.size() == 1 ? output_ : outputs_.string()};
    command.insert(command.end(), extra.begin(), extra.end());
    command.insert(command.end(), inputs.begin(), inputs.end());
    bench::ChildRun child;
    const double seconds = bench::settledSecondsOf(inputs, cache, [&] { child = checkedRun(command); });
    if (cpu != nullptr) cpu->push_back(child.cpuSeconds);
    notePeakMemory(inputs, child.peakResidentBytes);
    emptyFolder(outputs_);
    return seconds;
  }

  bench::ChildRun checkedRun(const std::vector<std::string>& command) {
    bench::ChildRun child = runner_.run(command);
    if (child.exitStatus != 0) std::fprintf(stderr, "%s exited with %d\n", command.front().c_str(), child.exitStatus);
    return child;
  }

  void notePeakMemory(const std::vector<std::string>& inputs, std::uint64_t bytes) {
    const std::string key = inputs.size() == 1 ? inputs.front() : std::to_string(inputs.size()) + " inputs";
    peakMemory_[key] = std::max(peakMemory_[key], bytes);
  }

  void runShape(const Shape& shape, const std::string& survey) {
    const std::uint64_t size = fs::file_size(survey);
    std::printf("\n%s: %s, %llu bytes\n", shape.label, fs::path(survey).filename().c_str(),
                static_cast<unsigned long long>(size));
    if (wants("window")) compareWindow(shape, survey, size);
    if (wants("batch")) compareBatch(shape, survey, bench::Cache::Warm);
    if (wants("cold")) {
      if (bench::canDropCaches()) compareBatch(shape, survey, bench::Cache::Cold);
      else printRow("veskconv-batch, cold", "skipped: dropping the page cache needs root", "", "");
    }
  }

  // The batch syncs every output before it puts it in place; cp does not. A
  // copy that then syncs its file is the baseline of what that costs.
  void compareBatch(const Shape& shape, const std::string& survey, bench::Cache cache) {
    const bool cold = cache == bench::Cache::Cold;
    enum Variant { COPY, BATCH, SYNCED_COPY };
    std::vector<double> copyCpu;
    std::vector<double> batchCpu;
    const auto seconds = bench::interleaved(
        {[&] { return timedCopy({survey}, cache, &copyCpu); },
         [&] { return timedBatch({survey}, cache, {}, &batchCpu); }, [&] { return timedSyncedCopy(survey, cache); }},
        settings_.rounds);
    const bench::Spread ratio = bench::spreadOf(bench::ratiosPerRound(seconds[BATCH], seconds[COPY]));
    const bench::Spread syncedRatio = bench::spreadOf(bench::ratiosPerRound(seconds[BATCH], seconds[SYNCED_COPY]));
    const std::string state = cold ? "cold" : "warm";
    const std::string label = "veskconv-batch, " + state;
    printRow("cp, " + state, spreadText(bench::spreadOf(seconds[COPY]), 3, " s"), "", "");
    printRow("cp, then sync of the copy, " + state, spreadText(bench::spreadOf(seconds[SYNCED_COPY]), 3, " s"), "", "");
    const std::string goal = goalText(ratio.median <= BATCH_GOAL, "<= " + fixed(BATCH_GOAL, 1) + " x cp");
    printRow(label, spreadText(bench::spreadOf(seconds[BATCH]), 3, " s"), spreadText(ratio, 2, " x cp"), goal);
    printRow("  against cp, then sync", "", spreadText(syncedRatio, 2, " x"), "");
    goals_.push_back(std::string(shape.label) + ", " + label + ": " + fixed(ratio.median, 2) + " x cp, " + goal + "; " +
                     fixed(syncedRatio.median, 2) + " x cp then sync");
    const bench::Spread cpuRatio = bench::spreadOf(bench::ratiosPerRound(batchCpu, copyCpu));
    const std::string cpuGoal = goalText(cpuRatio.median <= BATCH_GOAL, "<= " + fixed(BATCH_GOAL, 1) + " x cp");
    printRow("  CPU seconds: cp", spreadText(bench::spreadOf(copyCpu), 3, " s"), "", "");
    printRow("  CPU seconds: veskconv-batch", spreadText(bench::spreadOf(batchCpu), 3, " s"),
             spreadText(cpuRatio, 2, " x cp"), cpuGoal);
    goals_.push_back(std::string(shape.label) + ", " + label + ", CPU seconds: " + fixed(cpuRatio.median, 2) +
                     " x cp, " + cpuGoal);
  }

  void compareWindow(const Shape& shape, const std::string& survey, std::uint64_t size) {
    unsigned long pings = 0;
    std::vector<double> scans;
    enum Variant { COPY, IDLE_OFF, IDLE_ON, LOOP_OFF, LOOP_ON, VARIANTS };
    std::vector<std::vector<double>> cpu(VARIANTS);
    const auto inWindow = [&](Variant variant, bool verbose, void (*process)(PreparedWindow&)) {
      PreparedWindow window(survey, output_, set_);
      if (!window.ready()) {
        std::fprintf(stderr, "the window did not take the survey, the output or the channel set\n");
        std::exit(1);
      }
      scans.push_back(window.scanSeconds());
      pings = window.session().pingCount();
      window.session().setProcessingInfo(verbose);
      double cpuSeconds = 0.0;
      const double seconds = bench::settledSecondsOf({survey}, bench::Cache::Warm, [&] {
        cpuSeconds = -bench::processCpuSeconds();
        process(window);
        cpuSeconds += bench::processCpuSeconds();
      });
      cpu[variant].push_back(cpuSeconds);
      if (converterContext().conversionOutcome != CONVERSION_OK) std::fprintf(stderr, "the conversion failed\n");
      return seconds;
    };
    const auto seconds = bench::interleaved({
                                                [&] { return timedCopy({survey}, bench::Cache::Warm, &cpu[COPY]); },
                                                [&] { return inWindow(IDLE_OFF, false, processPumpingIdle); },
                                                [&] { return inWindow(IDLE_ON, true, processPumpingIdle); },
                                                [&] { return inWindow(LOOP_OFF, false, processPumpingMessages); },
                                                [&] { return inWindow(LOOP_ON, true, processPumpingMessages); },
                                            },
                                            settings_.rounds);
    fs::remove(output_);
    std::printf("  %lu pings, %.1f KB a ping\n", pings,
                pings == 0 ? 0.0 : static_cast<double>(size) / static_cast<double>(pings) / KILO);
    const bench::Spread copy = bench::spreadOf(seconds[COPY]);
    printRow("cp, warm", spreadText(copy, 3, " s"), "", "");
    const auto processRow = [&](Variant variant, const char* label) {
      const bench::Spread ratio = bench::spreadOf(bench::ratiosPerRound(seconds[variant], seconds[COPY]));
      const std::string goal = goalText(ratio.median <= PROCESS_GOAL, "<= " + fixed(PROCESS_GOAL, 1) + " x cp");
      printRow(label, spreadText(bench::spreadOf(seconds[variant]), 3, " s"), spreadText(ratio, 2, " x cp"), goal);
      printRow("  CPU seconds", spreadText(bench::spreadOf(cpu[variant]), 3, " s"),
               spreadText(bench::spreadOf(bench::ratiosPerRound(cpu[variant], cpu[COPY])), 2, " x cp"), "");
      return ratio;
    };
    processRow(IDLE_OFF, "PROCESS, runUntilIdle, Verbose off");
    processRow(IDLE_ON, "PROCESS, runUntilIdle, Verbose on");
    processRow(LOOP_OFF, "PROCESS, GetMessageA, Verbose off");
    const bench::Spread window = processRow(LOOP_ON, "PROCESS, GetMessageA, Verbose on");
    goals_.push_back(std::string(shape.label) + ", PROCESS (GetMessageA, Verbose on): " + fixed(window.median, 2) +
                     " x cp, " + goalText(window.median <= PROCESS_GOAL, "<= " + fixed(PROCESS_GOAL, 1) + " x cp"));
    const auto verboseRow = [&](Variant off, Variant on, const char* label) {
      const bench::Spread ratio = bench::spreadOf(bench::ratiosPerRound(seconds[on], seconds[off]));
      const std::string goal = goalText((ratio.median - 1.0) * PERCENT < VERBOSE_GOAL_PERCENT,
                                        "< +" + fixed(VERBOSE_GOAL_PERCENT, 0) + " %");
      printRow(label, "", percentText(ratio), goal);
      printRow("  CPU seconds", "", percentText(bench::spreadOf(bench::ratiosPerRound(cpu[on], cpu[off]))), "");
      goals_.push_back(std::string(shape.label) + ", " + label + ": " + percentText(ratio) + ", " + goal);
    };
    verboseRow(IDLE_OFF, IDLE_ON, "Verbose on against off, runUntilIdle");
    verboseRow(LOOP_OFF, LOOP_ON, "Verbose on against off, GetMessageA");
    const bench::Spread scan = bench::spreadOf(scans);
    printRow("(untimed) survey and ping count scan", spreadText(scan, 3, " s"),
             fixed(scan.median / copy.median, 2) + " x cp median", "");
  }

  void runSmallFiles() {
    std::printf("\n%d inputs of %llu bytes (%s) in one run%s\n", SMALL_FILES,
                static_cast<unsigned long long>(SMALL_FILE_BYTES), SMALL_SHAPE.label, hasJobs_ ? ", --jobs 1" : "");
    const std::vector<std::string> oneJob =
        hasJobs_ ? std::vector<std::string>{"--jobs", "1"} : std::vector<std::string>{};
    const auto seconds = bench::interleaved({[&] { return timedCopy(smallFiles_, bench::Cache::Warm); },
                                             [&] { return timedBatch(smallFiles_, bench::Cache::Warm, oneJob); }},
                                            settings_.rounds);
    std::vector<double> overhead;
    for (std::size_t round = 0; round < seconds[0].size(); ++round) {
      overhead.push_back((seconds[1][round] - seconds[0][round]) / SMALL_FILES * KILO);
    }
    const auto perFile = [](const std::vector<double>& all) {
      std::vector<double> each;
      for (const double value : all) each.push_back(value / SMALL_FILES * KILO);
      return bench::spreadOf(each);
    };
    printRow("cp, all inputs in one cp", spreadText(perFile(seconds[0]), 2, " ms/file"), "", "");
    const bench::Spread ratio = bench::spreadOf(bench::ratiosPerRound(seconds[1], seconds[0]));
    printRow("veskconv-batch, all inputs in one run", spreadText(perFile(seconds[1]), 2, " ms/file"),
             spreadText(ratio, 2, " x cp"), "");
    const bench::Spread extra = bench::spreadOf(overhead);
    const std::string goal =
        goalText(extra.median < FILE_OVERHEAD_GOAL_MS, "< " + fixed(FILE_OVERHEAD_GOAL_MS, 0) + " ms");
    printRow("overhead per file (batch - cp)", spreadText(extra, 2, " ms"), "", goal);
    goals_.push_back("per file overhead: " + fixed(extra.median, 2) + " ms, " + goal);
  }

  void runJobs() {
    std::printf("\n%d inputs of %llu bytes, --jobs 2 against --jobs 1\n", JOB_FILES,
                static_cast<unsigned long long>(fs::file_size(jobFiles_.front())));
    if (!hasJobs_) {
      printRow("skipped: this veskconv-batch has no --jobs", "", "", "");
      return;
    }
    const auto seconds = bench::interleaved({[&] {
                                               return timedBatch(jobFiles_, bench::Cache::Warm, {"--jobs", "1"});
                                             },
                                             [&] {
                                               return timedBatch(jobFiles_, bench::Cache::Warm, {"--jobs", "2"});
                                             }},
                                            settings_.rounds);
    const bench::Spread speedup = bench::spreadOf(bench::ratiosPerRound(seconds[0], seconds[1]));
    printRow("--jobs 1", spreadText(bench::spreadOf(seconds[0]), 3, " s"), "", "");
    printRow("--jobs 2", spreadText(bench::spreadOf(seconds[1]), 3, " s"), spreadText(speedup, 2, " x as fast"), "");
    goals_.push_back("--jobs 2 against --jobs 1: " + fixed(speedup.median, 2) + " x as fast (" +
                     (speedup.median > 1.0 ? "faster" : "not faster") + ")");
  }

  // Single inputs of the small shape at three sizes (and whatever else ran);
  // untimed.
  void printPeakMemory() {
    for (const std::string& input : {smallFiles_.front(), jobFiles_.front()}) {
      for (int run = 0; run < RSS_RUNS; ++run) timedBatch({input}, bench::Cache::Warm);
    }
    const std::string& largest = surveyOf(SMALL_SHAPE);
    if (peakMemory_.count(largest) == 0) timedBatch({largest}, bench::Cache::Warm);
    std::printf(
        "\nPeak resident memory of veskconv-batch (wait4), largest of its runs; the launcher's own, "
        "the floor of every reading: %.1f MB\n",
        static_cast<double>(runner_.floorBytes()) / MEGA);
    std::vector<std::pair<std::uint64_t, std::string>> bySize;
    for (const auto& [input, bytes] : peakMemory_) {
      const std::uint64_t size = fs::exists(input) ? fs::file_size(input) : SMALL_FILES * SMALL_FILE_BYTES;
      bySize.emplace_back(size, input);
    }
    std::sort(bySize.begin(), bySize.end());
    for (const auto& [size, input] : bySize) {
      const std::string name = fs::exists(input) ? fs::path(input).parent_path().filename().string() + "/" +
                                                       fs::path(input).filename().string()
                                                 : input;
      printRow(name, fixed(static_cast<double>(size) / MEGA, 1) + " MB input",
               fixed(static_cast<double>(peakMemory_[input]) / MEGA, 1) + " MB peak", "");
    }
    // Flat: the same shape from the smallest input to the largest.
    std::vector<double> sameShape;
    for (const std::string& input : {smallFiles_.front(), jobFiles_.front(), largest}) {
      sameShape.push_back(static_cast<double>(peakMemory_[input]) / MEGA);
    }
    const bench::Spread peaks = bench::spreadOf(sameShape);
    const std::string goal = goalText(peaks.highest < RSS_GOAL_MB, "under " + fixed(RSS_GOAL_MB, 0) + " MB");
    const std::string flat = "largest/smallest peak " + fixed(peaks.highest / peaks.lowest, 2);
    printRow(std::string(SMALL_SHAPE.label) + ", " + fixed(static_cast<double>(SMALL_FILE_BYTES) / MEGA, 1) +
                 " MB to " + fixed(static_cast<double>(fs::file_size(largest)) / MEGA, 0) + " MB",
             flat, "", goal);
    goals_.push_back("peak RSS (" + std::string(SMALL_SHAPE.label) + "): " + fixed(peaks.highest, 1) + " MB at most, " +
                     flat + ", " + goal);
  }

  const std::string& surveyOf(const Shape& shape) const {
    return std::find_if(surveys_.begin(), surveys_.end(), [&](const auto& made) { return made.first == &shape; })
        ->second;
  }

  Settings settings_;
  const ChannelSet& set_;
  bench::ChildRunner& runner_;
  bool hasJobs_ = false;
  fs::path outputs_;
  std::string copy_;
  std::string output_;
  std::vector<std::pair<const Shape*, std::string>> surveys_;
  std::vector<std::string> smallFiles_;
  std::vector<std::string> jobFiles_;
  std::map<std::string, std::uint64_t> peakMemory_;  // by input, or by the count of several
  std::vector<std::string> goals_;
};

}  // namespace

int main(int argc, char** argv) {
  bench::ChildRunner runner;
  Settings settings;
  if (!parse(argc, argv, &settings)) {
    std::fprintf(stderr,
                 "usage: throughput_bench --batch PATH [--folder DIR] [--bytes SIZE] [--rounds N] [--set SET]\n"
                 "                        [--cases %s] [--shapes %s]\n",
                 ALL_CASES, ALL_SHAPES);
    return 2;
  }
  const ChannelSet* set = channelSetNamed(settings.set);
  if (set == nullptr) {
    std::fprintf(stderr, "unknown channel set %s\n", settings.set.c_str());
    return 2;
  }
  disableProfileFiles();
  Bench benchmark(settings, *set, runner);
  if (!benchmark.prepareInputs()) return 1;
  benchmark.run();
  return 0;
}
