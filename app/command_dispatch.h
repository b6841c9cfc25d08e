// The command table of the main window: every command id and every control
// and menu item, by the low 16 bits of WM_COMMAND's wParam. Main thread.
#pragma once

#include "platform/win_types.h"

// FALSE for an id without a handler, which goes on to DefWindowProcA.
BOOL dispatchCommand(HWND window, WPARAM wParam, LPARAM lParam);
