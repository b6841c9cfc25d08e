#include "platform/qt/qt_front_end.h"

#include "platform/message_queue_state.h"
#include "platform/qt/byte_names.h"
#include "platform/qt/file_name_dialog.h"
#include "platform/qt/folder_listing.h"
#include "platform/qt/window_view.h"
#include "platform/window_model.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEvent>
#include <QMessageBox>

#include <algorithm>

namespace {

const QEvent::Type WAKE_EVENT = static_cast<QEvent::Type>(QEvent::registerEventType());
constexpr char DEFAULT_OVERWRITE_CAPTION[] = "Save As";
constexpr std::size_t MAX_RECENT_FOLDERS = 6;

// The absolute folder a path names, or empty.
std::string folderOfPath(const std::string& path) {
  if (path.empty() || path[0] != '/') return {};
  return parentFolder(path);
}

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
    dump_.write(views, openDialog_);
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
  const int dueInMs = msUntilNextDue();
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
  // An open dialog starts at the survey the program last named.
  if (!request.save && surveyFolder_.empty()) surveyFolder_ = folderOfPath(request.initialName);
  FileNameDialog dialog(request, FileDialogPlaces{surveyFolder_, recentFolders_}, ownerWidget(owner));
  dialog.setChangeObserver([this] { scheduleDump(); });
  openDialog_ = &dialog;
  const ModalScope modal(*this);
  const bool chosen = dialog.exec() == QDialog::Accepted;
  openDialog_ = nullptr;
  scheduleDump();
  if (!chosen) return false;
  *path = dialog.path();
  const std::string folder = parentFolder(*path);
  if (!request.save) surveyFolder_ = folder;
  recentFolders_.erase(std::remove(recentFolders_.begin(), recentFolders_.end(), folder), recentFolders_.end());
  recentFolders_.insert(recentFolders_.begin(), folder);
  if (recentFolders_.size() > MAX_RECENT_FOLDERS) recentFolders_.resize(MAX_RECENT_FOLDERS);
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
  auto shown = std::make_unique<WindowView>(window, *model, resources_);
  shown->setPlaceObserver([this] { scheduleDump(); });
  views_[window] = std::move(shown);
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
