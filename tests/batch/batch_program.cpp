#include "batch_program.h"

#include "survey_files.h"

#include <fcntl.h>
#include <pty.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

namespace {

constexpr int EXEC_FAILED = 127;
constexpr int SIGNAL_EXIT_BASE = 128;
constexpr std::size_t READ_CHUNK = 4096;
constexpr auto HANG_LIMIT = std::chrono::minutes(5);
constexpr auto POLL = std::chrono::milliseconds(2);
constexpr std::uintmax_t UNDER_WAY_BYTES = std::uintmax_t{1} << 20;
constexpr const char* OUT_FILE = "batch.out";
constexpr const char* ERR_FILE = "batch.err";

std::string readAll(int descriptor) {
  std::string text;
  char chunk[READ_CHUNK];
  for (;;) {
    const ssize_t got = ::read(descriptor, chunk, sizeof chunk);
    if (got <= 0) break;  // a pty reports the end of its child as EIO
    text.append(chunk, static_cast<std::size_t>(got));
  }
  return text;
}

std::string textOf(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace

const std::string& installedBatch() {
  static const std::string program = [] {
    const std::filesystem::path prefix =
        std::filesystem::temp_directory_path() / ("veskconv-batch-prefix-" + std::to_string(::getpid()));
    std::filesystem::remove_all(prefix);
    const std::string command = std::string("'") + VESK_CMAKE_COMMAND + "' --install '" + VESK_BUILD_DIR +
                                "' --component batch --prefix '" + prefix.string() + "' >/dev/null";
    if (std::system(command.c_str()) != 0) return std::string();
    // The prefix goes when the test process ends.
    static const struct Remover {
      std::filesystem::path path;
      ~Remover() { std::filesystem::remove_all(path); }
    } remover{prefix};
    return (prefix / VESK_INSTALL_BINDIR / "veskconv-batch").string();
  }();
  return program;
}

namespace {

// 128 + the signal for a run a signal ended, as a shell reports it.
int exitCodeOf(int status) {
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  return WIFSIGNALED(status) ? SIGNAL_EXIT_BASE + WTERMSIG(status) : -1;
}

}  // namespace

RunningBatch BatchTest::startBatch(const std::vector<std::string>& arguments, const Launch& launch) const {
  return RunningBatch{spawn(arguments, launch)};
}

BatchRun BatchTest::finish(const RunningBatch& batch) const {
  BatchRun run;
  if (batch.pid <= 0) return run;
  int status = 0;
  const auto deadline = std::chrono::steady_clock::now() + HANG_LIMIT;
  pid_t ended = 0;
  while ((ended = ::waitpid(batch.pid, &status, WNOHANG)) == 0 || (ended < 0 && errno == EINTR)) {
    if (std::chrono::steady_clock::now() > deadline) {
      ::kill(batch.pid, SIGKILL);
      ::waitpid(batch.pid, &status, 0);
      ADD_FAILURE() << "veskconv-batch hung";
      break;
    }
    std::this_thread::sleep_for(POLL);
  }
  if (ended < 0) ADD_FAILURE() << "the batch's end could not be taken: " << std::strerror(errno);
  run.exitCode = ended < 0 ? -1 : exitCodeOf(status);
  run.out = textOf(folder / OUT_FILE);
  run.err = textOf(folder / ERR_FILE);
  std::filesystem::remove(folder / OUT_FILE);
  std::filesystem::remove(folder / ERR_FILE);
  return run;
}

int BatchTest::spawn(const std::vector<std::string>& arguments, const Launch& launch) const {
  const std::string& program = installedBatch();
  if (program.empty()) {
    ADD_FAILURE() << "veskconv-batch could not be installed";
    return -1;
  }
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  const std::filesystem::path outFile = folder / OUT_FILE;
  const std::filesystem::path errFile = folder / ERR_FILE;
  const pid_t child = ::fork();
  if (child == 0) {
    if (::chdir(folder.c_str()) != 0) ::_exit(EXEC_FAILED);
    // As from a terminal, whatever the test runner's own signals are.
    for (const int signal : {SIGINT, SIGHUP, SIGPIPE}) ::signal(signal, SIG_DFL);
    sigset_t blocked;
    sigemptyset(&blocked);
    for (const int signal : launch.blockedSignals) sigaddset(&blocked, signal);
    ::sigprocmask(SIG_SETMASK, &blocked, nullptr);
    for (const int signal : launch.ignoredSignals) ::signal(signal, SIG_IGN);
    if (launch.fileSizeLimit > 0) {
      const rlimit limit{launch.fileSizeLimit, launch.fileSizeLimit};
      ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    const int out = ::open(outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int err =
        launch.stderrTo >= 0 ? launch.stderrTo : ::open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ::dup2(out, STDOUT_FILENO);
    ::dup2(err, STDERR_FILENO);
    const int nothing = ::open("/dev/null", O_RDONLY);
    ::dup2(nothing, STDIN_FILENO);
    for (const int stream : launch.closedStreams) ::close(stream);
    if (launch.ownProcessGroup) ::setpgid(0, 0);
    ::execv(program.c_str(), argv.data());
    ::_exit(EXEC_FAILED);
  }
  return child;
}

BatchRun BatchTest::runBatch(const std::vector<std::string>& arguments, bool stderrOnTerminal) const {
  if (!stderrOnTerminal) return finish(startBatch(arguments));
  BatchRun run;
  int terminal = -1;
  int terminalChild = -1;
  if (::openpty(&terminal, &terminalChild, nullptr, nullptr, nullptr) != 0) {
    ADD_FAILURE() << "no pseudo-terminal";
    return run;
  }
  Launch launch;
  launch.stderrTo = terminalChild;
  const int child = spawn(arguments, launch);
  ::close(terminalChild);
  if (child < 0) {
    ::close(terminal);
    return run;
  }
  const std::string err = readAll(terminal);
  ::close(terminal);
  run = finish(RunningBatch{child});
  run.err = err;
  return run;
}

std::string BatchTest::fileBytes(const std::string& file) const { return textOf(file); }

bool BatchTest::exists(const std::string& file) const { return std::filesystem::exists(file); }

std::vector<std::filesystem::path> BatchTest::pendingFolders(const std::filesystem::path& where) const {
  std::vector<std::filesystem::path> found;
  for (const auto& entry : std::filesystem::directory_iterator(where)) {
    if (entry.path().filename().string().rfind(".veskconv-", 0) == 0) found.push_back(entry.path());
  }
  return found;
}

// waitid with WNOWAIT looks at the batch without taking its end from finish().
bool BatchTest::underWay(const RunningBatch& batch, const std::string& output, bool hold) const {
  const std::filesystem::path file(path(output));
  const int looks = hold ? WSTOPPED | WEXITED | WNOWAIT : WEXITED | WNOHANG | WNOWAIT;
  for (;;) {
    if (hold) ::kill(batch.pid, SIGSTOP);
    siginfo_t state{};
    if (::waitid(P_PID, static_cast<id_t>(batch.pid), &state, looks) != 0 ||
        (hold ? state.si_code != CLD_STOPPED : state.si_pid != 0)) {
      return false;
    }
    for (const std::filesystem::path& pending : pendingFolders(file.parent_path())) {
      std::error_code error;
      if (std::filesystem::file_size(pending / file.filename(), error) > UNDER_WAY_BYTES) return true;
    }
    if (hold) ::kill(batch.pid, SIGCONT);
    std::this_thread::sleep_for(POLL);
  }
}

std::vector<int> BatchTest::workersOf(const RunningBatch& batch) {
  std::vector<int> workers;
  for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
    std::ifstream stat(entry.path() / "stat");
    std::string line;
    if (!std::getline(stat, line) || line.rfind(')') == std::string::npos) continue;
    // pid (name) state ppid ...: the name may hold anything but the last ')'.
    std::istringstream fields(line.substr(line.rfind(')') + 1));
    std::string state;
    int parent = 0;
    if (fields >> state >> parent && parent == batch.pid) {
      workers.push_back(std::stoi(entry.path().filename().string()));
    }
  }
  return workers;
}

int BatchTest::workerHolding(const RunningBatch& batch, const std::string& file) const {
  const std::string held = std::filesystem::canonical(file).string();
  for (;;) {
    for (const int worker : workersOf(batch)) {
      std::error_code error;
      for (const auto& open : std::filesystem::directory_iterator("/proc/" + std::to_string(worker) + "/fd", error)) {
        if (std::filesystem::read_symlink(open.path(), error).string() == held) return worker;
      }
    }
    siginfo_t ended{};
    if (::waitid(P_PID, static_cast<id_t>(batch.pid), &ended, WEXITED | WNOHANG | WNOWAIT) != 0 || ended.si_pid != 0) {
      return -1;
    }
    std::this_thread::sleep_for(POLL);
  }
}

int BatchTest::holdOpen(const std::string& file, const char* redirection) const {
  const std::string ready = path("held.ready");
  std::filesystem::remove(ready);
  const std::string script =
      std::string("exec 3") + redirection + "'" + file + "' && touch '" + ready + "' && exec sleep 300";
  const pid_t holder = ::fork();
  if (holder == 0) {
    ::execl("/bin/sh", "sh", "-c", script.c_str(), static_cast<char*>(nullptr));
    ::_exit(EXEC_FAILED);
  }
  while (!std::filesystem::exists(ready)) std::this_thread::sleep_for(POLL);
  return holder;
}

void BatchTest::release(int holder) {
  ::kill(holder, SIGKILL);
  ::waitpid(holder, nullptr, 0);
}

vsk::FileSpec fourPairs(std::uint32_t samples) {
  vsk::FileSpec spec;
  for (std::uint8_t pair = 0; pair < 4; ++pair) {
    const float frequency = 100.0f * static_cast<float>(pair + 1);
    spec.sonarChannels.push_back(
        survey_files::channel(survey_files::PORT, static_cast<std::uint8_t>(2 * pair), frequency, samples));
    spec.sonarChannels.push_back(
        survey_files::channel(survey_files::STARBOARD, static_cast<std::uint8_t>(2 * pair + 1), frequency, samples));
  }
  return spec;
}
