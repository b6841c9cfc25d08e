#include "tools/veskconv_batch/interruption_system.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <cerrno>
#include <thread>

namespace {

constexpr int STANDARD_STREAMS = 3;

// The handler only passes the signal on: whichever thread the kernel picks
// (the program's, or one a library started), the watcher takes it from here.
int signalPipe[2] = {-1, -1};

void passOn(int signal) {
  const int saved = errno;
  const auto byte = static_cast<unsigned char>(signal);
  [[maybe_unused]] const ssize_t written = ::write(signalPipe[1], &byte, 1);
  errno = saved;
}

bool ignoredAtStart(int signal) {
  struct sigaction current {};
  return ::sigaction(signal, nullptr, &current) == 0 && current.sa_handler == SIG_IGN;
}

void take(int signal) {
  struct sigaction action {};
  action.sa_handler = passOn;
  action.sa_flags = SA_RESTART;
  sigemptyset(&action.sa_mask);
  ::sigaction(signal, &action, nullptr);
}

// A closed standard stream gets /dev/null, so that no pipe of ours lands on
// it and takes what is written there.
void keepStandardStreamsTaken() {
  for (int descriptor = 0; descriptor < STANDARD_STREAMS; ++descriptor) {
    if (::fcntl(descriptor, F_GETFD) != -1 || errno != EBADF) continue;
    const int opened = ::open("/dev/null", O_RDWR);
    if (opened >= 0 && opened != descriptor) ::close(opened);
  }
}

}  // namespace

namespace interruption_system {

void takeStopRequests(ProcessRole role, void (*stop)(int signal)) {
  keepStandardStreamsTaken();
  ::signal(SIGPIPE, SIG_IGN);
  ::signal(SIGXFSZ, SIG_IGN);
  if (role == ProcessRole::Worker) {
    // Its batch answers the terminal and the caller; a batch that is gone
    // cannot take the results.
    ::signal(SIGINT, SIG_IGN);
    ::signal(SIGHUP, SIG_IGN);
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);
  }
  if (::pipe2(signalPipe, O_CLOEXEC) != 0) return;
  std::thread([stop] {
    unsigned char signal = 0;
    while (::read(signalPipe[0], &signal, 1) != 1) {
    }
    stop(signal);
  }).detach();
  take(SIGTERM);
  if (role == ProcessRole::Batch) {
    for (const int signal : {SIGINT, SIGHUP}) {
      if (!ignoredAtStart(signal)) take(signal);
    }
  }
}

bool removePath(const std::string& path) { return ::unlink(path.c_str()) == 0 || ::rmdir(path.c_str()) == 0; }

void endProcess(int exitCode) { ::_exit(exitCode); }

}  // namespace interruption_system
