#include "platform/front_end.h"

#include "platform/wake_signal.h"

#include <atomic>

namespace {

// Until a front end is installed: nothing is shown, boxes answer OK, file
// dialogs are cancelled, the main thread still waits without spinning.
class SilentFrontEnd final : public FrontEnd {
 public:
  void waitForEvents(int timeoutMs) override { signal_.wait(timeoutMs); }
  void wakeMainThread() override { signal_.wake(); }
  int showMessageBox(HWND, const std::string&, const std::string&, UINT) override { return IDOK; }
  bool askFileName(HWND, const FileDialogRequest&, std::string*) override { return false; }
  bool confirmOverwrite(HWND, const std::string&) override { return true; }
  void beep(UINT) override {}
  void windowChanged(HWND, int) override {}
  void windowCreated(HWND) override {}
  void windowDestroyed(HWND) override {}

 private:
  WakeSignal signal_;
};

std::atomic<FrontEnd*> installed{nullptr};

FrontEnd& silentFrontEnd() {
  static auto* silent = new SilentFrontEnd;  // never destroyed: threads may call it while the process exits
  return *silent;
}

}  // namespace

void setFrontEnd(FrontEnd* frontEnd) { installed.store(frontEnd); }

FrontEnd& frontEnd() {
  FrontEnd* current = installed.load();
  return current != nullptr ? *current : silentFrontEnd();
}
