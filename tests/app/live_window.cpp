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

namespace {

constexpr std::uint64_t SURVEY_BYTES = std::uint64_t{24} << 20;  // two dozen reads of the reader's 1 MiB
// Only a window that never shows a value stops a run this long: a hang, not a slow machine.
constexpr auto STALL_LIMIT = std::chrono::seconds(120);
constexpr int HALFWAY_PERCENT = 50;
constexpr std::size_t FEWEST_STEPS = 10;

// One worker's run: what the window shows (main thread) and what the worker
// last set (its own thread, which owns those fields of the context).
struct LockStep {
  LockStep(DWORD thread, bool pings) : threadId(thread), pingNumbers(pings) {}

  const DWORD threadId;
  const bool pingNumbers;
  std::mutex mutex;
  std::condition_variable changed;
  ViewState shown;
  ViewState wanted;
  bool started = false;
  std::vector<ViewState> released;
  std::string stall;

  void holdUntilShown() {
    if (GetCurrentThreadId() != threadId) return;
    const ConverterContext& context = converterContext();
    ViewState now{context.progressPercent, "", ""};
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
    const auto showsWanted = [this] {
      return shown.progress == wanted.progress && (wanted.pingNumber.empty() || shown.pingNumber == wanted.pingNumber);
    };
    if (changed.wait_for(lock, STALL_LIMIT, showsWanted)) {
      released.push_back(shown);
    } else {
      stall = "progress " + std::to_string(wanted.progress) + ", ping '" + wanted.pingNumber + "' never shown (shows " +
              std::to_string(shown.progress) + ", '" + shown.pingNumber + "', '" + shown.status + "')";
    }
  }
};

// The shown front end for all but the file dialogs and boxes; after each
// change it has shown, the real window is read back for the lock-step.
class LockStepFrontEnd final : public FrontEnd {
 public:
  LockStepFrontEnd(FrontEnd& shown, const ViewReader& readView)
      : shown_(shown), readView_(readView), previous_(frontEnd()) {
    setFrontEnd(this);
  }
  ~LockStepFrontEnd() override {
    setReadHook({});
    setFrontEnd(&previous_);
  }

  // Holds the worker before each of its reads until the window shows what it had set.
  void watch(HWND window, const std::shared_ptr<LockStep>& lockStep) {
    window_ = window;
    lockStep_ = lockStep;
    show();
    setReadHook([lockStep](HANDLE) { lockStep->holdUntilShown(); });
  }
  std::deque<std::string> answers;
  std::vector<std::string> boxes;
  std::function<void()> afterChange;

  void waitForEvents(int timeoutMs) override { shown_.waitForEvents(timeoutMs); }
  void wakeMainThread() override { shown_.wakeMainThread(); }
  int showMessageBox(HWND, const std::string& text, const std::string& caption, UINT) override {
    boxes.push_back(caption + ": " + text);
    return IDOK;
  }
  bool askFileName(HWND, const FileDialogRequest&, std::string* path) override {
    if (answers.empty()) return false;
    *path = answers.front();
    answers.pop_front();
    return true;
  }
  bool confirmOverwrite(HWND, const std::string&) override { return true; }
  void beep(UINT) override {}
  void windowChanged(HWND window, int controlId) override {
    shown_.windowChanged(window, controlId);
    if (window == window_) show();
    if (afterChange) afterChange();
  }
  void windowCreated(HWND window) override { shown_.windowCreated(window); }
  void windowDestroyed(HWND window) override {
    if (window == window_) window_ = nullptr;
    shown_.windowDestroyed(window);
  }

 private:
  void show() {
    if (!lockStep_ || window_ == nullptr) return;
    const ViewState state = readView_(window_);
    std::lock_guard<std::mutex> lock(lockStep_->mutex);
    lockStep_->shown = state;
    lockStep_->changed.notify_all();
  }

  FrontEnd& shown_;
  ViewReader readView_;
  FrontEnd& previous_;
  HWND window_ = nullptr;
  std::shared_ptr<LockStep> lockStep_;
};

// The program's message loop until done() holds; false once the quit message came.
bool pumpUntil(const std::function<bool()>& done) {
  MSG msg;
  while (!done()) {
    if (GetMessageA(&msg, nullptr, 0, 0) == FALSE) return false;
    DispatchMessageA(&msg);
  }
  return true;
}

std::string statusOf(HWND window) {
  char text[64] = {};
  GetDlgItemTextA(window, IDC_STATUS, text, sizeof text);
  return text;
}

void keep(LockStep& lockStep, std::vector<ViewState>* released, std::string* stall) {
  std::lock_guard<std::mutex> lock(lockStep.mutex);
  *released = lockStep.released;
  if (stall->empty()) *stall = lockStep.stall;
}

}  // namespace

LiveRun runInLockStep(FrontEnd& shown, const ViewReader& readView, const std::filesystem::path& folder) {
  LiveRun run;
  redirectSettings(folder / "config");
  const std::string survey = (folder / "line.vsk").string();
  if (!survey_files::writeSurveyOfSize(survey, SURVEY_BYTES)) return run;
  LockStepFrontEnd ui(shown, readView);
  HWND window = startProgram(programInstance(), SW_SHOWNORMAL);
  if (window == nullptr) return run;
  ConverterContext& context = converterContext();
  pumpUntil([&] { return statusOf(window) == STATUS_READY; });
  if (context.showProcessingInfo == 0) clickControl(window, IDC_VERBOSE);

  const auto scan = std::make_shared<LockStep>(programState().scannerThreadId, false);
  ui.watch(window, scan);
  ui.answers = {survey, (folder / "line.SEG").string()};
  clickControl(window, IDC_BROWSE_SONAR);
  pumpUntil([&] { return context.sonarFileChecked != 0 && IsWindowEnabled(GetDlgItem(window, IDC_PAIR_1)); });
  keep(*scan, &run.scan, &run.stall);
  clickControl(window, IDC_BROWSE_SEGY);
  pumpUntil([&] { return context.segyFileReady != 0; });
  clickControl(window, IDC_PAIR_1);
  pumpUntil([&] { return context.channelSelection == 0 && context.showProcessingInfo != 0; });

  const auto conversion = std::make_shared<LockStep>(programState().converterThreadId, true);
  ui.watch(window, conversion);
  ui.afterChange = [&] {
    if (run.quitAt != 0) return;
    std::lock_guard<std::mutex> lock(conversion->mutex);
    // A window that stalled the run ends it too.
    const auto& released = conversion->released;
    if ((!released.empty() && released.back().progress >= HALFWAY_PERCENT) || !conversion->stall.empty()) {
      run.quitAt = released.size();
      clickControl(window, IDC_EXIT);
    }
  };
  clickControl(window, IDC_PROCESS);
  run.ended = !pumpUntil([] { return false; });
  ui.afterChange = nullptr;
  keep(*conversion, &run.conversion, &run.stall);
  endProgram(programInstance());
  run.boxes = ui.boxes;
  return run;
}

void expectAliveThroughout(const LiveRun& run) {
  EXPECT_EQ(run.stall, "");
  EXPECT_TRUE(run.boxes.empty()) << run.boxes.front();
  EXPECT_TRUE(run.ended);
  ASSERT_GE(run.scan.size(), FEWEST_STEPS);
  for (std::size_t i = 1; i < run.scan.size(); ++i) EXPECT_GT(run.scan[i].progress, run.scan[i - 1].progress) << i;
  ASSERT_GE(run.conversion.size(), FEWEST_STEPS);
  for (std::size_t i = 2; i < run.conversion.size(); ++i) {
    EXPECT_GE(run.conversion[i].progress, run.conversion[i - 1].progress) << i;
    EXPECT_GT(std::atol(run.conversion[i].pingNumber.c_str()), std::atol(run.conversion[i - 1].pingNumber.c_str()));
  }
  // After EXIT the window says so, and the bar goes on with the conversion.
  ASSERT_GT(run.quitAt, 0u);
  ASSERT_GE(run.conversion.size(), run.quitAt + 2);
  EXPECT_EQ(run.conversion.back().status, STATUS_QUITTING);
  EXPECT_GT(run.conversion.back().progress, run.conversion[run.quitAt - 1].progress);
}
