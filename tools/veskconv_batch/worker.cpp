#include "tools/veskconv_batch/worker.h"

#include "platform/profile.h"
#include "tools/veskconv_batch/batch_run.h"
#include "tools/veskconv_batch/batch_texts.h"
#include "tools/veskconv_batch/interruption.h"
#include "tools/veskconv_batch/job_runner.h"
#include "tools/veskconv_batch/worker_protocol.h"
#include "tools/veskconv_batch/worker_transport.h"

#include <condition_variable>
#include <cstdio>
#include <deque>
#include <mutex>
#include <thread>

namespace {

// The jobs the batch sends, read on a thread of their own so that a stop
// reaches the worker while it converts.
class JobQueue {
 public:
  explicit JobQueue(std::string received) : received_(std::move(received)) {}

  void readUntilEnd() {
    std::string chunk;
    for (;;) {
      std::vector<worker_protocol::Message> messages;
      if (!worker_protocol::takeMessages(received_, &messages)) interruptNow(STOP_SIGNAL);
      for (worker_protocol::Message& message : messages) {
        if (message.kind == worker_protocol::STOP) interruptNow(STOP_SIGNAL);
        if (message.kind != worker_protocol::JOB || message.index() < 0) interruptNow(STOP_SIGNAL);
        push(std::move(message));
      }
      if (!readOwnInput(&chunk)) break;
      received_ += chunk;
    }
    std::lock_guard<std::mutex> lock(mutex_);
    ended_ = true;
    changed_.notify_one();
  }

  // False once the input has ended and every job was taken.
  bool next(worker_protocol::Message* message) {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return !jobs_.empty() || ended_; });
    if (jobs_.empty()) return false;
    *message = std::move(jobs_.front());
    jobs_.pop_front();
    return true;
  }

 private:
  void push(worker_protocol::Message message) {
    std::lock_guard<std::mutex> lock(mutex_);
    jobs_.push_back(std::move(message));
    changed_.notify_one();
  }

  std::string received_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<worker_protocol::Message> jobs_;
  bool ended_ = false;
};

// The greeting, read before anything else; what follows it is kept.
bool greeted(std::string* rest) {
  if (inputIsTerminal()) return false;
  std::string chunk;
  bool complete = false;
  while (worker_protocol::takeGreeting(*rest, &complete) && !complete) {
    if (!readOwnInput(&chunk)) return false;
    *rest += chunk;
  }
  return complete;
}

}  // namespace

std::vector<std::string> workerArguments(const BatchOptions& options) {
  std::vector<std::string> arguments = {WORKER_OPTION, "--channels", options.channels->name};
  if (options.bigEndian) arguments.insert(arguments.end(), {"--byte-order", "big"});
  if (options.sensorPositions) arguments.insert(arguments.end(), {"--positions", "sensor"});
  if (options.reverseSamples) arguments.push_back("--reverse");
  return arguments;
}

int runWorker(const BatchOptions& options) {
  watchForInterruption(ProcessRole::Worker);
  std::string received;
  if (!greeted(&received)) {
    std::fprintf(stderr, "%s: %s\n", PROGRAM_TAG, WORKER_NOT_GREETED);
    return EXIT_USAGE;
  }
  disableProfileFiles();
  // A batch that is gone cannot take the results: stop as if stopped.
  worker_protocol::ReportSender sender(writeOwnOutput, [] { interruptNow(STOP_SIGNAL); });
  onTemporaries([&sender](const std::string& path, bool exists) { sender.temporary(path, exists); });
  JobRunner runner(options, sender);
  // The reader may wait for input until the process ends: neither it nor its
  // queue ever goes before.
  auto* queue = new JobQueue(std::move(received));
  std::thread([queue] { queue->readUntilEnd(); }).detach();
  worker_protocol::Message message;
  while (queue->next(&message)) {
    runner.convert(message.index(), worker_protocol::jobOf(message));
    sender.ready(message.index());
  }
  runner.finish();
  return EXIT_ALL_CONVERTED;
}
