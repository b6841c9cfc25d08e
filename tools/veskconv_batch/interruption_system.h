// What the interruption (interruption.cpp) asks of the system: which stop
// requests a process takes, how a path is removed and how the process ends
// (interruption_posix.cpp, interruption_win32.cpp).
#pragma once

#include "tools/veskconv_batch/interruption.h"

#include <string>

namespace interruption_system {

// Takes the stop requests of the role (interruption.h) and hands each to
// stop, with its signal number, on a thread that may wait as long as it
// needs. stop does not return.
void takeStopRequests(ProcessRole role, void (*stop)(int signal));
// A file, or else an empty folder. False when neither went.
bool removePath(const std::string& path);
// At once, from any thread, without running anything else of the process.
[[noreturn]] void endProcess(int exitCode);

}  // namespace interruption_system
