// Sends from a worker to the main thread's window. A message for the window
// waits until the window's thread has carried it out, modal boxes included;
// a control's text or progress position is set by the worker itself, at
// once, and the front end hears of it from the window's thread.
#include "tests/platform/platform_test_window.h"

#include "platform/control_refresh.h"
#include "platform/dialogs.h"
#include "platform/message_queue_state.h"
#include "platform/threads.h"
#include "platform/wake_signal.h"

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

using namespace platform_test;

namespace {

constexpr WPARAM REPORT = 130;

struct SendJob {
  HWND window = nullptr;
  const char* text = "";
  std::atomic<bool> done{false};
  BOOL textResult = -1;
  LRESULT previousPosition = -1;
};

DWORD sendFromWorker(void* parameter) {
  auto* job = static_cast<SendJob*>(parameter);
  job->textResult = SetDlgItemTextA(job->window, IDC_LABEL_FIELD, job->text);
  job->previousPosition = SendDlgItemMessageA(job->window, IDC_BAR, PBM_SETPOS, 40, 0);
  job->done.store(true);
  PostMessageA(job->window, WM_COMMAND, REPORT, 0);
  return 0;
}

HANDLE startWorker(SendJob& job) { return CreateThread(nullptr, 0, sendFromWorker, &job, 0, nullptr); }

class PlatformCrossThreadSend : public WindowTest {};

TEST_F(PlatformCrossThreadSend, AControlUpdateIsAppliedAtOnceAndReportedBeforeWhatWasPostedAfterIt) {
  HWND window = createWindow();
  SendDlgItemMessageA(window, IDC_BAR, PBM_SETPOS, 7, 0);
  std::vector<std::string> heard;
  frontEnd.setChangeObserver([&](HWND changed, int controlId) {
    if (controlId == IDC_LABEL_FIELD) heard.push_back(frontEnd.controlText(changed, controlId));
  });
  SendJob job;
  job.window = window;
  job.text = " from the worker";
  HANDLE worker = startWorker(job);
  ASSERT_NE(worker, nullptr);

  // The main thread is not looking at messages, yet the worker goes on: the
  // control holds the text when the call returns.
  EXPECT_EQ(WaitForSingleObject(worker, INFINITE), WAIT_OBJECT_0);
  CloseHandle(worker);
  EXPECT_TRUE(job.done.load());
  EXPECT_EQ(job.textResult, TRUE);
  EXPECT_EQ(job.previousPosition, 7);
  EXPECT_EQ(frontEnd.controlText(window, IDC_LABEL_FIELD), " from the worker");
  EXPECT_EQ(frontEnd.progressPosition(window, IDC_BAR), 40);
  EXPECT_TRUE(heard.empty()) << "the front end hears of it on the window's thread";

  // The report the worker posted after its update comes after the update.
  MSG msg;
  ASSERT_TRUE(GetMessageA(&msg, nullptr, 0, 0));
  EXPECT_EQ(msg.wParam, REPORT);
  EXPECT_EQ(heard, (std::vector<std::string>{" from the worker"}));
  frontEnd.setChangeObserver(nullptr);
}

// Thousands of updates in a burst reach the front end as a few reports.
TEST_F(PlatformCrossThreadSend, ABurstOfUpdatesIsReportedOnce) {
  HWND window = createWindow();
  constexpr int UPDATES = 20000;
  int reports = 0;
  frontEnd.setChangeObserver([&](HWND, int controlId) {
    if (controlId == IDC_BAR) ++reports;
  });
  std::thread worker([window] {
    for (int i = 1; i <= UPDATES; ++i)
      SendDlgItemMessageA(window, IDC_BAR, PBM_SETPOS, static_cast<WPARAM>(i % 100), 0);
    PostMessageA(window, WM_COMMAND, REPORT, 0);
  });
  worker.join();
  MSG msg;
  ASSERT_TRUE(GetMessageA(&msg, nullptr, 0, 0));
  EXPECT_EQ(msg.wParam, REPORT);
  EXPECT_EQ(reports, 1);
  EXPECT_EQ(frontEnd.progressPosition(window, IDC_BAR), UPDATES % 100);
  frontEnd.setChangeObserver(nullptr);
}

// A worker's refresh: asked for any number of times, it runs once, on the
// window's thread, before what was posted after it; a cancel drops a refresh
// not yet run and waits for one that is running, so its owner may go.
TEST_F(PlatformCrossThreadSend, ARefreshRunsOnceOnTheWindowsThreadAndACancelWaitsForIt) {
  HWND window = createWindow();
  struct Counted final : ControlRefresh {
    HWND window = nullptr;
    DWORD thread = 0;
    std::atomic<int> runs{0};
    std::atomic<bool> running{false};
    std::atomic<bool> release{true};
    void refresh() override {
      running = true;
      while (!release) std::this_thread::yield();
      thread = GetCurrentThreadId();
      SetDlgItemTextA(window, IDC_LABEL_FIELD, "refreshed");
      ++runs;
      running = false;
    }
  } counted;
  counted.window = window;
  std::thread worker([&] {
    for (int i = 0; i < 1000; ++i) requestControlRefresh(window, &counted);
    PostMessageA(window, WM_COMMAND, REPORT, 0);
  });
  worker.join();
  MSG msg;
  ASSERT_TRUE(GetMessageA(&msg, nullptr, 0, 0));
  EXPECT_EQ(msg.wParam, REPORT);
  EXPECT_EQ(counted.runs, 1);
  EXPECT_EQ(counted.thread, GetCurrentThreadId());
  EXPECT_EQ(frontEnd.controlText(window, IDC_LABEL_FIELD), "refreshed");

  std::thread dropped([&] {
    requestControlRefresh(window, &counted);
    cancelControlRefresh(&counted);
    PostMessageA(window, WM_COMMAND, REPORT, 0);
  });
  dropped.join();
  ASSERT_TRUE(GetMessageA(&msg, nullptr, 0, 0));
  EXPECT_EQ(counted.runs, 1) << "a cancelled refresh never runs";

  counted.release = false;
  std::atomic<bool> cancelled{false};
  std::thread canceller([&] {
    requestControlRefresh(window, &counted);
    while (!counted.running) std::this_thread::yield();
    cancelControlRefresh(&counted);
    cancelled = true;
  });
  std::thread releaser([&] {
    while (!counted.running) std::this_thread::yield();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_FALSE(cancelled) << "the cancel returned while the refresh ran";
    counted.release = true;
  });
  while (counted.runs < 2) {
    processPendingMessages();
    waitForMessages(CHANGE_REPORT_INTERVAL_MS);
  }
  canceller.join();
  releaser.join();
  EXPECT_TRUE(cancelled);
}

// A message for the window itself runs its procedure on its own thread.
TEST_F(PlatformCrossThreadSend, AWindowMessageWaitsUntilTheWindowsThreadCarriesItOut) {
  HWND window = createWindow();
  procedureLog().react = [](HWND, UINT message, WPARAM, LPARAM) -> LRESULT { return message == WM_USER ? 42 : 0; };
  std::atomic<bool> returned{false};
  LRESULT result = 0;
  std::thread worker([&] {
    result = SendMessageA(window, WM_USER, 0, 0);
    returned.store(true);
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_FALSE(returned.load());
  EXPECT_TRUE(WaitMessage());
  worker.join();
  EXPECT_EQ(result, 42);
  EXPECT_EQ(procedureLog().messages.back().message, WM_USER);
}

// A box that stays up until a control update has come through its loop.
class ModalFrontEnd final : public HeadlessFrontEnd {
 public:
  int showMessageBox(HWND owner, const std::string& text, const std::string& caption, UINT type) override {
    HeadlessFrontEnd::showMessageBox(owner, text, caption, type);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!updated && std::chrono::steady_clock::now() < deadline) {
      waitForEvents(100);
      processPendingMessages();
    }
    return IDOK;
  }
  void windowChanged(HWND window, int controlId) override {
    HeadlessFrontEnd::windowChanged(window, controlId);
    if (controlId == IDC_LABEL_FIELD) updated = true;
  }
  bool updated = false;
};

TEST_F(PlatformCrossThreadSend, ModalMessageBoxKeepsHandlingSends) {
  HWND window = createWindow();
  ModalFrontEnd modal;
  SendJob job;
  job.window = window;
  job.text = " during the box";
  HANDLE worker = startWorker(job);
  ASSERT_NE(worker, nullptr);

  EXPECT_EQ(MessageBoxA(window, "wait", "ERROR", MB_ICONERROR), IDOK);
  EXPECT_TRUE(modal.updated);
  EXPECT_EQ(modal.controlText(window, IDC_LABEL_FIELD), " during the box");
  ASSERT_TRUE(modal.runUntilIdle());
  EXPECT_EQ(WaitForSingleObject(worker, INFINITE), WAIT_OBJECT_0);
  CloseHandle(worker);
  EXPECT_EQ(procedureLog().commands(), (std::vector<WPARAM>{REPORT}));
  ASSERT_EQ(modal.messageBoxes().size(), 1u);
  EXPECT_EQ(modal.messageBoxes()[0].caption, "ERROR");
  setFrontEnd(&frontEnd);
}

// The window's thread on the platform's clock: a wait with a limit moves the
// clock on to what is due; one without ends when woken, or is cut short and
// counted as a lost wake-up. Its box waits as a front end's modal loop does:
// for what msUntilNextDue names, carrying out the program's messages.
class ClockFrontEnd final : public HeadlessFrontEnd {
 public:
  void waitForEvents(int timeoutMs) override {
    limits.push_back(timeoutMs);
    ++waits;
    if (timeoutMs > 0 && skipToNextDueWhenIdle()) return;
    if (!woken_.wait(timeoutMs < 0 ? UNLIMITED_WAIT_CUT_MS : timeoutMs) && timeoutMs < 0) ++lostWakeUps;
  }
  void wakeMainThread() override { woken_.wake(); }
  int showMessageBox(HWND, const std::string&, const std::string&, UINT) override {
    while (!boxDone()) {
      waitForEvents(msUntilNextDue());
      processPendingMessages();
    }
    return IDOK;
  }
  std::vector<int> limits;  // of every wait, in order
  std::atomic<std::size_t> waits{0};
  int lostWakeUps = 0;
  std::function<bool()> boxDone;

 private:
  static constexpr int UNLIMITED_WAIT_CUT_MS = 10000;
  WakeSignal woken_;
};

// A change made within an interval of the last report, while the window's
// thread already waits: the thread is woken, and from then on waits no longer
// than the interval, in its own wait and in a box alike.
TEST_F(PlatformCrossThreadSend, AChangeIsReportedWithinOneIntervalWhicheverLoopWaits) {
  HWND window = createWindow();
  ClockFrontEnd clock;
  for (const bool inBox : {false, true}) {
    clock.limits.clear();
    std::atomic<int> reports{0};
    std::atomic<std::size_t> waitsAtReport{0};
    clock.setChangeObserver([&](HWND, int controlId) {
      if (controlId != IDC_BAR) return;
      waitsAtReport = clock.waits.load();
      if (++reports == 2) PostMessageA(window, WM_COMMAND, REPORT, 0);
    });
    // Not a thread of the platform's queues: neither its waits nor its end wake the window's thread.
    std::thread changer([&] {
      SendDlgItemMessageA(window, IDC_BAR, PBM_SETPOS, 1, 0);
      while (reports < 1 || clock.waits <= waitsAtReport) std::this_thread::yield();
      SendDlgItemMessageA(window, IDC_BAR, PBM_SETPOS, 2, 0);
      while (reports < 2) std::this_thread::yield();
    });
    if (inBox) {
      clock.boxDone = [&] { return reports == 2; };
      MessageBoxA(window, "wait", "ERROR", MB_ICONERROR);
    } else {
      MSG msg;
      while (GetMessageA(&msg, nullptr, 0, 0) && msg.wParam != REPORT) {
      }
    }
    changer.join();
    clock.setChangeObserver(nullptr);
    EXPECT_EQ(clock.lostWakeUps, 0) << (inBox ? "box" : "own wait");
    for (const int limit : clock.limits) EXPECT_LE(limit, CHANGE_REPORT_INTERVAL_MS) << (inBox ? "box" : "own wait");
    EXPECT_EQ(clock.progressPosition(window, IDC_BAR), 2);
    drainQueue();
  }
  setFrontEnd(&frontEnd);
}

TEST_F(PlatformCrossThreadSend, SendToAWindowDestroyedMeanwhileReturnsZero) {
  HWND window = createWindow();
  std::atomic<LRESULT> result{-1};
  std::thread worker([&] { result = SendMessageA(window, WM_USER, 0, 0); });
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  ASSERT_TRUE(DestroyWindow(window));  // the worker's send is still waiting
  worker.join();
  EXPECT_EQ(result.load(), 0);
  SendJob job;
  job.window = window;
  HANDLE late = startWorker(job);
  EXPECT_EQ(WaitForSingleObject(late, INFINITE), WAIT_OBJECT_0);
  CloseHandle(late);
  EXPECT_EQ(job.textResult, FALSE);
  EXPECT_EQ(job.previousPosition, 0);
}

TEST_F(PlatformCrossThreadSend, WindowOfAnEndedThreadTakesNoSends) {
  HWND orphan = nullptr;
  std::thread([&] { orphan = createWindow(); }).join();
  ASSERT_NE(orphan, nullptr);
  EXPECT_FALSE(IsWindow(orphan));
  EXPECT_EQ(SendMessageA(orphan, WM_USER, 0, 0), 0);
  EXPECT_FALSE(SetDlgItemTextA(orphan, IDC_LABEL_FIELD, "late"));
  EXPECT_FALSE(PostMessageA(orphan, WM_COMMAND, REPORT, 0));
}

TEST_F(PlatformCrossThreadSend, SameThreadSendsAreDirect) {
  HWND window = createWindow();
  procedureLog().react = [](HWND, UINT message, WPARAM, LPARAM) -> LRESULT { return message == WM_USER ? 42 : 0; };
  EXPECT_EQ(SendMessageA(window, WM_USER, 0, 0), 42);
  EXPECT_EQ(procedureLog().messages.back().message, WM_USER);
  EXPECT_TRUE(SetDlgItemTextA(window, IDC_LABEL_FIELD, "direct"));
  EXPECT_EQ(frontEnd.controlText(window, IDC_LABEL_FIELD), "direct");
}

TEST_F(PlatformCrossThreadSend, OnlyTheSendingCallsWorkFromAnotherThread) {
  HWND window = createWindow();
  HWND push = GetDlgItem(window, IDC_PUSH);
  BOOL enabled = TRUE;
  HWND found = push;
  std::thread([&] {
    enabled = EnableWindow(push, FALSE);
    found = GetDlgItem(window, IDC_PUSH);
  }).join();
  EXPECT_FALSE(enabled);
  EXPECT_EQ(found, nullptr);
  EXPECT_TRUE(frontEnd.controlEnabled(window, IDC_PUSH));
}

}  // namespace
