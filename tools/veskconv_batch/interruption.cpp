#include "tools/veskconv_batch/interruption.h"

#include "tools/veskconv_batch/batch_texts.h"
#include "tools/veskconv_batch/interruption_system.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <mutex>
#include <thread>
#include <vector>

namespace {

struct Watch {
  std::recursive_mutex mutex;
  ProcessRole role = ProcessRole::Batch;
  bool stopping = false;
  std::vector<std::string> temporaries;
  std::function<void(const std::string&, bool)> listener;
  std::function<void(int)> stopHelpers;
  std::function<void()> lastWords;
};

Watch& watch() {
  static auto* instance = new Watch;  // the watcher may outlive static destruction
  return *instance;
}

// A thread that must not go on once a stop has begun waits here for the end.
[[noreturn]] void waitForTheEnd() {
  for (;;) std::this_thread::sleep_for(std::chrono::hours(1));
}

void tell(const std::string& path, bool exists) {
  std::function<void(const std::string&, bool)> listener;
  {
    std::lock_guard<std::recursive_mutex> lock(watch().mutex);
    listener = watch().listener;
  }
  // Outside the lock: telling may fail and end the process, which takes it.
  if (listener) listener(path, exists);
}

[[noreturn]] void endOnSignal(int signal) {
  Watch& state = watch();
  std::function<void(int)> stopHelpers;
  {
    std::lock_guard<std::recursive_mutex> lock(state.mutex);
    if (state.stopping) {
      // A second request, or a failing write while stopping: the first ends it.
      waitForTheEnd();
    }
    state.stopping = true;
    stopHelpers = state.stopHelpers;
  }
  if (stopHelpers) stopHelpers(signal);
  std::lock_guard<std::recursive_mutex> lock(state.mutex);
  if (state.lastWords) state.lastWords();
  for (auto path = state.temporaries.rbegin(); path != state.temporaries.rend(); ++path) {
    interruption_system::removePath(*path);
  }
  if (state.role == ProcessRole::Batch) {
    std::fprintf(stderr, "%s: %s\n", PROGRAM_TAG, INTERRUPTED);
    std::fflush(stderr);
  }
  interruption_system::endProcess(SIGNAL_EXIT_BASE + signal);
}

}  // namespace

void watchForInterruption(ProcessRole role) {
  watch().role = role;
  interruption_system::takeStopRequests(role, endOnSignal);
}

void interruptNow(int signal) { endOnSignal(signal); }

void addTemporary(const std::string& path) {
  {
    std::lock_guard<std::recursive_mutex> lock(watch().mutex);
    watch().temporaries.push_back(path);
  }
  tell(path, true);
}

void forgetTemporary(const std::string& path) {
  {
    std::lock_guard<std::recursive_mutex> lock(watch().mutex);
    std::vector<std::string>& paths = watch().temporaries;
    const auto found = std::find(paths.rbegin(), paths.rend(), path);
    if (found == paths.rend()) return;
    paths.erase(std::next(found).base());
  }
  tell(path, false);
}

// Not withoutInterruption: a batch removes what its lost workers left also
// while it stops.
void removeTemporary(const std::string& path) {
  std::lock_guard<std::recursive_mutex> lock(watch().mutex);
  interruption_system::removePath(path);
  forgetTemporary(path);
}

void onTemporaries(std::function<void(const std::string&, bool)> listener) {
  std::lock_guard<std::recursive_mutex> lock(watch().mutex);
  watch().listener = std::move(listener);
}

void withoutInterruption(const std::function<void()>& work) {
  std::unique_lock<std::recursive_mutex> lock(watch().mutex);
  if (watch().stopping) {
    lock.unlock();
    waitForTheEnd();
  }
  work();
}

void onInterruption(std::function<void(int)> stopHelpers) {
  std::lock_guard<std::recursive_mutex> lock(watch().mutex);
  watch().stopHelpers = std::move(stopHelpers);
}

void onInterrupted(std::function<void()> lastWords) {
  std::lock_guard<std::recursive_mutex> lock(watch().mutex);
  watch().lastWords = std::move(lastWords);
}
