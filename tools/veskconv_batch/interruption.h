// Ends veskconv-batch cleanly when it is asked to stop: the files it has in
// progress are removed, a batch says "interrupted" on stderr once, and the
// process exits with 128 + the signal number. SIGKILL (TerminateProcess)
// cannot be caught: what it leaves is a clearly temporary folder
// (pending_output.h), which a batch removes for a worker of its own.
//
// The stop requests (interruption_posix.cpp, interruption_win32.cpp):
// - a batch: SIGTERM always; SIGINT and SIGHUP unless they were ignored when
//   it started (nohup, `cmd &` in a script), as every Unix tool does. On
//   Windows Ctrl-C, Ctrl-Break and the console's closing, numbered as SIGINT,
//   SIGBREAK and SIGHUP.
// - a worker: SIGTERM, its batch's end (Linux), the console's closing and its
//   batch's stop message; never SIGINT, SIGHUP, Ctrl-C or Ctrl-Break, which
//   are its batch's to answer.
// Either way a write to a reader that has gone, or beyond a file-size limit,
// fails like any other write instead of ending the process (SIGPIPE and
// SIGXFSZ ignored), and on POSIX descriptors 0, 1 and 2 are kept taken, so
// that the process's own pipes never land where a message is written.
#pragma once

#include <functional>
#include <string>

enum class ProcessRole { Batch, Worker };

// SIGTERM's number, the stop a batch gives its workers, on both systems.
constexpr int STOP_SIGNAL = 15;
constexpr int SIGNAL_EXIT_BASE = 128;

// Main thread, once, first: the requests are taken by a watcher thread.
void watchForInterruption(ProcessRole role);

// Paths removed on an interruption, the latest first (a file before the
// folder that holds it). Any thread.
void addTemporary(const std::string& path);
void forgetTemporary(const std::string& path);
// Removes the path now (a file, else an empty folder) and forgets it.
void removeTemporary(const std::string& path);
// A worker's batch hears of each temporary as it is added (true) and
// forgotten (false), from the thread that did so, after the registry.
void onTemporaries(std::function<void(const std::string& path, bool exists)> listener);

// Runs work with the watcher held off: an interruption that comes meanwhile
// waits until work has returned, so work is never cut in the middle; work
// that comes once a stop has begun never runs (the thread waits for the end).
void withoutInterruption(const std::function<void()>& work);

// Ends the process as the stop `signal` would, from any thread.
[[noreturn]] void interruptNow(int signal);

// Called on a stop, in this order, on the watcher: stopHelpers without the
// watcher's lock (a batch stops its workers), then lastWords under it, once
// any withoutInterruption work has returned (what is unfinished is said);
// then the temporaries go.
void onInterruption(std::function<void(int signal)> stopHelpers);
void onInterrupted(std::function<void()> lastWords);
