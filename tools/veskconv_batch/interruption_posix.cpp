#include "tools/veskconv_batch/interruption.h"

#include "tools/veskconv_batch/batch_texts.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <mutex>
#include <thread>
#include <vector>

namespace {

constexpr int SIGNAL_EXIT_BASE = 128;

struct Watch {
  std::recursive_mutex mutex;
  std::vector<std::string> temporaries;
  std::function<void(int)> hook;
};

Watch& watch() {
  static auto* instance = new Watch;  // the watcher may outlive static destruction
  return *instance;
}

constexpr int STOP_SIGNALS[] = {SIGINT, SIGTERM, SIGHUP};

// The handler only passes the signal on: whichever thread the kernel picks
// (the program's, or one a library started), the watcher takes it from here.
int signalPipe[2] = {-1, -1};

void passOn(int signal) {
  const int saved = errno;
  const auto byte = static_cast<unsigned char>(signal);
  [[maybe_unused]] const ssize_t written = ::write(signalPipe[1], &byte, 1);
  errno = saved;
}

[[noreturn]] void endOnSignal(int signal) {
  Watch& state = watch();
  std::lock_guard<std::recursive_mutex> lock(state.mutex);
  if (state.hook) state.hook(signal);
  for (auto path = state.temporaries.rbegin(); path != state.temporaries.rend(); ++path) {
    if (::unlink(path->c_str()) != 0) ::rmdir(path->c_str());
  }
  std::fprintf(stderr, "\n%s: %s\n", PROGRAM_TAG, INTERRUPTED);
  std::fflush(stderr);
  ::_exit(SIGNAL_EXIT_BASE + signal);
}

}  // namespace

void watchForInterruption() {
  if (::pipe2(signalPipe, O_CLOEXEC) != 0) return;
  std::thread([] {
    unsigned char signal = 0;
    while (::read(signalPipe[0], &signal, 1) != 1) {
    }
    endOnSignal(signal);
  }).detach();
  struct sigaction action {};
  action.sa_handler = passOn;
  action.sa_flags = SA_RESTART;
  sigemptyset(&action.sa_mask);
  for (const int signal : STOP_SIGNALS) ::sigaction(signal, &action, nullptr);
}

void interruptNow(int signal) { endOnSignal(signal); }

void addTemporary(const std::string& path) {
  std::lock_guard<std::recursive_mutex> lock(watch().mutex);
  watch().temporaries.push_back(path);
}

void forgetTemporary(const std::string& path) {
  std::lock_guard<std::recursive_mutex> lock(watch().mutex);
  std::vector<std::string>& paths = watch().temporaries;
  paths.erase(std::remove(paths.begin(), paths.end(), path), paths.end());
}

void withoutInterruption(const std::function<void()>& work) {
  std::lock_guard<std::recursive_mutex> lock(watch().mutex);
  work();
}

void onInterruption(std::function<void(int)> hook) {
  std::lock_guard<std::recursive_mutex> lock(watch().mutex);
  watch().hook = std::move(hook);
}
