#include "platform/qt/qt_front_end.h"

#include "platform/qt/byte_names.h"
#include "platform/qt/file_name_dialog.h"
#include "platform/qt/window_view.h"
#include "platform/message_queue_state.h"
#include "platform/window_model.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEvent>
#include <QMessageBox>

namespace {

const QEvent::Type WAKE_EVENT = static_cast<QEvent::Type>(QEvent::registerEventType());
constexpr char DEFAULT_OVERWRITE_CAPTION[] = "Save As";

QMessageBox::Icon boxIcon(UINT type) {
  switch (type & MB_ICONMASK) {
    case MB_ICONERROR:
      return QMessageBox::Critical;
    case MB_ICONWARNING:
      return QMessageBox::Warning;
    case MB_ICONINFORMATION:
      return QMessageBox::Information;
    default:
      return QMessageBox::NoIcon;
  }
}

}  // namespace

bool QtFrontEnd::WakeReceiver::event(QEvent* event) {
  if (event->type() != WAKE_EVENT) return QObject::event(event);
  frontEnd_.woken();
  return true;
}

QtFrontEnd::ModalScope::ModalScope(QtFrontEnd& frontEnd) : frontEnd_(frontEnd) {
  ++frontEnd_.modalDepth_;
  frontEnd_.armModalTimer();
}

QtFrontEnd::ModalScope::~ModalScope() {
  if (--frontEnd_.modalDepth_ == 0) {
    frontEnd_.modalTimer_.stop();
    frontEnd_.closedViews_.clear();
  }
}

QtFrontEnd::QtFrontEnd(HINSTANCE resources) : resources_(resources) {
  waitLimit_.setSingleShot(true);
  waitLimit_.setTimerType(Qt::PreciseTimer);
  dumpTimer_.setSingleShot(true);
  modalTimer_.setSingleShot(true);
  modalTimer_.setTimerType(Qt::PreciseTimer);
  QObject::connect(&modalTimer_, &QTimer::timeout, [this] {
    processPendingMessages();
    armModalTimer();
  });
  QObject::connect(&dumpTimer_, &QTimer::timeout, [this] {
    std::vector<const WindowView*> views;
    for (const auto& [window, view] : views_) views.push_back(view.get());
    dump_.write(views);
  });
}

QtFrontEnd::~QtFrontEnd() = default;

void QtFrontEnd::waitForEvents(int timeoutMs) {
  const QDeadlineTimer deadline =
      timeoutMs < 0 ? QDeadlineTimer(QDeadlineTimer::Forever) : QDeadlineTimer(timeoutMs, Qt::PreciseTimer);
  while (!wakeRequested_.exchange(false)) {
    if (deadline.hasExpired()) break;
    // A timer event ends the wait at the deadline; a wake or a user's action ends it sooner.
    if (!deadline.isForever()) waitLimit_.start(static_cast<int>(deadline.remainingTime()));
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    // No event loop of Qt's runs here, so objects given to deleteLater go now.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
  waitLimit_.stop();
}

void QtFrontEnd::wakeMainThread() {
  wakeRequested_.store(true);
  // One wake event at a time is enough: it is handled after every wake before it.
  if (!wakeEventPosted_.exchange(true)) QCoreApplication::postEvent(&receiver_, new QEvent(WAKE_EVENT));
}

void QtFrontEnd::woken() {
  wakeEventPosted_.store(false);
  if (modalDepth_ == 0) return;
  wakeRequested_.store(false);
  processPendingMessages();
  armModalTimer();
}

void QtFrontEnd::armModalTimer() {
  if (modalDepth_ == 0) return;
  const int dueInMs = msUntilNextTimer();
  if (dueInMs < 0) modalTimer_.stop();
  else modalTimer_.start(dueInMs);
}

QWidget* QtFrontEnd::ownerWidget(HWND owner) const { return view(owner); }

int QtFrontEnd::showMessageBox(HWND owner, const std::string& text, const std::string& caption, UINT type) {
  QMessageBox box(boxIcon(type), legibleText(caption), legibleText(text, LineBreaks::keep), QMessageBox::Ok,
                  ownerWidget(owner));
  box.setTextFormat(Qt::PlainText);
  const ModalScope modal(*this);
  box.exec();
  return IDOK;
}

bool QtFrontEnd::askFileName(HWND owner, const FileDialogRequest& request, std::string* path) {
  lastDialogTitle_ = request.title;
  FileNameDialog dialog(request, ownerWidget(owner));
  const ModalScope modal(*this);
  if (dialog.exec() != QDialog::Accepted) return false;
  *path = dialog.path();
  return true;
}

bool QtFrontEnd::confirmOverwrite(HWND owner, const std::string& path) {
  const std::string caption = lastDialogTitle_.empty() ? DEFAULT_OVERWRITE_CAPTION : lastDialogTitle_;
  QMessageBox box(QMessageBox::Warning, legibleText(caption),
                  legibleText(path) + QStringLiteral(" already exists.\nDo you want to replace it?"),
                  QMessageBox::Yes | QMessageBox::No, ownerWidget(owner));
  box.setTextFormat(Qt::PlainText);
  box.setDefaultButton(QMessageBox::No);
  const ModalScope modal(*this);
  return box.exec() == QMessageBox::Yes;
}

void QtFrontEnd::beep(UINT) { QApplication::beep(); }

void QtFrontEnd::windowCreated(HWND window) {
  const WindowModel* model = windowModel(window);
  if (model == nullptr) return;
  views_[window] = std::make_unique<WindowView>(window, *model, resources_);
  scheduleDump();
}

void QtFrontEnd::windowChanged(HWND window, int controlId) {
  WindowView* shown = view(window);
  if (shown == nullptr) return;
  shown->showModel(controlId);
  scheduleDump();
}

void QtFrontEnd::windowDestroyed(HWND window) {
  const auto found = views_.find(window);
  if (found == views_.end()) return;
  std::unique_ptr<WindowView> closed = std::move(found->second);
  views_.erase(found);
  closed->hide();
  if (modalDepth_ > 0) closedViews_.push_back(std::move(closed));
  scheduleDump();
}

WindowView* QtFrontEnd::view(HWND window) const {
  const auto found = views_.find(window);
  return found == views_.end() ? nullptr : found->second.get();
}

void QtFrontEnd::scheduleDump() {
  if (dump_.enabled() && !dumpTimer_.isActive()) dumpTimer_.start(0);
}
