#include "tools/veskconv_batch/worker_pool.h"

#include "platform/profile.h"
#include "tools/veskconv_batch/batch_texts.h"
#include "tools/veskconv_batch/interruption.h"
#include "tools/veskconv_batch/job_runner.h"
#include "tools/veskconv_batch/worker_protocol.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

extern char** environ;

namespace {

// Two jobs per worker: it converts the next while the last one's output is
// being put in place.
constexpr int JOBS_IN_FLIGHT = 2;
constexpr std::size_t READ_CHUNK = 64 * 1024;

struct Worker {
  pid_t pid = -1;
  int toWorker = -1;
  int fromWorker = -1;
  std::string received;
  std::vector<int> inFlight;
};

// The workers' pids, for the interruption watcher: it stops them first.
std::mutex workersMutex;
std::vector<pid_t> runningWorkers;

bool writeAll(int fd, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

std::string ownProgram() {
  std::vector<char> path(PATH_MAX);
  const ssize_t length = ::readlink("/proc/self/exe", path.data(), path.size() - 1);
  return length > 0 ? std::string(path.data(), static_cast<std::size_t>(length)) : std::string();
}

std::vector<std::string> workerArguments(const std::string& program, const BatchOptions& options) {
  std::vector<std::string> arguments = {program, WORKER_OPTION, "--channels", options.channels->name};
  if (options.bigEndian) arguments.insert(arguments.end(), {"--byte-order", "big"});
  if (options.sensorPositions) arguments.insert(arguments.end(), {"--positions", "sensor"});
  if (options.reverseSamples) arguments.push_back("--reverse");
  return arguments;
}

bool spawnWorker(const std::vector<std::string>& arguments, Worker& worker) {
  int in[2];
  int out[2];
  if (::pipe2(in, O_CLOEXEC) != 0) return false;
  if (::pipe2(out, O_CLOEXEC) != 0) {
    ::close(in[0]);
    ::close(in[1]);
    return false;
  }
  std::vector<char*> argv;
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, in[0], STDIN_FILENO);
  posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
  const int spawned = ::posix_spawn(&worker.pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  ::close(in[0]);
  ::close(out[1]);
  if (spawned != 0) {
    ::close(in[1]);
    ::close(out[0]);
    return false;
  }
  worker.toWorker = in[1];
  worker.fromWorker = out[0];
  return true;
}

void stopWorkers(int signal) {
  std::lock_guard<std::mutex> lock(workersMutex);
  for (const pid_t pid : runningWorkers) ::kill(pid, signal);
  for (const pid_t pid : runningWorkers) ::waitpid(pid, nullptr, 0);
  runningWorkers.clear();
}

class Pool {
 public:
  Pool(const std::vector<Job>& jobs, BatchSink& sink) : jobs_(jobs), sink_(sink) {}

  bool start(const BatchOptions& options, int count) {
    const std::string program = ownProgram();
    if (program.empty()) return false;
    const std::vector<std::string> arguments = workerArguments(program, options);
    std::lock_guard<std::mutex> lock(workersMutex);
    for (int i = 0; i < count; ++i) {
      Worker worker;
      if (!spawnWorker(arguments, worker)) break;
      runningWorkers.push_back(worker.pid);
      workers_.push_back(std::move(worker));
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
      std::vector<pollfd> fds;
      for (const Worker& worker : workers_) {
        fds.push_back({worker.fromWorker, POLLIN, 0});
      }
      if (::poll(fds.data(), fds.size(), -1) < 0 && errno != EINTR) break;
      for (std::size_t i = 0; i < workers_.size(); ++i) {
        if (fds[i].revents != 0) receive(workers_[i]);
      }
    }
    finish();
  }

 private:
  bool anyInFlight() const {
    for (const Worker& worker : workers_) {
      if (!worker.inFlight.empty()) return true;
    }
    return false;
  }

  void dispatch(Worker& worker) {
    while (worker.toWorker >= 0 && !waiting_.empty() && worker.inFlight.size() < JOBS_IN_FLIGHT) {
      const int index = waiting_.front();
      waiting_.pop_front();
      if (!writeAll(worker.toWorker, worker_protocol::job(index, jobs_[static_cast<std::size_t>(index)]))) {
        waiting_.push_front(index);
        lose(worker);
        return;
      }
      worker.inFlight.push_back(index);
    }
  }

  void receive(Worker& worker) {
    char chunk[READ_CHUNK];
    const ssize_t got = ::read(worker.fromWorker, chunk, sizeof chunk);
    if (got < 0 && errno == EINTR) return;
    if (got <= 0) {
      lose(worker);
      return;
    }
    worker.received.append(chunk, static_cast<std::size_t>(got));
    std::vector<int> ended;
    const bool understood =
        worker_protocol::takeReports(worker.received, sink_, jobs_, &ended);
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
    if (worker.toWorker >= 0) ::close(worker.toWorker);
    worker.toWorker = -1;
    for (const int index : waiting_) {
      sink_.job(index).error(formatted(WORKER_LOST, jobs_[static_cast<std::size_t>(index)].input.c_str()));
      sink_.ended(index, JobResult{});
    }
    waiting_.clear();
  }

  void finish() {
    for (Worker& worker : workers_) {
      if (worker.toWorker >= 0) ::close(worker.toWorker);
      worker.toWorker = -1;
    }
    std::lock_guard<std::mutex> lock(workersMutex);
    for (Worker& worker : workers_) {
      ::waitpid(worker.pid, nullptr, 0);
      ::close(worker.fromWorker);
    }
    runningWorkers.clear();
  }

  const std::vector<Job>& jobs_;
  BatchSink& sink_;
  std::vector<Worker> workers_;
  std::deque<int> waiting_;
};

}  // namespace

bool convertInWorkers(const BatchOptions& options, const std::vector<Job>& jobs, BatchSink& sink, int workers) {
  ::signal(SIGPIPE, SIG_IGN);  // a lost worker is a write error, not the end of the batch
  Pool pool(jobs, sink);
  if (!pool.start(options, workers)) return false;
  onInterruption(stopWorkers);
  pool.run();
  onInterruption({});
  return true;
}

int runWorker(const BatchOptions& options) {
  // A batch that is gone cannot take the results: stop as if interrupted.
  ::prctl(PR_SET_PDEATHSIG, SIGTERM);
  ::signal(SIGPIPE, SIG_IGN);
  watchForInterruption();
  disableProfileFiles();
  worker_protocol::ReportSender sender([](const std::string& bytes) {
    if (!writeAll(STDOUT_FILENO, bytes)) interruptNow(SIGTERM);
  });
  JobRunner runner(options, sender);
  std::string received;
  char chunk[READ_CHUNK];
  for (;;) {
    const ssize_t got = ::read(STDIN_FILENO, chunk, sizeof chunk);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    received.append(chunk, static_cast<std::size_t>(got));
    std::vector<worker_protocol::JobMessage> jobs;
    if (!worker_protocol::takeJobs(received, &jobs)) return EXIT_FAILURE;
    for (const worker_protocol::JobMessage& message : jobs) runner.convert(message.index, message.job);
  }
  runner.finish();
  return EXIT_SUCCESS;
}
