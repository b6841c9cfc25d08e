// The seam between the portable layer and its three front ends
// (platform/headless/, platform/qt/, platform/win32/). The portable layer
// owns every window's state and calls these hooks; a front end shows the
// state and reports the user's actions through clickControl /
// clickMenuItem / requestClose (platform/window_model.h). Nothing in core/,
// survey/ or app/ includes a front end.
#pragma once

#include "platform/win_types.h"

#include <string>
#include <utility>
#include <vector>

struct FileDialogRequest {
  bool save = false;
  std::string title;
  std::string initialName;                                   // bytes of the name buffer, may be empty
  std::vector<std::pair<std::string, std::string>> filters;  // display text, pattern ("*.VSK")
  std::string defaultExtension;                              // without the period
  DWORD flags = 0;                                           // OFN_*
  DWORD maxFile = 0;  // nMaxFile: bytes the path may take with its terminator; 0: not given
};

class FrontEnd {
 public:
  virtual ~FrontEnd() = default;

  // Main thread, called by GetMessageA / WaitMessage when the thread that owns
  // the windows has nothing to do. Block until wakeMainThread() is called or
  // timeoutMs have passed (-1: no limit; else the next timer is due);
  // meanwhile turn the user's actions into clickControl / clickMenuItem /
  // requestClose. Must return promptly once woken, and at once when a wake
  // came before the call (a wake is never lost). Spurious returns are fine.
  virtual void waitForEvents(int timeoutMs) = 0;
  // Any thread, never blocking: a post or send for the main thread is
  // waiting, or a worker has started waiting or has ended (what an idle
  // check waits for).
  virtual void wakeMainThread() = 0;

  // Modal, main thread. While a box or dialog is up, the front end calls
  // processPendingMessages() whenever it is woken, so workers are never held up.
  virtual int showMessageBox(HWND owner, const std::string& text, const std::string& caption, UINT type) = 0;
  // Returns false for a cancel; on true *path holds the bytes typed or picked.
  virtual bool askFileName(HWND owner, const FileDialogRequest& request, std::string* path) = 0;
  // The overwrite prompt of a save dialog: true to go on.
  virtual bool confirmOverwrite(HWND owner, const std::string& path) = 0;

  virtual void beep(UINT type) = 0;

  // Main thread, after the model changed: controlId is the control's id, or
  // 0 for the window itself (title, position, visibility, menu marks). Every
  // message that reaches a control is reported, changed or not. These hooks
  // read the model (windowModel) but must not create or destroy windows.
  // Changes made during WM_CREATE arrive before windowCreated: a front end
  // that does not know the window yet can ignore them.
  virtual void windowChanged(HWND window, int controlId) = 0;
  virtual void windowCreated(HWND window) = 0;    // controls and menu are in place
  virtual void windowDestroyed(HWND window) = 0;  // model still readable, destroyed set; forget the handle
};

// The front end in use. Until one is installed (and after setFrontEnd(nullptr))
// a silent one: nothing shown, boxes answer IDOK, file dialogs cancel. A
// front end must outlive every thread that may call it.
void setFrontEnd(FrontEnd* frontEnd);
FrontEnd& frontEnd();

// Main thread, non-blocking: carry out incoming sends and dispatch the
// posted messages and due timers of the calling thread's queue, as a modal
// loop on Windows does; WM_QUIT stays for the message loop. Front ends call
// it from their modal loops whenever they are woken.
void processPendingMessages();
