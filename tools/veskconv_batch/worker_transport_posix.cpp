#include "tools/veskconv_batch/worker_transport.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <mutex>
#include <vector>

extern char** environ;

namespace {

constexpr std::size_t READ_CHUNK = 64 * 1024;

bool writeAll(int descriptor, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(descriptor, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

// Some bytes, or an empty chunk at the end (or on a failure).
std::string readSome(int descriptor) {
  static thread_local std::vector<char> buffer(READ_CHUNK);
  ssize_t got = 0;
  do {
    got = ::read(descriptor, buffer.data(), buffer.size());
  } while (got < 0 && errno == EINTR);
  return std::string(buffer.data(), got > 0 ? static_cast<std::size_t>(got) : 0);
}

void closeOnce(int& descriptor) {
  if (descriptor >= 0) ::close(descriptor);
  descriptor = -1;
}

std::string ownProgram() {
  std::string path(PATH_MAX, '\0');
  const ssize_t length = ::readlink("/proc/self/exe", path.data(), path.size() - 1);
  path.resize(length > 0 ? static_cast<std::size_t>(length) : 0);
  return path;
}

class PosixTransport final : public WorkerTransport {
 public:
  PosixTransport() {
    if (::pipe2(wakePipe_, O_CLOEXEC | O_NONBLOCK) != 0) wakePipe_[0] = wakePipe_[1] = -1;
  }
  ~PosixTransport() override {
    for (Process& process : processes_) {
      closeOnce(process.toWorker);
      closeOnce(process.fromWorker);
    }
    closeOnce(wakePipe_[0]);
    closeOnce(wakePipe_[1]);
  }

  int start(const std::vector<std::string>& arguments) override {
    const std::string program = ownProgram();
    if (program.empty()) return -1;
    int in[2];
    int out[2];
    if (::pipe2(in, O_CLOEXEC) != 0) return -1;
    if (::pipe2(out, O_CLOEXEC) != 0) {
      ::close(in[0]);
      ::close(in[1]);
      return -1;
    }
    std::vector<char*> argv = {const_cast<char*>(program.c_str())};
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    // The batch holds its stop requests blocked for its watcher; a worker
    // starts with none blocked and takes its own.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK);
    pid_t pid = -1;
    const int spawned = ::posix_spawn(&pid, program.c_str(), &actions, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    ::close(in[0]);
    ::close(out[1]);
    if (spawned != 0) {
      ::close(in[1]);
      ::close(out[0]);
      return -1;
    }
    std::lock_guard<std::mutex> lock(mutex_);
    processes_.push_back({pid, in[1], out[0]});
    return static_cast<int>(processes_.size()) - 1;
  }

  bool send(int worker, const std::string& bytes) override {
    Process& process = processes_.at(static_cast<std::size_t>(worker));
    return process.toWorker >= 0 && writeAll(process.toWorker, bytes);
  }

  void closeInput(int worker) override { closeOnce(processes_.at(static_cast<std::size_t>(worker)).toWorker); }

  WorkerEvent wait(int timeoutMs) override {
    std::vector<pollfd> watched = {{wakePipe_[0], POLLIN, 0}};
    std::vector<int> workers;
    // Round the workers from the one after the last heard, so none waits on another.
    const std::size_t count = processes_.size();
    for (std::size_t step = 1; step <= count; ++step) {
      const std::size_t worker = (lastHeard_ + step) % count;
      if (processes_[worker].fromWorker < 0) continue;
      watched.push_back({processes_[worker].fromWorker, POLLIN, 0});
      workers.push_back(static_cast<int>(worker));
    }
    const int ready = ::poll(watched.data(), watched.size(), timeoutMs);
    if (ready == 0) return {WorkerEvent::Kind::TimedOut, -1, {}};
    if (ready < 0) return {WorkerEvent::Kind::Woken, -1, {}};  // EINTR: the caller looks again
    if (watched[0].revents != 0) {
      while (!readSome(wakePipe_[0]).empty()) {
      }
      return {WorkerEvent::Kind::Woken, -1, {}};
    }
    for (std::size_t i = 1; i < watched.size(); ++i) {
      if (watched[i].revents == 0) continue;
      const int worker = workers[i - 1];
      lastHeard_ = static_cast<std::size_t>(worker);
      Process& process = processes_[static_cast<std::size_t>(worker)];
      std::string bytes = readSome(process.fromWorker);
      if (!bytes.empty()) return {WorkerEvent::Kind::Bytes, worker, std::move(bytes)};
      closeOnce(process.fromWorker);
      return {WorkerEvent::Kind::OutputEnded, worker, {}};
    }
    return {WorkerEvent::Kind::Woken, -1, {}};
  }

  void wake() override {
    const char byte = 0;
    [[maybe_unused]] const ssize_t written = ::write(wakePipe_[1], &byte, 1);
  }

  void kill(int worker) override {
    std::lock_guard<std::mutex> lock(mutex_);
    const pid_t pid = processes_.at(static_cast<std::size_t>(worker)).pid;
    if (pid > 0) ::kill(pid, SIGKILL);
  }

  void killAll() override {
    std::lock_guard<std::mutex> lock(mutex_);
    for (const Process& process : processes_) {
      if (process.pid > 0) ::kill(process.pid, SIGKILL);
    }
  }

  WorkerEnd reap(int worker) override {
    Process& process = processes_.at(static_cast<std::size_t>(worker));
    closeOnce(process.toWorker);
    closeOnce(process.fromWorker);
    int status = 0;
    while (::waitpid(process.pid, &status, 0) < 0 && errno == EINTR) {
    }
    std::lock_guard<std::mutex> lock(mutex_);
    process.pid = -1;
    if (WIFSIGNALED(status)) return {true, static_cast<unsigned long>(WTERMSIG(status))};
    return {false, static_cast<unsigned long>(WEXITSTATUS(status))};
  }

 private:
  struct Process {
    pid_t pid = -1;
    int toWorker = -1;
    int fromWorker = -1;
  };

  // Guards the pids, which other threads kill by; the rest is the main thread's.
  std::mutex mutex_;
  std::vector<Process> processes_;
  int wakePipe_[2] = {-1, -1};
  std::size_t lastHeard_ = 0;
};

}  // namespace

std::unique_ptr<WorkerTransport> systemWorkerTransport() { return std::make_unique<PosixTransport>(); }

bool inputIsTerminal() { return ::isatty(STDIN_FILENO) != 0; }

bool readOwnInput(std::string* chunk) {
  *chunk = readSome(STDIN_FILENO);
  return !chunk->empty();
}

bool writeOwnOutput(const std::string& bytes) { return writeAll(STDOUT_FILENO, bytes); }
