#include "tools/veskconv_batch/interruption_system.h"

#include "platform/code_page_text.h"

#include <windows.h>

// Windows hands each console event to a thread it starts for the purpose:
// that thread is the watcher, and it never returns (Windows would end the
// process with STATUS_CONTROL_C_EXIT, leaving the temporaries). The signal
// numbers are those the C runtime gives the events.
namespace {

constexpr int HANGUP_SIGNAL = 1;     // the console was closed, or the user logs off: SIGHUP on Linux
constexpr int INTERRUPT_SIGNAL = 2;  // Ctrl-C: SIGINT
constexpr int BREAK_SIGNAL = 21;     // Ctrl-Break: SIGBREAK

void (*stopOnEvent)(int) = nullptr;
ProcessRole processRole = ProcessRole::Batch;

BOOL WINAPI onConsoleEvent(DWORD event) {
  switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
      // A worker leaves them to its batch, which stops it.
      if (processRole == ProcessRole::Worker) return TRUE;
      stopOnEvent(event == CTRL_C_EVENT ? INTERRUPT_SIGNAL : BREAK_SIGNAL);
      return TRUE;
    default:  // close, logoff, shutdown: Windows ends every process of the console soon
      stopOnEvent(processRole == ProcessRole::Worker ? STOP_SIGNAL : HANGUP_SIGNAL);
      return TRUE;
  }
}

}  // namespace

namespace interruption_system {

void takeStopRequests(ProcessRole role, void (*stop)(int signal)) {
  processRole = role;
  stopOnEvent = stop;
  ::SetConsoleCtrlHandler(onConsoleEvent, TRUE);
}

bool removePath(const std::string& path) {
  const std::wstring name = codepage::toWide(path);
  return ::DeleteFileW(name.c_str()) || ::RemoveDirectoryW(name.c_str());
}

// Not ExitProcess: the other threads stop where they are, holding no lock
// that the process's end would wait for.
void endProcess(int exitCode) {
  ::TerminateProcess(::GetCurrentProcess(), static_cast<UINT>(exitCode));
  for (;;) ::Sleep(INFINITE);
}

}  // namespace interruption_system
