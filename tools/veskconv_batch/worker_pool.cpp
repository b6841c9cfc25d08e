#include "tools/veskconv_batch/worker_pool.h"

#include "tools/veskconv_batch/batch_texts.h"
#include "tools/veskconv_batch/interruption.h"
#include "tools/veskconv_batch/worker.h"
#include "tools/veskconv_batch/worker_protocol.h"
#include "tools/veskconv_batch/worker_transport.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace {

namespace protocol = worker_protocol;
using Clock = std::chrono::steady_clock;

// How long stopped workers get to remove their own temporaries before they
// are ended; within the 5 s Windows leaves a closing console.
constexpr auto STOP_GRACE = std::chrono::seconds(3);
// How long the watcher waits for the main thread to have stopped them.
constexpr auto WATCHER_PATIENCE = STOP_GRACE + std::chrono::seconds(2);
// A job goes to a second worker when its first died before converting it,
// never to a third.
constexpr int MOST_HANDINGS = 2;
// Two jobs a worker: when more inputs wait than workers are idle, the next
// is there as soon as the last is converted (the benchmark's --jobs figures
// hold only so), and one converts while the other's output is put in place.
constexpr std::size_t JOBS_PER_WORKER = 2;
// Exit codes above this are Windows' status codes (0xC0000005 ...), told in hex.
constexpr unsigned long LARGEST_PLAIN_STATUS = 0xFFFF;

struct Worker {
  int id = -1;
  std::string received;
  std::vector<int> jobs;  // handed and not done, in the order handed
  std::vector<std::string> temporaries;
  bool inputClosed = false;
  bool garbled = false;  // sent what is no report: ended by the batch
  bool gone = false;     // its output ended and the process was reaped
};

struct JobState {
  int handed = 0;
  bool begun = false;  // by the worker it was last handed to
  bool ready = false;  // converted: its output is being put in place
  bool ended = false;  // its end was reported; a picture may still be due
  bool done = false;
};

std::string causeOf(const WorkerEnd& end, bool garbled) {
  if (garbled) return CAUSE_GARBLED;
  if (end.bySignal) return formatted(CAUSE_SIGNAL, end.code);
  return formatted(end.code > LARGEST_PLAIN_STATUS ? CAUSE_CODE : CAUSE_STATUS, end.code);
}

class Pool {
 public:
  Pool(const BatchOptions& options, const std::vector<Job>& jobs, BatchSink& sink, WorkerTransport& transport, int size)
      : arguments_(workerArguments(options)),
        jobs_(jobs),
        sink_(sink),
        transport_(transport),
        size_(size),
        states_(jobs.size()) {}

  bool run() {
    for (int index = 0; index < static_cast<int>(jobs_.size()); ++index) {
      if (jobs_[static_cast<std::size_t>(index)].refusal.empty()) waiting_.push_back(index);
    }
    const auto wanted = std::min<std::size_t>(static_cast<std::size_t>(size_), waiting_.size());
    for (std::size_t i = 0; i < wanted; ++i) startWorker();
    if (workers_.empty()) return false;
    for (int index = 0; index < static_cast<int>(jobs_.size()); ++index) {
      const Job& job = jobs_[static_cast<std::size_t>(index)];
      if (job.refusal.empty()) continue;
      sink_.job(index).error(job.refusal);
      sink_.ended(index, JobResult{});
      states_[static_cast<std::size_t>(index)].done = true;
    }
    dispatch();
    while (std::any_of(workers_.begin(), workers_.end(), [](const Worker& worker) { return !worker.gone; })) {
      handle(transport_.wait(-1));
      if (stopRequested_) stop();
      dispatch();
    }
    {
      std::lock_guard<std::mutex> lock(stopMutex_);
      finished_ = true;
    }
    stopped_.notify_all();
    // Every worker is gone: a job still waiting had no worker left to take it.
    for (const int index : waiting_) fail(index, PROGRAM_DID_NOT_START);
    return true;
  }

  // On the interruption's watcher: the main thread stops the workers; when
  // it cannot within the patience, they are ended from here.
  void stopFromWatcher() {
    std::unique_lock<std::mutex> lock(stopMutex_);
    if (finished_) return;
    stopRequested_ = true;
    transport_.wake();
    if (!stopped_.wait_for(lock, WATCHER_PATIENCE, [this] { return hasStopped_ || finished_; })) transport_.killAll();
  }

 private:
  // A worker that dies at once every time must not be replaced for ever:
  // each job may cost two, and the first N are the pool's.
  bool startWorker() {
    if (starts_ >= size_ + MOST_HANDINGS * static_cast<int>(jobs_.size())) return false;
    ++starts_;
    const int id = transport_.start(arguments_);
    if (id < 0) return false;
    Worker worker;
    worker.id = id;
    worker.inputClosed = !transport_.send(id, protocol::greeting());
    workers_.push_back(std::move(worker));
    return !workers_.back().inputClosed;
  }

  JobState& state(int index) { return states_[static_cast<std::size_t>(index)]; }
  const Job& jobAt(int index) const { return jobs_[static_cast<std::size_t>(index)]; }

  bool takesJobs(const Worker& worker) const { return !worker.gone && !worker.inputClosed && !worker.garbled; }

  // Jobs it has been handed that it has not converted yet.
  bool converting(const Worker& worker) const {
    return std::any_of(worker.jobs.begin(), worker.jobs.end(),
                       [this](int index) { return !states_[static_cast<std::size_t>(index)].ready; });
  }

  // An idle worker first, else a new one while fewer than N take jobs (one
  // that died is replaced): N inputs go to N workers. Then, when more wait,
  // one with room for a second.
  Worker* nextFreeWorker() {
    for (Worker& worker : workers_) {
      if (takesJobs(worker) && worker.jobs.empty()) return &worker;
    }
    const auto live =
        std::count_if(workers_.begin(), workers_.end(), [this](const Worker& each) { return takesJobs(each); });
    if (live < size_ && startWorker()) return &workers_.back();
    for (Worker& worker : workers_) {
      if (takesJobs(worker) && worker.jobs.size() < JOBS_PER_WORKER) return &worker;
    }
    return nullptr;
  }

  // The first waiting job whose survey no worker holds or is about to.
  std::deque<int>::iterator nextFreeJob() {
    return std::find_if(waiting_.begin(), waiting_.end(), [this](int index) {
      const auto& survey = jobAt(index).survey;
      return !survey || std::none_of(workers_.begin(), workers_.end(), [&](const Worker& worker) {
        return !worker.gone && std::any_of(worker.jobs.begin(), worker.jobs.end(), [&](int held) {
          return !states_[static_cast<std::size_t>(held)].ready && jobAt(held).survey == survey;
        });
      });
    });
  }

  void dispatch() {
    if (stopRequested_) return;
    for (;;) {
      const auto next = nextFreeJob();
      if (next == waiting_.end()) break;
      Worker* worker = nextFreeWorker();
      if (worker == nullptr) break;
      const int index = *next;
      waiting_.erase(next);
      JobState& job = state(index);
      if (!transport_.send(worker->id, protocol::job(index, jobAt(index)))) {
        waiting_.push_front(index);
        worker->inputClosed = true;  // its end comes as its output's
        continue;
      }
      ++job.handed;
      job.begun = false;
      job.ready = false;
      worker->jobs.push_back(index);
    }
    if (!waiting_.empty()) return;
    // Nothing more to hand out: a worker ends once its outputs are in place.
    for (Worker& worker : workers_) {
      if (takesJobs(worker) && !converting(worker)) {
        transport_.closeInput(worker.id);
        worker.inputClosed = true;
      }
    }
  }

  void handle(const WorkerEvent& event) {
    const auto found =
        std::find_if(workers_.begin(), workers_.end(), [&](const Worker& each) { return each.id == event.worker; });
    if (found == workers_.end()) return;
    Worker& worker = *found;
    if (event.kind == WorkerEvent::Kind::OutputEnded) {
      lose(worker);
    } else if (event.kind == WorkerEvent::Kind::Bytes && !worker.garbled) {
      receive(worker, event.bytes);
    }
  }

  void receive(Worker& worker, const std::string& bytes) {
    worker.received += bytes;
    std::vector<protocol::Message> messages;
    bool understood = protocol::takeMessages(worker.received, &messages);
    for (const protocol::Message& message : messages) {
      if (understood) understood = apply(worker, message);
    }
    if (understood) return;
    worker.garbled = true;
    transport_.kill(worker.id);
  }

  bool apply(Worker& worker, const protocol::Message& message) {
    if (message.kind == protocol::TEMPORARY) {
      worker.temporaries.push_back(message.texts[0]);
      addTemporary(message.texts[0]);
      return true;
    }
    if (message.kind == protocol::TEMPORARY_GONE) {
      std::erase(worker.temporaries, message.texts[0]);
      forgetTemporary(message.texts[0]);
      return true;
    }
    const int index = message.index();
    if (index < 0 || index >= static_cast<int>(jobs_.size())) return false;
    // Its end may come before it: the end is sent by the thread that puts the output in place.
    if (message.kind == protocol::READY) {
      state(index).ready = true;
      return true;
    }
    if (std::find(worker.jobs.begin(), worker.jobs.end(), index) == worker.jobs.end()) return false;
    JobReport& report = sink_.job(index);
    switch (message.kind) {
      case protocol::BEGUN:
        state(index).begun = true;
        report.begun();
        return true;
      case protocol::COUNTING:
        report.counting();
        return true;
      case protocol::CONVERTING:
        report.converting(static_cast<unsigned long>(message.numbers[1]));
        return true;
      case protocol::PROGRESS:
        report.progress(static_cast<int>(message.numbers[1]));
        return true;
      case protocol::MESSAGE:
        report.message(message.texts[0], message.texts[1]);
        return true;
      case protocol::ENDED: {
        JobResult result{message.numbers[1] != 0, message.numbers[2], message.numbers[3]};
        sink_.ended(index, result);
        state(index).ended = true;
        if (!result.converted || jobAt(index).picture.empty()) finish(worker, index);
        return true;
      }
      case protocol::PICTURED:
        if (!state(index).ended) return false;
        sink_.pictured(index, message.numbers[1] != 0);
        finish(worker, index);
        return true;
      default:
        return false;
    }
  }

  void finish(Worker& worker, int index) {
    state(index).done = true;
    std::erase(worker.jobs, index);
  }

  void fail(int index, const std::string& text) {
    sink_.job(index).error(text);
    sink_.ended(index, JobResult{});
    state(index).done = true;
  }

  // A worker's output ended: when it had work left, it died with it.
  void lose(Worker& worker) {
    const WorkerEnd end = transport_.reap(worker.id);
    worker.gone = true;
    for (auto path = worker.temporaries.rbegin(); path != worker.temporaries.rend(); ++path) removeTemporary(*path);
    worker.temporaries.clear();
    if (stopRequested_) return;
    const std::string cause = causeOf(end, worker.garbled);
    std::vector<int> again;
    for (const int index : worker.jobs) {
      const JobState& job = state(index);
      const char* input = jobAt(index).input.c_str();
      if (job.ended) {
        sink_.job(index).error(formatted(PICTURE_LOST, jobAt(index).output.c_str(), cause.c_str()));
        sink_.pictured(index, false);
        state(index).done = true;
      } else if ((job.begun && !job.ready) || job.handed >= MOST_HANDINGS) {
        fail(index, formatted(WORKER_LOST, input, cause.c_str()));
      } else {
        again.push_back(index);
      }
    }
    worker.jobs.clear();
    waiting_.insert(waiting_.begin(), again.begin(), again.end());
  }

  // Every worker told to stop, given the grace, then ended; what they left
  // removed. The watcher then says what is unfinished and ends the process.
  [[noreturn]] void stop() {
    for (Worker& worker : workers_) {
      if (worker.gone) continue;
      if (!worker.inputClosed) transport_.send(worker.id, protocol::stop());
      transport_.closeInput(worker.id);
      worker.inputClosed = true;
    }
    const auto deadline = Clock::now() + STOP_GRACE;
    bool killed = false;
    while (std::any_of(workers_.begin(), workers_.end(), [](const Worker& worker) { return !worker.gone; })) {
      int timeoutMs = -1;
      if (!killed) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) {
          transport_.killAll();
          killed = true;
        } else {
          timeoutMs = static_cast<int>(left);
        }
      }
      handle(transport_.wait(timeoutMs));
    }
    {
      std::lock_guard<std::mutex> lock(stopMutex_);
      hasStopped_ = true;
    }
    stopped_.notify_all();
    for (;;) std::this_thread::sleep_for(std::chrono::hours(1));
  }

  const std::vector<std::string> arguments_;
  const std::vector<Job>& jobs_;
  BatchSink& sink_;
  WorkerTransport& transport_;
  const int size_;
  std::vector<JobState> states_;
  std::deque<Worker> workers_;  // a deque: a worker's entry never moves
  std::deque<int> waiting_;
  int starts_ = 0;
  std::atomic<bool> stopRequested_{false};
  std::mutex stopMutex_;
  std::condition_variable stopped_;
  bool hasStopped_ = false;
  bool finished_ = false;  // every worker gone: nothing left to stop
};

}  // namespace

bool convertInWorkers(const BatchOptions& options, const std::vector<Job>& jobs, BatchSink& sink, int workers) {
  const std::unique_ptr<WorkerTransport> transport = systemWorkerTransport();
  Pool pool(options, jobs, sink, *transport, workers);
  onInterruption([&pool](int) { pool.stopFromWatcher(); });
  const bool ran = pool.run();
  onInterruption({});
  return ran;
}
