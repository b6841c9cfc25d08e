#include "tools/veskconv_batch/worker_pool.h"

#include "platform/profile.h"
#include "tools/veskconv_batch/batch_texts.h"
#include "tools/veskconv_batch/interruption.h"
#include "tools/veskconv_batch/job_runner.h"
#include "tools/veskconv_batch/worker_processes.h"
#include "tools/veskconv_batch/worker_protocol.h"

#include <condition_variable>
#include <cstdlib>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// Windows has no poll over pipes: a thread per worker reads what it reports
// and hands it to the main thread through one queue, which keeps the order
// of each worker's bytes.
namespace {

// Two jobs per worker: it converts the next while the last one's output is
// being put in place.
constexpr std::size_t JOBS_IN_FLIGHT = 2;
// How long stopped workers get to remove their temporaries before they are ended.
constexpr unsigned STOP_GRACE_MS = 5000;
constexpr int TERMINATE_SIGNAL = 15;  // SIGTERM, as on Linux

struct Worker {
  WorkerProcess process;
  std::thread reader;
  std::string received;
  std::vector<int> inFlight;
};

struct Arrival {
  std::size_t worker = 0;
  std::string bytes;  // empty: the worker's output ended
};

// The workers, for the interruption watcher: it stops them first.
std::mutex workersMutex;
std::vector<WorkerProcess> runningWorkers;

void stopRunningWorkers(int /*signal*/) {
  std::lock_guard<std::mutex> lock(workersMutex);
  stopWorkers(runningWorkers, STOP_GRACE_MS);
  runningWorkers.clear();
}

std::vector<std::string> workerArguments(const BatchOptions& options) {
  std::vector<std::string> arguments = {WORKER_OPTION, "--channels", options.channels->name};
  if (options.bigEndian) arguments.insert(arguments.end(), {"--byte-order", "big"});
  if (options.sensorPositions) arguments.insert(arguments.end(), {"--positions", "sensor"});
  if (options.reverseSamples) arguments.push_back("--reverse");
  return arguments;
}

class Pool {
 public:
  Pool(const std::vector<Job>& jobs, BatchSink& sink) : jobs_(jobs), sink_(sink) {}

  ~Pool() {
    for (Worker& worker : workers_) {
      if (worker.reader.joinable()) worker.reader.join();
    }
  }

  bool start(const BatchOptions& options, int count) {
    const std::vector<std::string> arguments = workerArguments(options);
    std::lock_guard<std::mutex> lock(workersMutex);
    workers_.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
      Worker worker;
      if (!startWorker(arguments, &worker.process)) break;
      runningWorkers.push_back(worker.process);
      workers_.push_back(std::move(worker));
    }
    for (std::size_t i = 0; i < workers_.size(); ++i) {
      workers_[i].reader = std::thread([this, i] { readFrom(i); });
    }
    return !workers_.empty();
  }

  void run() {
    for (int index = 0; index < static_cast<int>(jobs_.size()); ++index) {
      const Job& job = jobs_[static_cast<std::size_t>(index)];
      if (job.refusal.empty()) {
        waiting_.push_back(index);
        continue;
      }
      sink_.job(index).error(job.refusal);
      sink_.ended(index, JobResult{});
    }
    for (Worker& worker : workers_) dispatch(worker);
    while (anyInFlight()) {
      Arrival arrival = next();
      Worker& worker = workers_[arrival.worker];
      if (arrival.bytes.empty()) {
        lose(worker);
      } else {
        receive(worker, arrival.bytes);
      }
    }
    finish();
  }

 private:
  void readFrom(std::size_t index) {
    std::string chunk;
    while (receiveFromWorker(workers_[index].process, &chunk)) push({index, chunk});
    push({index, {}});
  }

  void push(Arrival arrival) {
    {
      std::lock_guard<std::mutex> lock(queueMutex_);
      arrivals_.push_back(std::move(arrival));
    }
    arrived_.notify_one();
  }

  Arrival next() {
    std::unique_lock<std::mutex> lock(queueMutex_);
    arrived_.wait(lock, [this] { return !arrivals_.empty(); });
    Arrival arrival = std::move(arrivals_.front());
    arrivals_.pop_front();
    return arrival;
  }

  bool anyInFlight() const {
    for (const Worker& worker : workers_) {
      if (!worker.inFlight.empty()) return true;
    }
    return false;
  }

  void dispatch(Worker& worker) {
    while (worker.process.input != nullptr && !waiting_.empty() && worker.inFlight.size() < JOBS_IN_FLIGHT) {
      const int index = waiting_.front();
      waiting_.pop_front();
      if (!sendToWorker(worker.process, worker_protocol::job(index, jobs_[static_cast<std::size_t>(index)]))) {
        waiting_.push_front(index);
        lose(worker);
        return;
      }
      worker.inFlight.push_back(index);
    }
  }

  void receive(Worker& worker, const std::string& bytes) {
    worker.received += bytes;
    std::vector<int> ended;
    const bool understood = worker_protocol::takeReports(worker.received, sink_, jobs_, &ended);
    for (const int index : ended) std::erase(worker.inFlight, index);
    if (!understood) {
      lose(worker);
      return;
    }
    dispatch(worker);
  }

  // A worker that ended before its jobs: they failed, and nothing more goes to it.
  void lose(Worker& worker) {
    for (const int index : worker.inFlight) {
      sink_.job(index).error(formatted(WORKER_LOST, jobs_[static_cast<std::size_t>(index)].input.c_str()));
      sink_.ended(index, JobResult{});
    }
    worker.inFlight.clear();
    closeWorkerInput(worker.process);
    for (const int index : waiting_) {
      sink_.job(index).error(formatted(WORKER_LOST, jobs_[static_cast<std::size_t>(index)].input.c_str()));
      sink_.ended(index, JobResult{});
    }
    waiting_.clear();
  }

  void finish() {
    for (Worker& worker : workers_) closeWorkerInput(worker.process);
    std::lock_guard<std::mutex> lock(workersMutex);
    for (Worker& worker : workers_) {
      waitForWorker(worker.process);
      if (worker.reader.joinable()) worker.reader.join();
      releaseWorker(worker.process);
    }
    runningWorkers.clear();
  }

  const std::vector<Job>& jobs_;
  BatchSink& sink_;
  std::vector<Worker> workers_;
  std::deque<int> waiting_;
  std::mutex queueMutex_;
  std::condition_variable arrived_;
  std::deque<Arrival> arrivals_;
};

}  // namespace

bool convertInWorkers(const BatchOptions& options, const std::vector<Job>& jobs, BatchSink& sink, int workers) {
  Pool pool(jobs, sink);
  if (!pool.start(options, workers)) return false;
  onInterruption(stopRunningWorkers);
  pool.run();
  onInterruption({});
  return true;
}

int runWorker(const BatchOptions& options) {
  watchForInterruption();
  disableProfileFiles();
  // A batch that is gone cannot take the results: stop as if interrupted.
  worker_protocol::ReportSender sender([](const std::string& bytes) {
    if (!writeOwnOutput(bytes)) interruptNow(TERMINATE_SIGNAL);
  });
  JobRunner runner(options, sender);
  std::string received;
  std::string chunk;
  while (readOwnInput(&chunk)) {
    received += chunk;
    std::vector<worker_protocol::JobMessage> jobs;
    if (!worker_protocol::takeJobs(received, &jobs)) return EXIT_FAILURE;
    for (const worker_protocol::JobMessage& message : jobs) runner.convert(message.index, message.job);
  }
  runner.finish();
  return EXIT_SUCCESS;
}
