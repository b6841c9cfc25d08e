// Runs the installed veskconv-batch on files in a test's folder: the
// program is installed once per test process (cmake --install of the
// "batch" component into a temporary prefix) and started as a script
// starts it, with its output and errors caught. The fixture is the window
// tests' one, so a test can also drive the window itself for comparison.
#pragma once

#include "program_test.h"
#include "segy_check.h"

#include <string>
#include <vector>

struct BatchRun {
  int exitCode = -1;   // 128 + the signal when a signal ended it
  std::string out;
  std::string err;
};

// A batch started in the background, for a test that acts while it runs.
struct RunningBatch {
  int pid = -1;
};

// The installed program's path; empty when it could not be installed.
const std::string& installedBatch();

class BatchTest : public ProgramTest {
 protected:
  // veskconv-batch with arguments, in the test's folder; stderr on a
  // pseudo-terminal when asked (then err holds what the terminal got).
  BatchRun runBatch(const std::vector<std::string>& arguments, bool stderrOnTerminal = false) const;
  RunningBatch startBatch(const std::vector<std::string>& arguments) const;
  // Waits for its end; a batch that hangs is killed after a few minutes and
  // the test fails.
  BatchRun finish(const RunningBatch& batch) const;
  std::string fileBytes(const std::string& file) const;
  // The pid of the batch started with its stderr to terminalChild (or a file
  // when -1), stdout to a file; -1 when it could not start.
  int spawn(const std::vector<std::string>& arguments, int terminalChild) const;
  bool exists(const std::string& file) const;
};


// Sub-channels 0 to 7: four port/starboard pairs at 100, 200, 300 and 400 kHz.
vsk::FileSpec fourPairs(std::uint32_t samples);
