// The worker processes of --jobs on Windows, behind names free of <windows.h>
// (whose types clash with the window layer's). A worker is this same program
// started with the given arguments, its stdin and stdout pipes to us.
#pragma once

#include <string>
#include <vector>

struct WorkerProcess {
  void* process = nullptr;
  void* input = nullptr;   // our end of its stdin
  void* output = nullptr;  // our end of its stdout
  unsigned long id = 0;
};

bool startWorker(const std::vector<std::string>& arguments, WorkerProcess* worker);
bool sendToWorker(WorkerProcess& worker, const std::string& bytes);
// Blocks until the worker writes; false once its output has ended.
bool receiveFromWorker(WorkerProcess& worker, std::string* chunk);
void closeWorkerInput(WorkerProcess& worker);
void waitForWorker(WorkerProcess& worker);
void releaseWorker(WorkerProcess& worker);
// Ctrl-Break to each, so they remove their temporaries; those that have not
// ended after the grace are ended.
void stopWorkers(const std::vector<WorkerProcess>& workers, unsigned graceMilliseconds);

// The worker's own side.
bool readOwnInput(std::string* chunk);
bool writeOwnOutput(const std::string& bytes);
