#include "tools/veskconv_batch/interruption.h"

#include "tools/veskconv_batch/batch_texts.h"

#include <signal.h>
#include <unistd.h>

#include <algorithm>
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

sigset_t stopSignals() {
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGINT);
  sigaddset(&set, SIGTERM);
  sigaddset(&set, SIGHUP);
  return set;
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
  const sigset_t set = stopSignals();
  pthread_sigmask(SIG_BLOCK, &set, nullptr);
  std::thread([set] {
    int signal = 0;
    while (sigwait(&set, &signal) != 0) {
    }
    endOnSignal(signal);
  }).detach();
}

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
