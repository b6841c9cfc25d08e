// The Qt 6 Widgets front end: shows every window of the model (WindowView),
// runs Qt's event processing while the main thread waits, and shows the
// modal message boxes and file dialogs, carrying out sends and posts while
// they are up. Needs a QApplication; install it with setFrontEnd. Every call
// but wakeMainThread belongs to the main thread.
//
// A change of the model is shown at once: the workers' changes arrive at the
// platform's one rate (CHANGE_REPORT_INTERVAL_MS), and Qt paints at most once
// per event loop pass whatever was set meanwhile.
#pragma once

#include "platform/front_end.h"
#include "platform/qt/window_dump.h"

#include <QObject>
#include <QTimer>

#include <atomic>
#include <map>
#include <memory>
#include <string>
#include <vector>

class FileNameDialog;
class WindowView;

class QtFrontEnd final : public FrontEnd {
 public:
  // resources: where the icons of the windows are found (the program's instance).
  explicit QtFrontEnd(HINSTANCE resources);
  ~QtFrontEnd() override;

  void waitForEvents(int timeoutMs) override;
  void wakeMainThread() override;

  int showMessageBox(HWND owner, const std::string& text, const std::string& caption, UINT type) override;
  bool askFileName(HWND owner, const FileDialogRequest& request, std::string* path) override;
  bool confirmOverwrite(HWND owner, const std::string& path) override;

  void beep(UINT type) override;

  void windowChanged(HWND window, int controlId) override;
  void windowCreated(HWND window) override;
  void windowDestroyed(HWND window) override;

  // The view of a live window, or nullptr.
  WindowView* view(HWND window) const;

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
