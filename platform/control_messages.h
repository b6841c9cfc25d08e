// What the control classes do by themselves with the messages the program
// sends them: text for every control, BM_SETCHECK for buttons, PBM_SETPOS and
// PBM_SETRANGE for progress bars. Every message that reaches a control is
// reported to the front end (windowChanged), changed or not, so a front end
// or a test sees each update.
#pragma once

#include "platform/window_model.h"

// The owning thread: applies the message and tells the front end.
LRESULT controlMessage(HWND window, ControlModel& control, UINT message, WPARAM wParam, LPARAM lParam);

// The updates a worker makes while it works (text, progress position): any
// thread may apply them to the model itself, under controlStateMutex(), with
// the effect the owner would have had; the owner's front end hears of them
// later (message_queue.cpp).
bool isDirectControlUpdate(UINT message);
LRESULT applyControlUpdate(ControlModel& control, UINT message, WPARAM wParam, LPARAM lParam);
