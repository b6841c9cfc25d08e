#include "live_window.h"

#include "app/program.h"
#include "app/program_state.h"
#include "app/ui_texts.h"
#include "platform/files.h"
#include "platform/messages.h"
#include "platform/window.h"
#include "platform/window_model.h"
#include "res/program_resources.h"
#include "res/resource_ids.h"
#include "settings_folder.h"
#include "survey_files.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <deque>
#include <memory>
#include <mutex>
#include <utility>

namespace {

constexpr std::uint64_t SURVEY_BYTES = std::uint64_t{24} << 20;  // two dozen reads of the reader's 1 MiB
// Only a window that never shows a value stops a run this long: a hang, not a slow machine.
constexpr auto STALL_LIMIT = std::chrono::seconds(120);
constexpr int HALFWAY_PERCENT = 50;
constexpr std::size_t FEWEST_STEPS = 10;

// Holds one worker before each of its reads until the window shows what the
// worker had set; shared with the read hook, which may outlive the holder.
struct LockStep {
  LockStep(DWORD thread, bool pings) : threadId(thread), pingNumbers(pings) {}

  const DWORD threadId;
  const bool pingNumbers;
  std::mutex mutex;
  std::condition_variable changed;
  ViewState shown;
  bool started = false;
  ViewState wanted;  // what the worker had set at its last read
  std::vector<ViewState> released;
  std::string stall;

  bool showsWanted() const {
    return shown.progress == wanted.progress && (wanted.pingNumber.empty() || shown.pingNumber == wanted.pingNumber);
  }

  // Worker thread, before each read: it owns these fields of the context.
  void holdUntilShown() {
    if (GetCurrentThreadId() != threadId) return;
    const ConverterContext& context = converterContext();
    ViewState now;
    now.progress = context.progressPercent;
    if (pingNumbers && context.showProcessingInfo != 0 && context.pingCount > 0) {
      now.pingNumber = std::to_string(context.pingCount);
    }
    std::unique_lock<std::mutex> lock(mutex);
    const bool same = now.progress == wanted.progress && now.pingNumber == wanted.pingNumber;
    wanted = now;
    // The first read's values may be another run's, never sent: only changes count.
    if (!started || same || !stall.empty()) {
      started = true;
      return;
    }
    if (!changed.wait_for(lock, STALL_LIMIT, [this] { return showsWanted(); })) {
      stall = "progress " + std::to_string(wanted.progress) + ", ping number '" + wanted.pingNumber +
              "' never shown; the window shows " + std::to_string(shown.progress) + ", '" + shown.pingNumber + "'";
      return;
    }
    released.push_back(shown);
  }

  void viewShows(const ViewState& state) {
    std::lock_guard<std::mutex> lock(mutex);
    shown = state;
    changed.notify_all();
  }
};

// The shown front end for everything but the file dialogs and boxes; every
// change it has shown is read back from the real window for the lock-step.
class LockStepFrontEnd final : public FrontEnd {
 public:
  LockStepFrontEnd(FrontEnd& shown, const ViewReader& readView)
      : shown_(shown), readView_(readView), previous_(&frontEnd()) {
    setFrontEnd(this);
  }
  ~LockStepFrontEnd() override { setFrontEnd(previous_); }
  LockStepFrontEnd(const LockStepFrontEnd&) = delete;
  LockStepFrontEnd& operator=(const LockStepFrontEnd&) = delete;

  void watch(HWND window, std::shared_ptr<LockStep> lockStep) {
    window_ = window;
    lockStep_ = std::move(lockStep);
    if (lockStep_) lockStep_->viewShows(readView_(window_));
  }
  void answer(std::string path) { answers_.push_back(std::move(path)); }
  // Main thread, after each change the window showed.
  void afterChange(std::function<void()> act) { afterChange_ = std::move(act); }
  const std::vector<std::string>& boxes() const { return boxes_; }

  void waitForEvents(int timeoutMs) override { shown_.waitForEvents(timeoutMs); }
  void wakeMainThread() override { shown_.wakeMainThread(); }
  int showMessageBox(HWND, const std::string& text, const std::string& caption, UINT) override {
    boxes_.push_back(caption + ": " + text);
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
    shown_.windowChanged(window, controlId);
    if (lockStep_ && window == window_) lockStep_->viewShows(readView_(window));
    if (afterChange_) afterChange_();
  }
  void windowCreated(HWND window) override { shown_.windowCreated(window); }
  void windowDestroyed(HWND window) override {
    if (window == window_) watch(nullptr, nullptr);
    shown_.windowDestroyed(window);
  }

 private:
  FrontEnd& shown_;
  ViewReader readView_;
  FrontEnd* previous_;
  HWND window_ = nullptr;
  std::shared_ptr<LockStep> lockStep_;
  std::function<void()> afterChange_;
  std::deque<std::string> answers_;
  std::vector<std::string> boxes_;
};

// The worker's reads go through the lock-step while it lives.
class ReadHold {
 public:
  explicit ReadHold(std::shared_ptr<LockStep> lockStep) : lockStep_(std::move(lockStep)) {
    setReadHook([lockStep = lockStep_](HANDLE) { lockStep->holdUntilShown(); });
  }
  ~ReadHold() { setReadHook({}); }
  ReadHold(const ReadHold&) = delete;
  ReadHold& operator=(const ReadHold&) = delete;

 private:
  std::shared_ptr<LockStep> lockStep_;
};

// The program's message loop until done() holds; false once the quit message came.
bool pumpUntil(const std::function<bool()>& done) {
  MSG msg;
  while (!done()) {
    if (GetMessageA(&msg, nullptr, 0, 0) == FALSE) return false;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return true;
}

std::string statusOf(HWND window) {
  char text[64] = {};
  GetDlgItemTextA(window, IDC_STATUS, text, sizeof text);
  return text;
}

void keep(const std::shared_ptr<LockStep>& lockStep, std::vector<ViewState>* released, std::string* stall) {
  std::lock_guard<std::mutex> lock(lockStep->mutex);
  *released = lockStep->released;
  if (stall->empty()) *stall = lockStep->stall;
}

}  // namespace

LiveRun runInLockStep(FrontEnd& shown, const ViewReader& readView, const std::filesystem::path& folder) {
  LiveRun run;
  redirectSettings(folder / "config");
  const std::string survey = (folder / "line.vsk").string();
  const std::string output = (folder / "line.SEG").string();
  if (!survey_files::writeSurveyOfSize(survey, SURVEY_BYTES)) {
    run.stall = "the survey could not be written";
    return run;
  }
  LockStepFrontEnd ui(shown, readView);
  HWND window = startProgram(programInstance(), SW_SHOWNORMAL);
  if (window == nullptr) {
    run.stall = "the program did not start";
    return run;
  }
  ConverterContext& context = converterContext();
  pumpUntil([&] { return statusOf(window) == STATUS_READY; });
  if (context.showProcessingInfo == 0) {
    clickControl(window, IDC_VERBOSE);
    pumpUntil([&] { return context.showProcessingInfo != 0; });
  }
  {
    const auto scan = std::make_shared<LockStep>(context.scannerThreadId, false);
    const ReadHold hold(scan);
    ui.watch(window, scan);
    ui.answer(survey);
    clickControl(window, IDC_BROWSE_SONAR);
    pumpUntil([&] { return context.sonarFileChecked != 0 && IsWindowEnabled(GetDlgItem(window, IDC_PAIR_1)); });
    keep(scan, &run.scan, &run.stall);
  }
  ui.answer(output);
  clickControl(window, IDC_BROWSE_SEGY);
  pumpUntil([&] { return context.segyFileReady != 0; });
  clickControl(window, IDC_PAIR_1);
  pumpUntil([&] { return context.channelSelection == 0; });
  {
    const auto conversion = std::make_shared<LockStep>(context.converterThreadId, true);
    const ReadHold hold(conversion);
    ui.watch(window, conversion);
    clickControl(window, IDC_PROCESS);
    bool quitPressed = false;
    ui.afterChange([&] {
      if (quitPressed) return;
      std::lock_guard<std::mutex> lock(conversion->mutex);
      // A window that stalled the run ends it too.
      const bool halfway = !conversion->released.empty() && conversion->released.back().progress >= HALFWAY_PERCENT;
      if (halfway || !conversion->stall.empty()) {
        run.quitAt = conversion->released.size();
        quitPressed = clickControl(window, IDC_EXIT) != FALSE;
      }
    });
    run.ended = !pumpUntil([] { return false; });
    ui.afterChange(nullptr);
    keep(conversion, &run.conversion, &run.stall);
  }
  endProgram(programInstance());
  run.boxes = ui.boxes();
  return run;
}

void expectAliveThroughout(const LiveRun& run) {
  EXPECT_EQ(run.stall, "");
  EXPECT_TRUE(run.boxes.empty()) << run.boxes.front();
  EXPECT_TRUE(run.ended);
  ASSERT_GE(run.scan.size(), FEWEST_STEPS);
  for (std::size_t i = 1; i < run.scan.size(); ++i) EXPECT_GT(run.scan[i].progress, run.scan[i - 1].progress) << i;
  ASSERT_GE(run.conversion.size(), FEWEST_STEPS);
  long lastPing = 0;
  for (std::size_t i = 1; i < run.conversion.size(); ++i) {
    EXPECT_GE(run.conversion[i].progress, run.conversion[i - 1].progress) << i;
    const long ping = std::atol(run.conversion[i].pingNumber.c_str());
    EXPECT_GT(ping, lastPing) << i;
    lastPing = ping;
  }
  // After EXIT the window says so, and the bar goes on with the conversion.
  ASSERT_GT(run.quitAt, 0u);
  ASSERT_GE(run.conversion.size(), run.quitAt + 2);
  EXPECT_EQ(run.conversion.back().status, STATUS_QUITTING);
  EXPECT_GT(run.conversion.back().progress, run.conversion[run.quitAt - 1].progress);
}
