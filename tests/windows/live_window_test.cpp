// The Win32 front end in lock-step with the workers (tests/app/live_window.h):
// Windows' own controls show each value the scan and the conversion reach as
// they reach it, and go on doing so while the program quits.
#include "live_window.h"
#include "platform/win32/win32_front_end.h"
#include "res/resource_ids.h"
#include "shown_controls.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

TEST(Win32LiveWindow, ShowsTheScanTheConversionAndTheQuitAsTheyGo) {
  const std::filesystem::path folder = std::filesystem::temp_directory_path() / "veskconv-win32-live";
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
  Win32FrontEnd shown;
  const ViewReader readView = [&shown](HWND window) {
    const std::uintptr_t real = shown.realWindow(window);
    ViewState state;
    if (real == 0) return ViewState{0, "", "no real window (no X server?)"};
    state.progress = shownProgress(real, IDC_PROGRESS);
    state.pingNumber = shownText(real, IDC_PING_NUMBER);
    state.status = shownText(real, IDC_STATUS);
    return state;
  };
  expectAliveThroughout(runInLockStep(shown, readView, folder));
  std::filesystem::remove_all(folder);
}
