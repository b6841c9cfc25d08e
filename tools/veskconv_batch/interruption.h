// Ends veskconv-batch cleanly when it is asked to stop (SIGINT, SIGTERM,
// SIGHUP; on Windows Ctrl-C, Ctrl-Break and the console's closing, numbered
// as SIGINT, SIGBREAK and SIGHUP): the files it has in progress are removed,
// "interrupted" is said on stderr, and the process exits with 128 + the
// signal number. SIGKILL (TerminateProcess) cannot be caught: what it leaves
// is a clearly temporary file (pending_output.h).
#pragma once

#include <functional>
#include <string>

// Main thread, once: the signals are taken by a watcher thread of its own.
void watchForInterruption();

// Paths removed on an interruption, the latest first (a file before the
// folder that holds it). Any thread.
void addTemporary(const std::string& path);
void forgetTemporary(const std::string& path);

// Runs work with the watcher held off: an interruption that comes meanwhile
// waits until work has returned, so work is never cut in the middle.
void withoutInterruption(const std::function<void()>& work);

// Ends the process as the stop `signal` would, from any thread: for a worker
// whose batch is gone.
[[noreturn]] void interruptNow(int signal);

// Called by the watcher, before the temporaries go, with the signal: for a
// process with helpers of its own to stop them first.
void onInterruption(std::function<void(int signal)> hook);
