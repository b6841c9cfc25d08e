#include "tools/veskconv_batch/interruption.h"

#include "tools/veskconv_batch/batch_texts.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <mutex>
#include <vector>

// Windows hands each console event to a thread it starts for the purpose:
// that thread is the watcher. It waits for any withoutInterruption work to
// return (the same lock), then ends the process itself, so Windows' own
// handling (which would end it with STATUS_CONTROL_C_EXIT and leave the
// temporaries) never runs. The exit codes are Linux's for the same request:
// 128 + the signal the C runtime gives the event.
namespace {

constexpr int SIGNAL_EXIT_BASE = 128;
constexpr int HANGUP_SIGNAL = 1;      // the console was closed, or the user logs off: SIGHUP on Linux
constexpr int INTERRUPT_SIGNAL = 2;   // Ctrl-C: SIGINT
constexpr int BREAK_SIGNAL = 21;      // Ctrl-Break: SIGBREAK

struct Watch {
  std::recursive_mutex mutex;
  std::vector<std::string> temporaries;
  std::function<void(int)> hook;
};

Watch& watch() {
  static auto* instance = new Watch;  // the watcher may outlive static destruction
  return *instance;
}

int signalOf(DWORD event) {
  switch (event) {
    case CTRL_C_EVENT: return INTERRUPT_SIGNAL;
    case CTRL_BREAK_EVENT: return BREAK_SIGNAL;
    default: return HANGUP_SIGNAL;  // close, logoff, shutdown
  }
}

[[noreturn]] void endOnSignal(int signal) {
  Watch& state = watch();
  std::lock_guard<std::recursive_mutex> lock(state.mutex);
  if (state.hook) state.hook(signal);
  for (auto path = state.temporaries.rbegin(); path != state.temporaries.rend(); ++path) {
    if (!::DeleteFileA(path->c_str())) ::RemoveDirectoryA(path->c_str());
  }
  std::fprintf(stderr, "\n%s: %s\n", PROGRAM_TAG, INTERRUPTED);
  std::fflush(stderr);
  // Not ExitProcess: the other threads stop where they are, holding no
  // lock that the process's end would wait for.
  ::TerminateProcess(::GetCurrentProcess(), static_cast<UINT>(SIGNAL_EXIT_BASE + signal));
  for (;;) ::Sleep(INFINITE);
}

BOOL WINAPI onConsoleEvent(DWORD event) { endOnSignal(signalOf(event)); }

}  // namespace

void watchForInterruption() { ::SetConsoleCtrlHandler(onConsoleEvent, TRUE); }

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
