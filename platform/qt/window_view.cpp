#include "platform/qt/window_view.h"

#include "platform/file_drops.h"
#include "platform/qt/byte_names.h"
#include "platform/qt/control_widget.h"
#include "platform/qt/fixed_size_hints.h"

#include <QAbstractButton>
#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QGuiApplication>
#include <QIcon>
#include <QKeyEvent>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QProxyStyle>
#include <QScreen>
#include <QShortcut>
#include <QSignalBlocker>
#include <QStyle>
#include <QStyleOptionMenuItem>
#include <QUrl>

#include <algorithm>
#include <limits>
#include <string>
#include <vector>

namespace {

constexpr int MIN_LINE_PIXELS = 2;  // an etched line is a dark and a light pixel
// A title bar is within reach when this much of it is on a screen, its whole height.
constexpr int MIN_TITLE_GRIP = 64;
// Positions beyond this are off every screen; it keeps the sums below in range.
constexpr int FAR_AWAY = 1 << 24;

LONG saturatedSum(int a, int b) {
  const long long sum = static_cast<long long>(a) + b;
  constexpr long long LOWEST = std::numeric_limits<LONG>::min();
  constexpr long long HIGHEST = std::numeric_limits<LONG>::max();
  return static_cast<LONG>(std::clamp(sum, LOWEST, HIGHEST));
}

long long squaredDistance(const QRect& area, QPoint point) {
  const long long dx = point.x() < area.left() ? area.left() - point.x() : std::max(0, point.x() - area.right());
  const long long dy = point.y() < area.top() ? area.top() - point.y() : std::max(0, point.y() - area.bottom());
  return dx * dx + dy * dy;
}

bool systemCommandGrayed(const WindowModel& model, UINT command) {
  for (const auto& item : model.systemMenu) {
    if (item.command == command) return item.grayed;
  }
  return false;
}

// The local files a drag carries, as the system names them; none when it
// carries anything else.
std::vector<std::string> droppedNames(const QMimeData* data) {
  std::vector<std::string> names;
  if (data == nullptr || !data->hasUrls()) return names;
  for (const QUrl& url : data->urls()) {
    if (!url.isLocalFile()) return {};
    names.push_back(QFile::encodeName(url.toLocalFile()).toStdString());
  }
  return names;
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

// Windows highlights the menu bar item the keyboard or the pointer is on,
// open or not (F10 and Alt alone highlight "File"); Qt's own styles draw only
// an open one so.
class MenuBarHighlight final : public QProxyStyle {
 public:
  void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                   const QWidget* widget) const override {
    const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
    if (element == CE_MenuBarItem && item != nullptr && (item->state & State_Selected) != 0) {
      QStyleOptionMenuItem highlighted = *item;
      highlighted.state |= State_Sunken;
      QProxyStyle::drawControl(element, &highlighted, painter, widget);
      return;
    }
    QProxyStyle::drawControl(element, option, painter, widget);
  }
};

QRect templateClientRect(const WindowModel& model, DialogBaseUnits units) {
  const RECT size{0, 0, model.dialogRect.right - model.dialogRect.left, model.dialogRect.bottom - model.dialogRect.top};
  return dialogRectToPixels(size, units);
}

}  // namespace

WindowView::WindowView(HWND window, const WindowModel& model, HINSTANCE resources) : window_(window) {
  const int dpi = logicalDpiY();
  baseUnits_ = templateBaseUnits(model.fontPointSize, dpi);
  setFont(dialogFont(model.fontName.c_str(), model.fontPointSize, dpi, baseUnits_));

  auto* client = new QWidget(this);
  client->setFixedSize(templateClientRect(model, baseUnits_).size());
  setCentralWidget(client);
  buildControls(model, client, resources);
  buildMenu(model);
  layout()->setSizeConstraint(QLayout::SetFixedSize);

  const QPixmap icon = iconPixmap(resources, model.iconId);
  if (!icon.isNull()) setWindowIcon(QIcon(icon));
  auto* menuKey = new QShortcut(QKeySequence(Qt::Key_F10), this);
  connect(menuKey, &QShortcut::activated, this, &WindowView::activateMenuBar);
  adjustSize();
  // Minimum and maximum size alike: window managers then offer neither Size nor Maximize.
  setFixedSize(size());
  setAcceptDrops(true);
  showModel(0);
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
  auto* highlight = new MenuBarHighlight;
  highlight->setParent(menuBar());
  menuBar()->setStyle(highlight);
  for (const MenuPopupModel& popup : model.menu) {
    QMenu* menu = menuBar()->addMenu(legibleText(popup.text));
    for (const MenuItemModel& item : popup.items) {
      if (item.separator) {
        menu->addSeparator();
        continue;
      }
      // A command, until the program marks it (showMenuState).
      QAction* action = menu->addAction(legibleText(item.text));
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
    const QPoint reachable = reachablePosition(wanted);
    shownInstead_.reset();
    if (reachable != wanted) shownInstead_ = reachable;
    move(reachable);
  }
  if (model.visible != isVisible()) setVisible(model.visible);
}

void WindowView::showMenuState(const WindowModel& model) {
  for (const MenuPopupModel& popup : model.menu) {
    for (const MenuItemModel& item : popup.items) {
      QAction* action = menuItem(item.id);
      if (action == nullptr || item.separator) continue;
      // An item the program has marked is a toggle from then on; the others stay commands.
      if (item.checked) action->setCheckable(true);
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

int WindowView::titleBarHeight() const {
  // Before a window manager has framed the window its title bar has no height yet.
  return std::max(geometry().top() - frameGeometry().top(), style()->pixelMetric(QStyle::PM_TitleBarHeight));
}

QPoint WindowView::reachablePosition(QPoint wanted) const {
  const QList<QScreen*> screens = QGuiApplication::screens();
  if (screens.isEmpty()) return wanted;
  const QSize outer = frameGeometry().size();
  const int titleHeight = titleBarHeight();
  const auto inRange = [](int value) { return value > -FAR_AWAY && value < FAR_AWAY; };
  const bool near = inRange(wanted.x()) && inRange(wanted.y());
  if (near) {
    const QRect titleBar(wanted, QSize(outer.width(), titleHeight));
    for (const QScreen* screen : screens) {
      const QRect grip = titleBar.intersected(screen->availableGeometry());
      if (grip.height() == titleHeight && grip.width() >= std::min(MIN_TITLE_GRIP, outer.width())) return wanted;
    }
  }
  const QPoint aim(std::clamp(wanted.x(), -FAR_AWAY, FAR_AWAY), std::clamp(wanted.y(), -FAR_AWAY, FAR_AWAY));
  const QScreen* nearest = *std::min_element(screens.begin(), screens.end(), [aim](const QScreen* a, const QScreen* b) {
    return squaredDistance(a->availableGeometry(), aim) < squaredDistance(b->availableGeometry(), aim);
  });
  const QRect area = nearest->availableGeometry();
  const int left = std::clamp(aim.x(), area.left(), std::max(area.left(), area.right() + 1 - outer.width()));
  const int top = std::clamp(aim.y(), area.top(), std::max(area.top(), area.bottom() + 1 - outer.height()));
  return {left, top};
}

void WindowView::reportOuterRect() {
  WindowModel* model = windowModel(window_);
  if (model == nullptr) return;
  const QRect outer = frameGeometry();
  // Shown within reach instead of where the program put it: the program's
  // position stands until the window is moved. Framing the window may shift
  // it by the frame's size; only a move beyond that is the user's.
  const bool instead = shownInstead_.has_value() && knownPosition_.has_value() &&
                       (outer.topLeft() - *shownInstead_).manhattanLength() <= titleBarHeight();
  const QPoint position = instead ? *knownPosition_ : outer.topLeft();
  if (!instead) shownInstead_.reset();
  knownPosition_ = position;
  model->screenRect = {position.x(), position.y(), saturatedSum(position.x(), outer.width()),
                       saturatedSum(position.y(), outer.height())};
  if (placeObserver_) placeObserver_();
}

void WindowView::activateMenuBar() {
  // What Alt pressed and released alone does; Qt's menu bar offers no other
  // way in. The modifiers are those before the key, as a keyboard reports them.
  QKeyEvent altDown(QEvent::ShortcutOverride, Qt::Key_Alt, Qt::NoModifier);
  QCoreApplication::sendEvent(this, &altDown);
  QKeyEvent altUp(QEvent::KeyRelease, Qt::Key_Alt, Qt::AltModifier);
  QCoreApplication::sendEvent(this, &altUp);
}

void WindowView::dragEnterEvent(QDragEnterEvent* event) {
  if (acceptsDroppedFiles(window_) && !droppedNames(event->mimeData()).empty()) event->acceptProposedAction();
}

void WindowView::dropEvent(QDropEvent* event) {
  if (dropFiles(window_, droppedNames(event->mimeData())) != FALSE) event->acceptProposedAction();
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
  // Before the window is mapped, and again after new flags rewrote the hints.
  keepSizeFixed(this);
  reportOuterRect();
}
