// The front end without a screen, for tests and the batch program: records
// message boxes (answered IDOK), beeps, file-dialog requests and overwrite
// prompts; answers file dialogs from a script and the overwrite prompt from a
// setting; runs the calling thread's messages until the program is idle.
//
// Constructing one installs it (setFrontEnd); destroying it puts the silent
// default back. Destroy it only once no worker can still call it (join them).
// The records may be read from any thread; runUntilIdle, the clicks and the
// control accessors belong to the thread that owns the windows.
#pragma once

#include "platform/front_end.h"
#include "platform/wake_signal.h"

#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

struct MessageBoxRecord {
  HWND owner = nullptr;
  std::string caption;
  std::string text;
  UINT type = 0;
};

class HeadlessFrontEnd : public FrontEnd {
 public:
  HeadlessFrontEnd();
  ~HeadlessFrontEnd() override;
  HeadlessFrontEnd(const HeadlessFrontEnd&) = delete;
  HeadlessFrontEnd& operator=(const HeadlessFrontEnd&) = delete;

  void waitForEvents(int timeoutMs) override;
  void wakeMainThread() override;
  int showMessageBox(HWND owner, const std::string& text, const std::string& caption, UINT type) override;
  bool askFileName(HWND owner, const FileDialogRequest& request, std::string* path) override;
  bool confirmOverwrite(HWND owner, const std::string& path) override;
  void beep(UINT type) override;
  void windowChanged(HWND window, int controlId) override;
  void windowCreated(HWND window) override;
  void windowDestroyed(HWND window) override;

  // The script of file dialogs, answered in order; with no answer left a
  // dialog is cancelled.
  void answerFileDialog(std::string path);
  void cancelFileDialog();
  void setOverwriteAnswer(bool overwrite);  // default: yes

  std::vector<MessageBoxRecord> messageBoxes() const;
  std::vector<UINT> beeps() const;
  std::vector<FileDialogRequest> fileRequests() const;
  std::vector<std::string> overwritePrompts() const;
  void clearRecords();  // boxes, beeps, requests, prompts and change counts

  // Handles the calling thread's sends, posted messages and timers until
  // allThreadsIdle() (true), until WM_QUIT is retrieved (true, quitReceived()
  // and exitCode() tell), or until timeoutMs have passed (false).
  bool runUntilIdle(int timeoutMs = 20000);
  bool quitReceived() const { return quitReceived_; }  // of the last runUntilIdle
  int exitCode() const { return exitCode_; }

  // What a user does (see clickControl and friends); TRUE when it posted.
  BOOL click(HWND window, int controlId);
  BOOL clickMenu(HWND window, UINT itemId);
  BOOL close(HWND window);

  // The model as a user would see it; empty / false / 0 for a missing control.
  std::string controlText(HWND window, int controlId) const;
  bool controlEnabled(HWND window, int controlId) const;
  UINT controlChecked(HWND window, int controlId) const;
  int progressPosition(HWND window, int controlId) const;
  bool menuItemChecked(HWND window, UINT itemId) const;
  bool menuItemGrayed(HWND window, UINT itemId) const;
  bool systemMenuItemGrayed(HWND window, UINT command) const;

  // Windows created while installed, in order, destroyed ones included.
  std::vector<HWND> createdWindows() const;
  HWND lastCreatedWindow() const;  // nullptr when none

  // Sees every model change as the front end hears of it (main thread).
  using ChangeObserver = std::function<void(HWND window, int controlId)>;
  void setChangeObserver(ChangeObserver observer);
  // How many changes reached this control (0: the window itself).
  int changeCount(HWND window, int controlId) const;

 private:
  mutable std::mutex mutex_;
  WakeSignal wake_;
  std::deque<std::optional<std::string>> fileAnswers_;
  bool overwriteAnswer_ = true;
  std::vector<MessageBoxRecord> boxes_;
  std::vector<UINT> beeps_;
  std::vector<FileDialogRequest> requests_;
  std::vector<std::string> prompts_;
  std::vector<HWND> windows_;
  std::map<std::pair<HWND, int>, int> changes_;
  ChangeObserver observer_;
  bool quitReceived_ = false;
  int exitCode_ = 0;
};
