// Runs the installed veskconv-batch on files in a test's folder: the
// program is installed once per test process (cmake --install of the
// "batch" component into a temporary prefix) and started as a script
// starts it, with its output and errors caught. The fixture is the window
// tests' one, so a test can also drive the window itself for comparison.
#pragma once

#include "program_test.h"
#include "segy_check.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

struct BatchRun {
  int exitCode = -1;  // 128 + the signal when a signal ended it
  std::string out;
  std::string err;
};

// A batch started in the background, for a test that acts while it runs.
struct RunningBatch {
  int pid = -1;
};

// What the batch starts with besides its arguments. SIGINT, SIGHUP and
// SIGPIPE are always reset to their defaults first, so that the suite means
// the same under nohup or a CI runner that ignores them.
struct Launch {
  std::vector<int> ignoredSignals;  // as nohup, or `cmd &` in a script, leaves them
  std::vector<int> blockedSignals;  // as a supervisor may leave them
  std::vector<int> closedStreams;   // of 0, 1 and 2
  std::uint64_t fileSizeLimit = 0;  // RLIMIT_FSIZE in bytes; 0: none
  int stderrTo = -1;                // a descriptor for its stderr (else a file)
  bool ownProcessGroup = false;     // as a shell's job: a terminal's signals reach the group
};

// The installed program's path; empty when it could not be installed.
const std::string& installedBatch();

class BatchTest : public ProgramTest {
 protected:
  // veskconv-batch with arguments, in the test's folder; stderr on a
  // pseudo-terminal when asked (then err holds what the terminal got).
  BatchRun runBatch(const std::vector<std::string>& arguments, bool stderrOnTerminal = false) const;
  RunningBatch startBatch(const std::vector<std::string>& arguments, const Launch& launch = {}) const;
  // Waits for its end; a batch that hangs is killed after a few minutes and
  // the test fails.
  BatchRun finish(const RunningBatch& batch) const;
  std::string fileBytes(const std::string& file) const;
  // The pid of the batch started with its stdout to a file, and its stderr
  // to a file too unless the launch says otherwise; -1 when it could not start.
  int spawn(const std::vector<std::string>& arguments, const Launch& launch) const;
  // The hidden folders the batch writes in, under folder: none may be left.
  std::vector<std::filesystem::path> pendingFolders(const std::filesystem::path& where) const;
  // Waits until the batch writes `output` (a name in the test's folder) and
  // has more than a MiB of it; false when the batch ended first. With hold it
  // is left stopped (SIGSTOP), so it cannot finish before the caller's signal.
  bool underWay(const RunningBatch& batch, const std::string& output, bool hold = false) const;
  // The batch's worker processes, and the one that holds `file` open (-1
  // when the batch ended before one did).
  static std::vector<int> workersOf(const RunningBatch& batch);
  int workerHolding(const RunningBatch& batch, const std::string& file) const;
  // A shell that holds file open with the redirection given ("<" or ">>")
  // until it is released, as another program would.
  int holdOpen(const std::string& file, const char* redirection) const;
  static void release(int holder);
  bool exists(const std::string& file) const;
};

// Sub-channels 0 to 7: four port/starboard pairs at 100, 200, 300 and 400 kHz.
vsk::FileSpec fourPairs(std::uint32_t samples);
