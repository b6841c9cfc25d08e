// The Qt window in lock-step with the workers (tests/app/live_window.h): it
// shows each value the scan and the conversion reach as they reach it, and
// goes on doing so while the program quits.
#include "live_window.h"
#include "tests/qt/qt_test_support.h"

#include <QLabel>
#include <QProgressBar>

#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

std::string labelText(const WindowView& view, int id) {
  const auto* label = dynamic_cast<const QLabel*>(view.control(id));
  return label == nullptr ? std::string() : label->text().toStdString();
}

ViewState qtView(HWND window) {
  ViewState state;
  const WindowView* view = qtFrontEnd().view(window);
  if (view == nullptr) return state;
  if (const auto* bar = dynamic_cast<const QProgressBar*>(view->control(IDC_PROGRESS))) state.progress = bar->value();
  state.pingNumber = labelText(*view, IDC_PING_NUMBER);
  state.status = labelText(*view, IDC_STATUS);
  return state;
}

}  // namespace

TEST(QtLiveWindow, ShowsTheScanTheConversionAndTheQuitAsTheyGo) {
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("veskconv-qt-live-" + std::to_string(::getpid()));
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
  expectAliveThroughout(runInLockStep(qtFrontEnd(), qtView, folder));
  std::filesystem::remove_all(folder);
}
