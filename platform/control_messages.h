// What the control classes do by themselves with the messages the program
// sends them: text for every control, BM_SETCHECK for buttons, PBM_SETPOS and
// PBM_SETRANGE for progress bars. The owning thread only; every message that
// reaches a control is reported to the front end (windowChanged), changed or
// not, so a front end or a test sees each update.
#pragma once

#include "platform/window_model.h"

LRESULT controlMessage(HWND window, ControlModel& control, UINT message, WPARAM wParam, LPARAM lParam);
