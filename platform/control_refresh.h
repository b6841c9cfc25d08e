// Controls that a worker would change faster than any screen can show: the
// worker keeps its latest values to itself and asks for a refresh, and the
// thread that owns the window sets the controls from those values just before
// it next reports the controls other threads changed. The view then shows
// exactly what setting them on every change would have shown, at the cost of
// one refresh per report.
#pragma once

#include "platform/win_types.h"

class ControlRefresh {
 public:
  // On the thread that owns the window, with no platform lock held: sets the
  // controls from the latest values (SetDlgItemTextA and the like).
  virtual void refresh() = 0;

 protected:
  ~ControlRefresh() = default;
};

// Any thread, never blocking: `refresh` runs once on the thread that owns
// `window`, before that thread's next report of changed controls (the first
// request after a report wakes it, as a changed control does). Asking again
// before it ran asks once. Nothing happens when the window is gone.
void requestControlRefresh(HWND window, ControlRefresh* refresh);

// Any thread but the window's: on return `refresh` neither runs nor will run
// (a request not yet carried out is dropped).
void cancelControlRefresh(ControlRefresh* refresh);
