#include "app/worker_threads.h"

#include "app/commands.h"
#include "app/deferred_command.h"
#include "app/feedback.h"
#include "app/program_state.h"
#include "app/window_events.h"
#include "core/conversion_engine.h"
#include "platform/files.h"
#include "platform/messages.h"
#include "platform/threads.h"
#include "survey/ping_count.h"

namespace {

constexpr std::size_t DEFAULT_STACK = 0;
constexpr DWORD RUN_AT_ONCE = 0;

using CommandHandler = bool (*)(ProgramState* state, WindowEvents& events, WPARAM command);

// Each handler returns false once it has taken its exit command.
bool converterCommand(ProgramState* state, WindowEvents& events, WPARAM command) {
  switch (command) {
    case CMD_CONVERTER_EXIT:
      postCommand(state->window, CMD_CONVERTER_GONE);
      return false;
    case CMD_CONVERTER_RUN:
      runConversion(&state->context, events);
      events.showLastPing();
      postCommand(state->window, CMD_CONVERSION_DONE);
      return true;
    default:
      beep();
      return true;
  }
}

bool scannerCommand(ProgramState* state, WindowEvents& events, WPARAM command) {
  switch (command) {
    case CMD_SCANNER_EXIT:
      postCommand(state->window, CMD_SCANNER_GONE);
      return false;
    case CMD_SCANNER_RUN: {
      const int result = countPings(&state->context, events);
      PostMessageA(state->window, WM_COMMAND, CMD_SCAN_DONE, static_cast<LPARAM>(result));
      return true;
    }
    default:
      return true;
  }
}

// Commands already queued behind the exit command are dropped: a program
// that is closing starts no more work.
template <CommandHandler handle>
DWORD workerLoop(void* parameter) {
  auto* state = static_cast<ProgramState*>(parameter);
  WindowEvents events(state->window);
  bool running = true;
  while (running) {
    WaitMessage();
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE) != FALSE) {
      if (message.message != WM_COMMAND || !running) continue;
      running = handle(state, events, message.wParam);
    }
  }
  return 0;
}

void joinThread(HANDLE* thread) {
  if (*thread == nullptr) return;
  WaitForSingleObject(*thread, INFINITE);
  CloseHandle(*thread);
  *thread = nullptr;
}

}  // namespace

void startWorkers(ProgramState* state, HWND window) {
  state->window = window;
  state->converterThreadId = NO_THREAD;
  state->scannerThreadId = NO_THREAD;
  state->converterThread =
      CreateThread(nullptr, DEFAULT_STACK, workerLoop<converterCommand>, state, RUN_AT_ONCE, &state->converterThreadId);
  state->scannerThread =
      CreateThread(nullptr, DEFAULT_STACK, workerLoop<scannerCommand>, state, RUN_AT_ONCE, &state->scannerThreadId);
}

void joinWorkers(ProgramState* state) {
  joinThread(&state->converterThread);
  joinThread(&state->scannerThread);
}
