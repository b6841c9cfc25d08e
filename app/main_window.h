// The main window procedure of the class "VESKCONV". The window is built
// from dialog template 102 without a dialog procedure, so every message of
// the window, WM_CREATE included, comes here. Main thread.
#pragma once

#include "platform/win_types.h"

LRESULT mainWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
