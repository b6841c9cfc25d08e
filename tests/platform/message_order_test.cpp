// The order in which a thread gets its messages, and the deferred command
// built on one-shot timers.
#include "tests/platform/platform_test_window.h"

#include <chrono>
#include <thread>

using namespace platform_test;

namespace {

constexpr UINT_PTR DEFERRED = 120;
constexpr UINT_PTR FIRST = 110;
constexpr UINT_PTR SECOND = 111;

void sleepMs(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

void post(HWND window, UINT_PTR command) { PostMessageA(window, WM_COMMAND, command, 0); }

// The program's deferred command: the timer fires once and becomes a command.
LRESULT deferringProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_TIMER) {
    KillTimer(window, wParam);
    post(window, wParam);
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

class PlatformMessageOrder : public WindowTest {};

TEST_F(PlatformMessageOrder, PostedMessagesComeFirstThenQuitThenTimers) {
  HWND window = createWindow();
  ASSERT_NE(window, nullptr);
  ASSERT_NE(SetTimer(window, DEFERRED, 1, nullptr), 0u);
  post(window, FIRST);
  post(window, SECOND);
  PostQuitMessage(3);
  sleepMs(5);  // the timer is due before anything is taken

  MSG msg;
  ASSERT_TRUE(GetMessageA(&msg, nullptr, 0, 0));
  EXPECT_EQ(msg.message, WM_COMMAND);
  EXPECT_EQ(msg.wParam, FIRST);
  EXPECT_EQ(msg.hwnd, window);
  ASSERT_TRUE(GetMessageA(&msg, nullptr, 0, 0));
  EXPECT_EQ(msg.wParam, SECOND);
  EXPECT_FALSE(GetMessageA(&msg, nullptr, 0, 0));
  EXPECT_EQ(msg.message, WM_QUIT);
  EXPECT_EQ(msg.wParam, 3u);
  ASSERT_TRUE(GetMessageA(&msg, nullptr, 0, 0));
  EXPECT_EQ(msg.message, WM_TIMER);
  EXPECT_EQ(msg.wParam, DEFERRED);
  EXPECT_TRUE(KillTimer(window, DEFERRED));
}

TEST_F(PlatformMessageOrder, DeferredCommandRunsAfterCommandsPostedBeforeIt) {
  procedureLog().react = [](HWND window, UINT message, WPARAM wParam, LPARAM lParam) -> LRESULT {
    if (message == WM_COMMAND && wParam == FIRST) {
      SetTimer(window, DEFERRED, 1, nullptr);
      sleepMs(5);  // due long before the next posted command is handled
      post(window, SECOND);
      return 0;
    }
    return deferringProcedure(window, message, wParam, lParam);
  };
  HWND window = createWindow();
  post(window, FIRST);
  ASSERT_TRUE(frontEnd.runUntilIdle());
  EXPECT_EQ(procedureLog().commands(), (std::vector<WPARAM>{FIRST, SECOND, DEFERRED}));
}

TEST_F(PlatformMessageOrder, ArmingTwiceBeforeItFiresRunsOnce) {
  procedureLog().react = [](HWND window, UINT message, WPARAM wParam, LPARAM lParam) -> LRESULT {
    if (message == WM_COMMAND && wParam == FIRST) {
      SetTimer(window, DEFERRED, 1, nullptr);
      sleepMs(3);
      SetTimer(window, DEFERRED, 1, nullptr);
      return 0;
    }
    return deferringProcedure(window, message, wParam, lParam);
  };
  HWND window = createWindow();
  post(window, FIRST);
  ASSERT_TRUE(frontEnd.runUntilIdle());
  EXPECT_EQ(procedureLog().commands(), (std::vector<WPARAM>{FIRST, DEFERRED}));
}

TEST_F(PlatformMessageOrder, KilledTimerNeverFires) {
  procedureLog().react = deferringProcedure;
  HWND window = createWindow();
  ASSERT_NE(SetTimer(window, DEFERRED, 1, nullptr), 0u);
  EXPECT_TRUE(KillTimer(window, DEFERRED));
  EXPECT_FALSE(KillTimer(window, DEFERRED));
  sleepMs(5);
  ASSERT_TRUE(frontEnd.runUntilIdle());
  EXPECT_TRUE(procedureLog().commands().empty());
}

TEST_F(PlatformMessageOrder, TimerFiresAgainUntilKilled) {
  HWND window = createWindow();
  ASSERT_NE(SetTimer(window, DEFERRED, 1, nullptr), 0u);
  MSG msg;
  for (int i = 0; i < 3; ++i) {
    ASSERT_TRUE(GetMessageA(&msg, nullptr, 0, 0));
    EXPECT_EQ(msg.message, WM_TIMER);
  }
  EXPECT_TRUE(KillTimer(window, DEFERRED));
}

TEST_F(PlatformMessageOrder, TimersNeedAWindowOfTheCallingThreadAndNoProcedure) {
  HWND window = createWindow();
  EXPECT_EQ(SetTimer(nullptr, DEFERRED, 1, nullptr), 0u);
  EXPECT_EQ(SetTimer(window, DEFERRED, 1, [](HWND, UINT, UINT_PTR, DWORD) {}), 0u);
  UINT_PTR fromOtherThread = 1;
  std::thread([&] { fromOtherThread = SetTimer(window, DEFERRED, 1, nullptr); }).join();
  EXPECT_EQ(fromOtherThread, 0u);
  EXPECT_FALSE(KillTimer(window, DEFERRED));
}

TEST_F(PlatformMessageOrder, PeekWithoutRemovingLeavesTheMessage) {
  HWND window = createWindow();
  post(window, FIRST);
  MSG msg;
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
  EXPECT_EQ(msg.wParam, FIRST);
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.wParam, FIRST);
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(PlatformMessageOrder, ThreadMessagesAreNotDispatched) {
  createWindow();
  ASSERT_TRUE(PostThreadMessageA(GetCurrentThreadId(), WM_COMMAND, FIRST, 0));
  MSG msg;
  ASSERT_TRUE(GetMessageA(&msg, nullptr, 0, 0));
  EXPECT_EQ(msg.hwnd, nullptr);
  const auto before = procedureLog().messages.size();
  EXPECT_EQ(DispatchMessageA(&msg), 0);
  EXPECT_EQ(procedureLog().messages.size(), before);
}

TEST_F(PlatformMessageOrder, DefaultHandlingOfCloseDestroysTheWindow) {
  HWND window = createWindow();
  ASSERT_TRUE(frontEnd.close(window));
  ASSERT_TRUE(frontEnd.runUntilIdle());
  EXPECT_FALSE(IsWindow(window));
  ASSERT_GE(procedureLog().messages.size(), 2u);
  EXPECT_EQ(procedureLog().messages.back().message, WM_DESTROY);
}

// The main thread waits through the front end until the timer is due: a few
// waits with a timeout, not a spin.
class CountingFrontEnd final : public HeadlessFrontEnd {
 public:
  void waitForEvents(int timeoutMs) override {
    ++waits;
    lastTimeout = timeoutMs;
    HeadlessFrontEnd::waitForEvents(timeoutMs);
  }
  int waits = 0;
  int lastTimeout = -1;
};

TEST_F(PlatformMessageOrder, WaitingForATimerBlocksInTheFrontEnd) {
  HWND window = createWindow();
  CountingFrontEnd counting;
  ASSERT_NE(SetTimer(window, DEFERRED, 40, nullptr), 0u);
  MSG msg;
  ASSERT_TRUE(GetMessageA(&msg, nullptr, 0, 0));
  EXPECT_EQ(msg.message, WM_TIMER);
  EXPECT_GE(counting.waits, 1);
  EXPECT_LE(counting.waits, 3);
  EXPECT_GT(counting.lastTimeout, 0);
  KillTimer(window, DEFERRED);
  setFrontEnd(&frontEnd);
}

}  // namespace
