#include "app/worker_threads.h"

#include "app/commands.h"
#include "app/deferred_command.h"
#include "app/feedback.h"
#include "core/conversion_engine.h"
#include "core/converter_context.h"
#include "platform/files.h"
#include "platform/messages.h"
#include "platform/threads.h"
#include "survey/ping_count.h"

namespace {

constexpr std::size_t DEFAULT_STACK = 0;
constexpr DWORD RUN_AT_ONCE = 0;

using CommandHandler = bool (*)(ConverterContext* context, WPARAM command);

// Each handler returns false once it has taken its exit command.
bool converterCommand(ConverterContext* context, WPARAM command) {
  switch (command) {
    case CMD_CONVERTER_EXIT:
      postCommand(context->window, CMD_CONVERTER_GONE);
      return false;
    case CMD_CONVERTER_RUN:
      runConversion(context);
      postCommand(context->window, CMD_CONVERSION_DONE);
      return true;
    default:
      beep();
      return true;
  }
}

bool scannerCommand(ConverterContext* context, WPARAM command) {
  switch (command) {
    case CMD_SCANNER_EXIT:
      postCommand(context->window, CMD_SCANNER_GONE);
      return false;
    case CMD_SCANNER_RUN: {
      const int result = countPings(context);
      PostMessageA(context->window, WM_COMMAND, CMD_SCAN_DONE, static_cast<LPARAM>(result));
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
  auto* context = static_cast<ConverterContext*>(parameter);
  bool running = true;
  while (running) {
    WaitMessage();
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE) != FALSE) {
      if (message.message != WM_COMMAND || !running) continue;
      running = handle(context, message.wParam);
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

void startWorkers(ConverterContext* context, HWND window) {
  context->window = window;
  context->converterThreadId = NO_THREAD;
  context->scannerThreadId = NO_THREAD;
  context->converterThread =
      CreateThread(nullptr, DEFAULT_STACK, workerLoop<converterCommand>, context, RUN_AT_ONCE, &context->converterThreadId);
  context->scannerThread =
      CreateThread(nullptr, DEFAULT_STACK, workerLoop<scannerCommand>, context, RUN_AT_ONCE, &context->scannerThreadId);
}

void joinWorkers(ConverterContext* context) {
  joinThread(&context->converterThread);
  joinThread(&context->scannerThread);
}
