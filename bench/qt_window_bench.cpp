// How fast PROCESS converts through the real Qt window (offscreen), with
// processing information on (five control updates per ping) and off: the
// window's own message loop pumps, the Qt front end shows every change. Only
// the file dialogs and message boxes are answered from here. A third case
// runs with processing information on but keeps the changes from the Qt
// front end: what the updates cost without any view, the baseline of what
// the view adds. Medians of several runs, interleaved, with the fastest and
// slowest beside them; how many changes the front end heard of and how many
// times Qt painted.
//
// Before each timed run (untimed) the survey is read into the page cache,
// dirty pages are written back, and a few GiB of anonymous memory are
// touched, so that the output's page-cache pages are not the first to land
// on freshly returned memory.
//
//   qt_window_bench [--folder DIR] [--bytes SIZE] [--runs N]
#include "app/program.h"
#include "app/program_state.h"
#include "core/converter_context.h"
#include "platform/front_end.h"
#include "platform/message_queue_state.h"
#include "platform/messages.h"
#include "platform/profile.h"
#include "platform/qt/qt_front_end.h"
#include "platform/window_model.h"
#include "res/program_resources.h"
#include "res/resource_ids.h"
#include "tools/vskgen/survey_generator.h"

#include <QApplication>
#include <QEvent>

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr std::uint64_t DEFAULT_BYTES = std::uint64_t{1} << 30;
constexpr int DEFAULT_RUNS = 5;
constexpr std::size_t WARM_CHUNK = std::size_t{1} << 20;
constexpr std::size_t TOUCHED_BYTES = std::size_t{5} << 29;  // 2.5 GiB
constexpr std::size_t PAGE_BYTES = 4096;
constexpr int SETTLE_LIMIT_MS = 600000;
constexpr int WAIT_ROUND_MS = 10;

struct Settings {
  std::filesystem::path folder = std::filesystem::temp_directory_path() / "veskconv-bench";
  std::uint64_t bytes = DEFAULT_BYTES;
  int runs = DEFAULT_RUNS;
};

bool parse(int argc, char** argv, Settings* settings) {
  for (int at = 1; at + 1 < argc; at += 2) {
    const std::string option = argv[at];
    const std::string value = argv[at + 1];
    if (option == "--folder") settings->folder = value;
    else if (option == "--bytes") settings->bytes = std::strtoull(value.c_str(), nullptr, 10);
    else if (option == "--runs") settings->runs = std::max(1, std::atoi(value.c_str()));
    else return false;
  }
  return argc % 2 == 1 && settings->bytes > 0;
}

void warmPageCache(const std::string& file) {
  std::FILE* in = std::fopen(file.c_str(), "rb");
  if (in == nullptr) return;
  std::vector<char> chunk(WARM_CHUNK);
  while (std::fread(chunk.data(), 1, chunk.size(), in) == chunk.size()) {
  }
  std::fclose(in);
}

void touchAnonymousMemory() {
  void* block = ::mmap(nullptr, TOUCHED_BYTES, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (block == MAP_FAILED) return;
  auto* bytes = static_cast<volatile char*>(block);
  for (std::size_t at = 0; at < TOUCHED_BYTES; at += PAGE_BYTES) bytes[at] = 1;
  ::munmap(block, TOUCHED_BYTES);
}

// The real Qt front end for everything a user sees; the dialogs and boxes
// answered from a script, so that nothing modal waits for a user.
class ScriptedQtFrontEnd final : public FrontEnd {
 public:
  explicit ScriptedQtFrontEnd(QtFrontEnd& shown) : shown_(shown) {}

  void answer(std::string path) { answers_.push_back(std::move(path)); }
  // Off: changes are counted, not shown.
  void showChanges(bool on) { showChanges_ = on; }
  long changes() const { return changes_; }
  int boxes() const { return boxes_; }

  void waitForEvents(int timeoutMs) override { shown_.waitForEvents(timeoutMs); }
  void wakeMainThread() override { shown_.wakeMainThread(); }
  int showMessageBox(HWND, const std::string& text, const std::string& caption, UINT) override {
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
    ++boxes_;
    return IDOK;
  }
  bool askFileName(HWND, const FileDialogRequest&, std::string* path) override {
    if (answers_.empty()) return false;
    *path = answers_.front();
    answers_.pop_front();
    return true;
  }
  bool confirmOverwrite(HWND, const std::string&) override { return true; }
  void beep(UINT) override {}
  void windowChanged(HWND window, int controlId) override {
    ++changes_;
    if (showChanges_) shown_.windowChanged(window, controlId);
  }
  void windowCreated(HWND window) override { shown_.windowCreated(window); }
  void windowDestroyed(HWND window) override { shown_.windowDestroyed(window); }

 private:
  QtFrontEnd& shown_;
  std::deque<std::string> answers_;
  long changes_ = 0;
  int boxes_ = 0;
  bool showChanges_ = true;
};

class PaintCounter : public QObject {
 public:
  long paints = 0;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint) ++paints;
    return QObject::eventFilter(watched, event);
  }
};

// The program's messages until done() holds and nothing is left to do.
bool settle(const std::function<bool()>& done) {
  const auto limit = std::chrono::steady_clock::now() + std::chrono::milliseconds(SETTLE_LIMIT_MS);
  MSG msg;
  while (std::chrono::steady_clock::now() < limit) {
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) return false;
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    if (done() && allThreadsIdle()) return true;
    waitForMessages(WAIT_ROUND_MS);
  }
  return false;
}

struct Run {
  double seconds = 0.0;
  long changes = 0;
  long paints = 0;
  unsigned long pings = 0;
};

// One program from start-up to quit; only PROCESS is timed.
bool convertOnce(ScriptedQtFrontEnd& ui, PaintCounter& counter, const std::string& survey, const std::string& output,
                 bool info, bool shown, Run* run) {
  HWND window = startProgram(programInstance(), SW_SHOWNORMAL);
  if (window == nullptr) return false;
  const ConverterContext& context = converterContext();
  ui.answer(survey);
  bool ready = settle([] { return true; }) && clickControl(window, IDC_BROWSE_SONAR) &&
               settle([&] { return context.sonarFileChecked == 1; });
  ui.answer(output);
  ready = ready && clickControl(window, IDC_BROWSE_SEGY) && settle([&] { return context.segyFileReady == 1; }) &&
          clickControl(window, IDC_PAIR_1) && settle([&] { return context.channelSelection == 0; });
  if (ready && (context.showProcessingInfo != 0) != info) {
    ready = clickControl(window, IDC_VERBOSE) && settle([&] { return (context.showProcessingInfo != 0) == info; });
  }
  if (ready) {
    run->pings = context.pingCount;
    warmPageCache(survey);
    ::sync();
    touchAnonymousMemory();
    const long changesBefore = ui.changes();
    const long paintsBefore = counter.paints;
    ui.showChanges(shown);
    const auto start = std::chrono::steady_clock::now();
    PostMessageA(window, WM_COMMAND, IDC_PROCESS, 0);
    bool started = false;
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) != FALSE) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
      started = started || context.busy != 0;
      if (started && context.busy == 0) break;
    }
    run->seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    ui.showChanges(true);
    run->changes = ui.changes() - changesBefore;
    run->paints = counter.paints - paintsBefore;
  }
  clickControl(window, IDC_EXIT);
  runMessageLoop();
  endProgram(programInstance());
  return ready && ui.boxes() == 0;
}

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  Settings settings;
  if (!parse(argc, argv, &settings)) {
    std::fprintf(stderr, "usage: qt_window_bench [--folder DIR] [--bytes SIZE] [--runs N]\n");
    return 2;
  }
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  int qtArgc = 1;
  QApplication application(qtArgc, argv);
  QApplication::setQuitOnLastWindowClosed(false);
  QtFrontEnd shown(programInstance());
  ScriptedQtFrontEnd ui(shown);
  setFrontEnd(&ui);
  PaintCounter counter;
  application.installEventFilter(&counter);
  disableProfileFiles();

  std::filesystem::create_directories(settings.folder);
  const std::string survey = (settings.folder / ("survey-" + std::to_string(settings.bytes) + ".vsk")).string();
  const std::string output = (settings.folder / "qt-window.SEG").string();
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

  struct Case {
    const char* label;
    bool info;
    bool shown;
    std::vector<double> seconds;
    Run last;
  };
  Case cases[] = {{"Qt window, PROCESS, Verbose off", false, true, {}, {}},
                  {"Qt window, PROCESS, Verbose on", true, true, {}, {}},
                  {"Verbose on, changes kept from the view", true, false, {}, {}}};
  for (int round = 0; round < settings.runs; ++round) {
    for (Case& one : cases) {
      Run run;
      if (!convertOnce(ui, counter, survey, output, one.info, one.shown, &run)) {
        std::fprintf(stderr, "the window did not convert the survey\n");
        setFrontEnd(nullptr);
        return 1;
      }
      one.seconds.push_back(run.seconds);
      one.last = run;
    }
  }
  std::printf("survey %llu bytes, %lu pings, pair 1; %llu SEG-Y bytes; medians of %d runs\n",
              static_cast<unsigned long long>(std::filesystem::file_size(survey)), cases[0].last.pings,
              static_cast<unsigned long long>(std::filesystem::file_size(output)), settings.runs);
  std::printf("%-40s %9s %9s   %-19s %10s %8s\n", "", "wall s", "x off", "fastest - slowest s", "changes", "paints");
  for (const Case& one : cases) {
    const auto [fastest, slowest] = std::minmax_element(one.seconds.begin(), one.seconds.end());
    std::printf("%-40s %9.3f %9.3f   %.3f - %.3f %12ld %8ld\n", one.label, median(one.seconds),
                median(one.seconds) / median(cases[0].seconds), *fastest, *slowest, one.last.changes, one.last.paints);
  }
  std::filesystem::remove(output);
  setFrontEnd(nullptr);
  return 0;
}
