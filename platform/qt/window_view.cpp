#include "platform/qt/window_view.h"

#include "platform/qt/byte_names.h"
#include "platform/qt/control_widget.h"

#include <QAbstractButton>
#include <QAction>
#include <QCloseEvent>
#include <QIcon>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QSignalBlocker>

#include <algorithm>

namespace {

constexpr int MIN_LINE_PIXELS = 2;  // an etched line is a dark and a light pixel

bool systemCommandGrayed(const WindowModel& model, UINT command) {
  for (const auto& item : model.systemMenu) {
    if (item.command == command) return item.grayed;
  }
  return false;
}

// Only what the style and the system menu allow: never a maximize button or
// a sizing border, as the template asks for neither.
Qt::WindowFlags windowFlagsFor(const WindowModel& model) {
  Qt::WindowFlags flags = Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::MSWindowsFixedSizeDialogHint;
  if ((model.style & WS_SYSMENU) != 0) {
    flags |= Qt::WindowSystemMenuHint;
    if (!systemCommandGrayed(model, SC_CLOSE)) flags |= Qt::WindowCloseButtonHint;
  }
  if ((model.style & WS_MINIMIZEBOX) != 0 && !systemCommandGrayed(model, SC_MINIMIZE)) {
    flags |= Qt::WindowMinimizeButtonHint;
  }
  return flags;
}

QRect templateClientRect(const WindowModel& model, DialogBaseUnits units) {
  const RECT size{0, 0, model.dialogRect.right - model.dialogRect.left, model.dialogRect.bottom - model.dialogRect.top};
  return dialogRectToPixels(size, units);
}

}  // namespace

WindowView::WindowView(HWND window, const WindowModel& model, HINSTANCE resources) : window_(window) {
  setFont(dialogFont(model.fontName.c_str(), model.fontPointSize));
  baseUnits_ = dialogBaseUnits(font());

  auto* client = new QWidget(this);
  client->setFixedSize(templateClientRect(model, baseUnits_).size());
  setCentralWidget(client);
  buildControls(model, client, resources);
  buildMenu(model);
  layout()->setSizeConstraint(QLayout::SetFixedSize);

  const QPixmap icon = iconPixmap(resources, model.iconId);
  if (!icon.isNull()) setWindowIcon(QIcon(icon));
  showModel(0);
  adjustSize();
  reportOuterRect();
}

QWidget* WindowView::control(int controlId) const {
  const auto found = controls_.find(controlId);
  return found == controls_.end() ? nullptr : found->second;
}

QAction* WindowView::menuItem(UINT itemId) const {
  const auto found = menuItems_.find(itemId);
  return found == menuItems_.end() ? nullptr : found->second;
}

void WindowView::buildControls(const WindowModel& model, QWidget* client, HINSTANCE resources) {
  for (const ControlModel& control : model.controls) {
    QWidget* widget = createControlWidget(control, client, resources);
    QRect rect = dialogRectToPixels(control.dialogRect, baseUnits_);
    switch (controlKind(control)) {
      case ControlKind::etchedLine:
        rect.setHeight(std::max(rect.height(), MIN_LINE_PIXELS));
        break;
      case ControlKind::icon: {
        // An icon static takes the size of its icon, whatever the template says.
        const QPixmap icon = iconPixmap(resources, control.iconId);
        if (!icon.isNull()) rect.setSize(icon.size());
        break;
      }
      default:
        break;
    }
    widget->setGeometry(rect);
    widget->setVisible((control.style & WS_VISIBLE) != 0);
    showControlState(widget, control);
    if (control.id == NO_CONTROL_ID) continue;
    widget->setObjectName(QStringLiteral("control-%1").arg(control.id));
    controls_[control.id] = widget;
    if (QAbstractButton* button = clickableButton(widget)) {
      const int id = control.id;
      connect(button, &QAbstractButton::clicked, this, [this, id, button] {
        restoreMark(id, button);
        clickControl(window_, id);
      });
    }
  }
}

void WindowView::buildMenu(const WindowModel& model) {
  if (model.menu.empty()) return;
  // The menu belongs to the window, as the template draws it, not to a desktop's global menu.
  menuBar()->setNativeMenuBar(false);
  for (const MenuPopupModel& popup : model.menu) {
    QMenu* menu = menuBar()->addMenu(legibleText(popup.text));
    for (const MenuItemModel& item : popup.items) {
      if (item.separator) {
        menu->addSeparator();
        continue;
      }
      QAction* action = menu->addAction(legibleText(item.text));
      action->setCheckable(true);
      action->setObjectName(QStringLiteral("menu-%1").arg(item.id));
      const UINT id = item.id;
      connect(action, &QAction::triggered, this, [this, id, action] {
        restoreMenuMark(id, action);
        clickMenuItem(window_, id);
      });
      menuItems_[id] = action;
    }
  }
}

void WindowView::showModel(int controlId) {
  WindowModel* model = windowModel(window_);
  if (model == nullptr) return;
  if (controlId != 0) {
    QWidget* widget = control(controlId);
    const ControlModel* controlModel = findControl(*model, controlId);
    if (widget != nullptr && controlModel != nullptr) showControlState(widget, *controlModel);
    return;
  }
  showMenuState(*model);
  showWindowState(*model);
}

void WindowView::showWindowState(const WindowModel& model) {
  setWindowTitle(legibleText(model.title));
  applyFlags(model);
  const QPoint wanted(model.screenRect.left, model.screenRect.top);
  if (knownPosition_ != wanted) {
    knownPosition_ = wanted;
    move(wanted);
  }
  if (model.visible != isVisible()) setVisible(model.visible);
}

void WindowView::showMenuState(const WindowModel& model) {
  for (const MenuPopupModel& popup : model.menu) {
    for (const MenuItemModel& item : popup.items) {
      QAction* action = menuItem(item.id);
      if (action == nullptr || item.separator) continue;
      action->setChecked(item.checked);
      action->setEnabled(!item.grayed);
    }
  }
}

void WindowView::applyFlags(const WindowModel& model) {
  const Qt::WindowFlags flags = windowFlagsFor(model);
  if (flags == windowFlags()) return;
  // New flags hide a window; it comes back as it was.
  const bool wasVisible = isVisible();
  setWindowFlags(flags);
  if (wasVisible) show();
}

void WindowView::restoreMark(int controlId, QAbstractButton* button) {
  if (!button->isCheckable()) return;
  WindowModel* model = windowModel(window_);
  const ControlModel* controlModel = model == nullptr ? nullptr : findControl(*model, controlId);
  if (controlModel == nullptr) return;
  const QSignalBlocker blocker(button);
  button->setChecked(controlModel->checked == BST_CHECKED);
}

void WindowView::restoreMenuMark(UINT itemId, QAction* action) {
  WindowModel* model = windowModel(window_);
  const MenuItemModel* item = model == nullptr ? nullptr : findMenuItem(*model, itemId);
  if (item == nullptr) return;
  const QSignalBlocker blocker(action);
  action->setChecked(item->checked);
}

void WindowView::reportOuterRect() {
  WindowModel* model = windowModel(window_);
  if (model == nullptr) return;
  const QRect outer = frameGeometry();
  knownPosition_ = outer.topLeft();
  model->screenRect = {outer.left(), outer.top(), outer.left() + outer.width(), outer.top() + outer.height()};
}

void WindowView::closeEvent(QCloseEvent* event) {
  // The program decides when the window goes: the close is only a request.
  event->ignore();
  const WindowModel* model = windowModel(window_);
  if (model != nullptr && !systemCommandGrayed(*model, SC_CLOSE)) requestClose(window_);
}

void WindowView::moveEvent(QMoveEvent* event) {
  QMainWindow::moveEvent(event);
  reportOuterRect();
}

void WindowView::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  reportOuterRect();
}

void WindowView::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  reportOuterRect();
}
