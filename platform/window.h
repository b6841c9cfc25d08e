// Window, control and menu calls with Windows' signatures, over the window
// model (platform/window_model.h). All of them belong to the window's thread,
// except SetDlgItemTextA and SendDlgItemMessageA, which a worker may call:
// they are then sent to the window's thread and wait until it has carried
// them out (0 at once when the window is gone), and IsWindow and
// MessageBeep, which any thread may call. Called from another thread, or
// with a stale or made-up handle, the others fail and change nothing. Each
// change of the model is reported with frontEnd().windowChanged.
#pragma once

#include "platform/messages.h"
#include "platform/win_types.h"

struct WNDCLASSA {
  UINT style = 0;
  WNDPROC lpfnWndProc = nullptr;
  int cbClsExtra = 0;
  int cbWndExtra = 0;
  HINSTANCE hInstance = nullptr;
  HICON hIcon = nullptr;
  HCURSOR hCursor = nullptr;
  std::intptr_t hbrBackground = 0;
  LPCSTR lpszMenuName = nullptr;
  LPCSTR lpszClassName = nullptr;
};

using DLGPROC = std::intptr_t (*)(HWND, UINT, WPARAM, LPARAM);

// Returns a nonzero atom, 0 on failure (no class name, no procedure, or a
// class of that name already registered).
WORD RegisterClassA(const WNDCLASSA* windowClass);
BOOL UnregisterClassA(LPCSTR className, HINSTANCE instance);
HICON LoadIconA(HINSTANCE instance, LPCSTR iconName);
void InitCommonControls();

// Builds the window from the template on the calling thread, which owns it:
// title, style, menu, system menu and screen rectangle (the template's
// position and size in the dialog base units of an 8-point sans-serif font)
// exist when WM_CREATE reaches the class's window procedure (lParam 0); the
// controls only after it, as with Windows' dialog manager. Then the front end
// hears of the window (windowCreated). dialogProc is never called: the class
// procedure gets every message. Returns nullptr when the template, its menu
// or its class is unknown, or when WM_CREATE returns -1.
HWND CreateDialogParamA(HINSTANCE instance, LPCSTR templateName, HWND parent, DLGPROC dialogProc, LPARAM initParam);
// WM_DESTROY to the procedure, the window's timers killed, the model marked
// destroyed, frontEnd().windowDestroyed, then the handles are unknown and
// sends waiting for the window return 0. FALSE for a control or when the
// window is already being destroyed.
BOOL DestroyWindow(HWND window);
BOOL IsWindow(HWND window);
BOOL ShowWindow(HWND window, int showCommand);
BOOL SetWindowTextA(HWND window, LPCSTR text);
BOOL SetWindowPos(HWND window, HWND insertAfter, int x, int y, int cx, int cy, UINT flags);
BOOL GetWindowRect(HWND window, RECT* rect);  // top-level windows only
// Dialog units to pixels, with the base units CreateDialogParamA uses.
BOOL MapDialogRect(HWND dialog, RECT* rect);

HWND GetDlgItem(HWND dialog, int controlId);
BOOL SetDlgItemTextA(HWND dialog, int controlId, LPCSTR text);
UINT GetDlgItemTextA(HWND dialog, int controlId, LPSTR buffer, int bufferSize);
LRESULT SendDlgItemMessageA(HWND dialog, int controlId, UINT message, WPARAM wParam, LPARAM lParam);
BOOL EnableWindow(HWND control, BOOL enable);
BOOL IsWindowEnabled(HWND control);
BOOL CheckDlgButton(HWND dialog, int buttonId, UINT check);
UINT IsDlgButtonChecked(HWND dialog, int buttonId);
BOOL CheckRadioButton(HWND dialog, int firstId, int lastId, int checkId);

HMENU GetMenu(HWND window);
HMENU GetSystemMenu(HWND window, BOOL revert);
// Return the previous state (MF_CHECKED / MF_GRAYED), or -1 (as DWORD) when the item does not exist.
DWORD CheckMenuItem(HMENU menu, UINT itemId, UINT check);
BOOL EnableMenuItem(HMENU menu, UINT itemId, UINT enable);

HCURSOR LoadCursorA(HINSTANCE instance, LPCSTR cursorName);
HCURSOR SetCursor(HCURSOR cursor);  // the cursor is only remembered: GetCursor
HCURSOR GetCursor();

// MessageBeep(0xFFFFFFFF) is the simple beep; the front end sounds it.
BOOL MessageBeep(UINT type);
