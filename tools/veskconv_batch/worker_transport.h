// The worker processes of --jobs as the system starts, hears and ends them
// (worker_transport_posix.cpp, worker_transport_win32.cpp): everything the
// pool (worker_pool.cpp) and a worker (worker.cpp) leave to the system. A
// worker is this same program started with the given arguments, its standard
// input and output pipes to the batch, its standard error the batch's.
#pragma once

#include <memory>
#include <string>
#include <vector>

// How a worker process ended.
struct WorkerEnd {
  bool bySignal = false;   // POSIX: ended by a signal
  unsigned long code = 0;  // that signal, or the exit status
};

struct WorkerEvent {
  enum class Kind { Bytes, OutputEnded, Woken, TimedOut };
  Kind kind = Kind::TimedOut;
  int worker = -1;
  std::string bytes;  // Bytes
};

// The batch's side. Main thread, except where said.
class WorkerTransport {
 public:
  virtual ~WorkerTransport() = default;
  // Its number, or -1 when it could not be started.
  virtual int start(const std::vector<std::string>& arguments) = 0;
  // All of bytes; false when the worker's input is closed or gone.
  virtual bool send(int worker, const std::string& bytes) = 0;
  // Nothing more will be sent: the worker ends when its work is done.
  virtual void closeInput(int worker) = 0;
  // Without using the processor until a worker sends something, the output
  // of one ends (once per worker), wake() is called, or timeoutMs pass
  // (negative: no limit).
  virtual WorkerEvent wait(int timeoutMs) = 0;
  // Any thread: the next wait returns Woken.
  virtual void wake() = 0;
  // Any thread: ends the worker at once (SIGKILL, TerminateProcess).
  virtual void kill(int worker) = 0;
  virtual void killAll() = 0;
  // After its output ended: waits for the process, releases it and tells
  // how it ended.
  virtual WorkerEnd reap(int worker) = 0;
};

std::unique_ptr<WorkerTransport> systemWorkerTransport();

// The worker's own side.
bool inputIsTerminal();
// Some bytes of standard input; false at its end.
bool readOwnInput(std::string* chunk);
bool writeOwnOutput(const std::string& bytes);
