#include "tools/veskconv_batch/interruption_system.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <cerrno>
#include <thread>

namespace {

constexpr int STANDARD_STREAMS = 3;

bool ignoredAtStart(int signal) {
  struct sigaction current {};
  return ::sigaction(signal, nullptr, &current) == 0 && current.sa_handler == SIG_IGN;
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
  // The requests are blocked in every thread and taken by the watcher alone
  // with sigwait: no handler interrupts other work, whichever thread the
  // kernel would have picked, and a request that came blocked from the
  // caller is taken too.
  sigset_t requests;
  sigemptyset(&requests);
  sigaddset(&requests, SIGTERM);
  if (role == ProcessRole::Batch) {
    for (const int signal : {SIGINT, SIGHUP}) {
      if (!ignoredAtStart(signal)) sigaddset(&requests, signal);
    }
  }
  ::pthread_sigmask(SIG_BLOCK, &requests, nullptr);
  std::thread([requests, stop] {
    int signal = 0;
    while (::sigwait(&requests, &signal) != 0) {
    }
    stop(signal);
  }).detach();
}

bool removePath(const std::string& path) { return ::unlink(path.c_str()) == 0 || ::rmdir(path.c_str()) == 0; }

void endProcess(int exitCode) { ::_exit(exitCode); }

}  // namespace interruption_system
