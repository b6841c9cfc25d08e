// How the program tells the user of an event: the status line, the modal
// "ERROR" box with a file name in it, and the simple beep. Main thread (the
// beep: any thread).
#pragma once

#include "app/ui_texts.h"
#include "platform/dialogs.h"
#include "platform/window.h"
#include "res/resource_ids.h"

#include <cstdio>

constexpr UINT SIMPLE_BEEP = 0xFFFFFFFFu;
// Room for the longest message with a whole 259-byte file name in it.
constexpr int MESSAGE_TEXT_BYTES = 512;

inline void setStatus(HWND window, const char* text) { SetDlgItemTextA(window, IDC_STATUS, text); }

inline void beep() { MessageBeep(SIMPLE_BEEP); }

inline void showError(HWND window, const char* text) { MessageBoxA(window, text, ERROR_CAPTION, MB_OK | MB_ICONERROR); }

// format holds one %s, filled with fileName.
inline void showFileError(HWND window, const char* format, const char* fileName) {
  char text[MESSAGE_TEXT_BYTES];
  std::snprintf(text, sizeof text, format, fileName);
  showError(window, text);
}
