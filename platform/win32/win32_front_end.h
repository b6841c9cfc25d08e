// The Win32 front end: every window of the model shown as a real window that
// Windows' dialog manager builds from the same template (static, button,
// check box, radio button, msctls_progress32, the menu, the icons from the
// executable's resources); the modal calls answered by MessageBoxW,
// MessageBeep and the common dialogs. The portable layer keeps its own
// queues and model, as with every front end: a click on a real control only
// reaches the program as the WM_COMMAND Windows would send, and only the
// model changes a real control.
//
// Needs nothing but the executable; install it with setFrontEnd. Every call
// but wakeMainThread belongs to the main thread.
#pragma once

#include "platform/front_end.h"
#include "platform/win32/native_ui.h"

#include <cstdint>
#include <map>

class Win32FrontEnd final : public FrontEnd, private native::NativeEvents {
 public:
  Win32FrontEnd();
  ~Win32FrontEnd() override;
  Win32FrontEnd(const Win32FrontEnd&) = delete;
  Win32FrontEnd& operator=(const Win32FrontEnd&) = delete;

  void waitForEvents(int timeoutMs) override;
  void wakeMainThread() override;
  int showMessageBox(HWND owner, const std::string& text, const std::string& caption, UINT type) override;
  bool askFileName(HWND owner, const FileDialogRequest& request, std::string* path) override;
  // The save dialog has asked already (OFN_OVERWRITEPROMPT is its own).
  bool confirmOverwrite(HWND owner, const std::string& path) override;
  void beep(UINT type) override;
  void windowChanged(HWND window, int controlId) override;
  void windowCreated(HWND window) override;
  void windowDestroyed(HWND window) override;

  // The real window that shows a window of the model (0 for none).
  std::uintptr_t realWindow(HWND window) const;

 private:
  void controlClicked(native::WindowKey window, int controlId) override;
  void menuItemChosen(native::WindowKey window, unsigned itemId) override;
  void closeRequested(native::WindowKey window) override;
  void windowMoved(native::WindowKey window, const native::Rect& outer) override;
  void filesDropped(native::WindowKey window, const std::vector<std::string>& names) override;
  int carryOutPendingMessages() override;

  void showWindowState(HWND window);

  native::NativeShell shell_;
  // Where each real window was last put or seen, so that only a move by the
  // program moves it again.
  std::map<HWND, POINT> knownPositions_;
};
