// The Qt 6 Widgets front end: shows every window of the model (WindowView),
// runs Qt's event processing while the main thread waits, and shows the
// modal message boxes and file dialogs, carrying out sends and posts while
// they are up. Needs a QApplication; install it with setFrontEnd. Every call
// but wakeMainThread and windowChanged belongs to the main thread.
//
// A change of the model only marks its control as out of date; one timer
// brings every marked control up to date from the model at most once a
// frame (REFRESH_INTERVAL_MS), so a conversion that changes texts tens of
// thousands of times a second costs the window sixty refreshes. Boxes and
// dialogs come up over an up-to-date window.
#pragma once

#include "platform/front_end.h"
#include "platform/qt/window_dump.h"

#include <QObject>
#include <QTimer>

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <vector>

class FileNameDialog;
class WindowView;

class QtFrontEnd final : public FrontEnd {
 public:
  static constexpr int REFRESH_INTERVAL_MS = 16;

  // resources: where the icons of the windows are found (the program's instance).
  explicit QtFrontEnd(HINSTANCE resources);
  ~QtFrontEnd() override;

  void waitForEvents(int timeoutMs) override;
  void wakeMainThread() override;

  int showMessageBox(HWND owner, const std::string& text, const std::string& caption, UINT type) override;
  bool askFileName(HWND owner, const FileDialogRequest& request, std::string* path) override;
  bool confirmOverwrite(HWND owner, const std::string& path) override;

  void beep(UINT type) override;

  // Any thread: marks the control (0: the window itself) out of date.
  void windowChanged(HWND window, int controlId) override;
  void windowCreated(HWND window) override;
  void windowDestroyed(HWND window) override;

  // The view of a live window, or nullptr.
  WindowView* view(HWND window) const;
  // Brings every control marked out of date up to date now (what the timer does).
  void applyPendingChanges();
  // How many times applyPendingChanges found something to bring up to date.
  std::uint64_t refreshes() const { return refreshes_; }

 private:
  class WakeReceiver : public QObject {
   public:
    explicit WakeReceiver(QtFrontEnd& frontEnd) : frontEnd_(frontEnd) {}
    bool event(QEvent* event) override;

   private:
    QtFrontEnd& frontEnd_;
  };

  // Marks the span of a modal box or dialog: wakes then carry out pending messages.
  class ModalScope {
   public:
    explicit ModalScope(QtFrontEnd& frontEnd);
    ~ModalScope();
    ModalScope(const ModalScope&) = delete;
    ModalScope& operator=(const ModalScope&) = delete;

   private:
    QtFrontEnd& frontEnd_;
  };

  void woken();
  // While a box or dialog is up, deferred commands still fire when due, as in Windows' modal loops.
  void armModalTimer();
  void scheduleDump();
  QWidget* ownerWidget(HWND owner) const;

  HINSTANCE resources_;
  std::mutex pendingMutex_;
  std::map<HWND, std::set<int>> pending_;  // out of date: control ids, 0 for the window
  bool refreshArmed_ = false;              // with pendingMutex_
  std::uint64_t refreshes_ = 0;
  QTimer refreshTimer_;
  std::map<HWND, std::unique_ptr<WindowView>> views_;
  // Views of windows destroyed while a modal dialog (perhaps their child) ran.
  std::vector<std::unique_ptr<WindowView>> closedViews_;
  int modalDepth_ = 0;
  std::atomic<bool> wakeRequested_{false};
  std::atomic<bool> wakeEventPosted_{false};
  QTimer waitLimit_;
  QTimer dumpTimer_;
  QTimer modalTimer_;
  WindowDump dump_;
  std::string lastDialogTitle_;
  FileNameDialog* openDialog_ = nullptr;  // while askFileName runs
  // Places the file dialogs offer: folders of the files chosen, most recent
  // first, and of the last file opened (the survey).
  std::vector<std::string> recentFolders_;
  std::string surveyFolder_;
  WakeReceiver receiver_{*this};
};
