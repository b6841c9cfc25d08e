// The whole program watched through a real front end (Qt's, Windows'), in
// lock-step with its workers instead of against a clock: before each file
// read, the Scanner and then the Converter wait until the window shows what
// they had set by then (the progress bar and, with processing information
// on, the ping number). A window that falls behind its worker therefore stops
// the worker, and the run reports what the window never showed. Halfway
// through the conversion EXIT is pressed: the quit waits for the conversion
// and must look as alive.
#pragma once

#include "platform/front_end.h"

#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

// What the user sees of the bar, the ping number and the status line.
struct ViewState {
  int progress = 0;
  std::string pingNumber;
  std::string status;
};

// Reads the real window that shows `window`; main thread.
using ViewReader = std::function<ViewState(HWND window)>;

struct LiveRun {
  std::vector<ViewState> scan;        // what the window showed each time the Scanner went on
  std::vector<ViewState> conversion;  // the same for the Converter
  std::size_t quitAt = 0;             // conversion entries before EXIT was pressed
  std::string stall;                  // what the window never showed, if anything
  std::vector<std::string> boxes;     // message boxes the program raised
  bool ended = false;                 // the quit message came
};

// Runs the program on the test's thread with `shown` showing its window;
// the file dialogs are answered here, everything else goes to `shown`. The
// settings live in `folder`, which also gets the survey and the output.
LiveRun runInLockStep(FrontEnd& shown, const ViewReader& readView, const std::filesystem::path& folder);

// The window kept up with both runs and with the quit: rising progress and
// ping numbers, " Quitting" shown while the conversion went on, no stall.
void expectAliveThroughout(const LiveRun& run);
