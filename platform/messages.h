// Message queues, sends and timers with the Windows semantics the program
// relies on.
//
// - Every thread gets a queue when it first waits, peeks or is posted to.
//   Posting to NO_THREAD, or to a thread that has ended, fails and does nothing.
// - A window belongs to the thread that created it. SendMessageA from another
//   thread queues the call for the window's thread and blocks until that
//   thread has carried it out; the window's thread handles incoming sends
//   whenever it waits for or peeks at messages, modal loops included.
// - WM_TIMER is generated only when no posted message is waiting, so a
//   deferred command runs after everything queued before it. Arming an id
//   that is still armed restarts it.
// - WM_QUIT is delivered once no posted message is left, as on Windows.
// - Timers belong to a window of the calling thread; timer procedures are
//   not supported (SetTimer returns 0). The shortest period is 1 ms.
// - DispatchMessageA calls the procedure of a window of the calling thread;
//   thread messages (no window) are not dispatched.
// - A thread that owns windows waits through the front end
//   (frontEnd().waitForEvents); the others on a condition. Nothing spins.
#pragma once

#include "platform/win_types.h"

struct MSG {
  HWND hwnd = nullptr;
  UINT message = 0;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
  DWORD time = 0;
  POINT pt{};
};

using WNDPROC = LRESULT (*)(HWND, UINT, WPARAM, LPARAM);
using TIMERPROC = void (*)(HWND, UINT, UINT_PTR, DWORD);

BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
BOOL PostThreadMessageA(DWORD threadId, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// 0 on WM_QUIT, nonzero otherwise (-1 for a null msg). Order: incoming sends
// are carried out (not returned), then posted messages in FIFO order, then
// WM_QUIT, then due timers. The window and message filters are ignored: the
// program always asks for any window and any message.
BOOL GetMessageA(MSG* msg, HWND window, UINT filterMin, UINT filterMax);
BOOL PeekMessageA(MSG* msg, HWND window, UINT filterMin, UINT filterMax, UINT removeMessage);
BOOL WaitMessage();
BOOL TranslateMessage(const MSG* msg);
LRESULT DispatchMessageA(const MSG* msg);
void PostQuitMessage(int exitCode);
LRESULT DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
UINT_PTR SetTimer(HWND window, UINT_PTR id, UINT elapseMs, TIMERPROC timerProc);
BOOL KillTimer(HWND window, UINT_PTR id);
DWORD GetCurrentThreadId();
// Milliseconds on the platform's clock, the one timers and message times run on.
DWORD GetTickCount();
