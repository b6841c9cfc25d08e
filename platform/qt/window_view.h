// The Qt window that shows one top-level window of the model: fixed size
// from the template in dialog units, its controls, menu bar, title and icon.
// It reports clicks, menu choices and the title-bar close to the model
// (clickControl, clickMenuItem, requestClose) and writes the window's outer
// rectangle into the model when the window moves. A position from the
// program where the title bar would be on no screen is shown on the nearest
// screen instead, while the model keeps the position asked for until the
// window is moved. Local files dropped onto it go to the model (dropFiles)
// while it takes drops; otherwise the drag is refused where it enters. F10, like Alt alone, takes the keyboard to the
// menu bar. Main thread.
#pragma once

#include "platform/qt/dialog_units.h"
#include "platform/win_types.h"
#include "platform/window_model.h"

#include <QMainWindow>
#include <QPoint>

#include <functional>
#include <map>
#include <optional>

class QAbstractButton;
class QAction;

class WindowView : public QMainWindow {
 public:
  WindowView(HWND window, const WindowModel& model, HINSTANCE resources);

  // Shows what the model now holds: controlId 0 for the window itself.
  void showModel(int controlId);

  HWND window() const { return window_; }
  DialogBaseUnits baseUnits() const { return baseUnits_; }
  QWidget* control(int controlId) const;
  QAction* menuItem(UINT itemId) const;
  // Called whenever the window has moved or been framed.
  void setPlaceObserver(std::function<void()> observer) { placeObserver_ = std::move(observer); }

 protected:
  void closeEvent(QCloseEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void buildControls(const WindowModel& model, QWidget* client, HINSTANCE resources);
  void buildMenu(const WindowModel& model);
  void showWindowState(const WindowModel& model);
  void showMenuState(const WindowModel& model);
  void applyFlags(const WindowModel& model);
  // wanted, or where the window's title bar is on a screen.
  QPoint reachablePosition(QPoint wanted) const;
  int titleBarHeight() const;
  void reportOuterRect();
  void activateMenuBar();
  void restoreMark(int controlId, QAbstractButton* button);
  void restoreMenuMark(UINT itemId, QAction* action);

  HWND window_;
  DialogBaseUnits baseUnits_;
  std::map<int, QWidget*> controls_;
  std::map<UINT, QAction*> menuItems_;
  // Where the window was last put or seen, so that only a new position from
  // the program moves it.
  std::optional<QPoint> knownPosition_;
  // Where the window is shown instead of the unreachable knownPosition_.
  std::optional<QPoint> shownInstead_;
  std::function<void()> placeObserver_;
};
