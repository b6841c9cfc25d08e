// The headless front end: running until idle, quitting, and what it records.
#include "tests/platform/platform_test_window.h"

#include "platform/dialogs.h"
#include "platform/threads.h"

#include <chrono>
#include <thread>

using namespace platform_test;

namespace {

constexpr WPARAM RUN = 102;
constexpr WPARAM EXIT = 101;
constexpr WPARAM RUN_DONE = 104;
constexpr UINT_PTR REPEATING = 140;

// A converter-like worker: on RUN it works a while, moving the bar by sends,
// then answers RUN_DONE; on EXIT it ends.
DWORD converterLoop(void* parameter) {
  HWND window = static_cast<HWND>(parameter);
  for (;;) {
    WaitMessage();
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.wParam == EXIT) return 0;
      if (msg.wParam != RUN) continue;
      for (WPARAM percent = 1; percent <= 100; ++percent) {
        if (percent % 25 == 0) std::this_thread::sleep_for(std::chrono::milliseconds(20));
        SendDlgItemMessageA(window, IDC_BAR, PBM_SETPOS, percent, 0);
      }
      MessageBeep(0xFFFFFFFFu);
      PostMessageA(window, WM_COMMAND, RUN_DONE, 0);
    }
  }
}

class PlatformHeadlessFrontEnd : public WindowTest {};

TEST_F(PlatformHeadlessFrontEnd, RunUntilIdleWaitsForABusyWorker) {
  HWND window = createWindow();
  DWORD workerId = 0;
  HANDLE worker = CreateThread(nullptr, 0, converterLoop, window, 0, &workerId);
  ASSERT_NE(worker, nullptr);
  int updatesAt100 = 0;
  frontEnd.setChangeObserver([&](HWND changed, int controlId) {
    if (controlId == IDC_BAR && frontEnd.progressPosition(changed, IDC_BAR) == 100) ++updatesAt100;
  });

  ASSERT_TRUE(PostThreadMessageA(workerId, WM_COMMAND, RUN, 0));
  ASSERT_TRUE(frontEnd.runUntilIdle());
  EXPECT_EQ(procedureLog().commands(), (std::vector<WPARAM>{RUN_DONE}));
  EXPECT_EQ(frontEnd.progressPosition(window, IDC_BAR), 100);
  // The worker's updates reach the front end together, never fewer than once.
  EXPECT_GE(frontEnd.changeCount(window, IDC_BAR), 1);
  EXPECT_LE(frontEnd.changeCount(window, IDC_BAR), 100);
  EXPECT_EQ(updatesAt100, 1);
  EXPECT_EQ(frontEnd.beeps(), (std::vector<UINT>{0xFFFFFFFFu}));
  EXPECT_FALSE(frontEnd.quitReceived());

  frontEnd.setChangeObserver(nullptr);
  PostThreadMessageA(workerId, WM_COMMAND, EXIT, 0);
  EXPECT_EQ(WaitForSingleObject(worker, INFINITE), WAIT_OBJECT_0);
  CloseHandle(worker);
}

TEST_F(PlatformHeadlessFrontEnd, RunUntilIdleStopsAtTheQuitMessage) {
  procedureLog().react = [](HWND window, UINT message, WPARAM wParam, LPARAM lParam) -> LRESULT {
    if (message == WM_DESTROY) PostQuitMessage(5);
    return DefWindowProcA(window, message, wParam, lParam);
  };
  HWND window = createWindow();
  frontEnd.close(window);
  ASSERT_TRUE(frontEnd.runUntilIdle());
  EXPECT_TRUE(frontEnd.quitReceived());
  EXPECT_EQ(frontEnd.exitCode(), 5);
  EXPECT_FALSE(IsWindow(window));
}

TEST_F(PlatformHeadlessFrontEnd, ArmedTimerKeepsTheProgramBusy) {
  procedureLog().react = [](HWND, UINT, WPARAM, LPARAM) -> LRESULT { return 0; };  // never kills it
  HWND window = createWindow();
  ASSERT_NE(SetTimer(window, REPEATING, 1, nullptr), 0u);
  EXPECT_FALSE(frontEnd.runUntilIdle(60));
  int fired = 0;
  for (const Received& r : procedureLog().messages) fired += r.message == WM_TIMER ? 1 : 0;
  EXPECT_GT(fired, 1);
  KillTimer(window, REPEATING);
  EXPECT_TRUE(frontEnd.runUntilIdle());
}

TEST_F(PlatformHeadlessFrontEnd, CountsEveryUpdateOfAControl) {
  HWND window = createWindow();
  for (int i = 0; i < 3; ++i) SendDlgItemMessageA(window, IDC_BAR, PBM_SETPOS, 10, 0);
  SetDlgItemTextA(window, IDC_LABEL_FIELD, "x");
  EXPECT_EQ(frontEnd.changeCount(window, IDC_BAR), 3);
  EXPECT_EQ(frontEnd.changeCount(window, IDC_LABEL_FIELD), 1);
  frontEnd.clearRecords();
  EXPECT_EQ(frontEnd.changeCount(window, IDC_BAR), 0);
}

TEST_F(PlatformHeadlessFrontEnd, DestroyingItPutsTheSilentFrontEndBack) {
  {
    HeadlessFrontEnd inner;
    EXPECT_EQ(&::frontEnd(), &inner);
  }
  EXPECT_NE(&::frontEnd(), static_cast<FrontEnd*>(&frontEnd));
  EXPECT_EQ(MessageBoxA(nullptr, "unseen", "x", MB_OK), IDOK);
  setFrontEnd(&frontEnd);
  EXPECT_TRUE(frontEnd.messageBoxes().empty());
}

}  // namespace
