#include "app/quit_handshake.h"

#include "app/commands.h"
#include "app/feedback.h"
#include "app/file_selection.h"
#include "app/program_state.h"
#include "app/settings_file.h"
#include "app/ui_texts.h"
#include "core/converter_context.h"
#include "platform/messages.h"
#include "platform/window.h"

#include <cstdlib>

void quitHandshake(HWND window, ConverterContext* context, int command) {
  ProgramState& workers = programState();
  setStatus(window, STATUS_QUITTING);
  switch (command) {
    case CMD_CONVERTER_GONE:
      workers.converterThreadId = NO_THREAD;
      break;
    case CMD_SCANNER_GONE:
      workers.scannerThreadId = NO_THREAD;
      break;
    default:
      PostThreadMessageA(workers.converterThreadId, WM_COMMAND, CMD_CONVERTER_EXIT, 0);
      PostThreadMessageA(workers.scannerThreadId, WM_COMMAND, CMD_SCANNER_EXIT, 0);
      break;
  }
  if (workers.converterThreadId != NO_THREAD || workers.scannerThreadId != NO_THREAD) return;
  std::free(context->traceSamples);
  context->traceSamples = nullptr;
  context->traceSamplesCapacity = 0;
  saveSettings(window, *context);
  closeSonarFile(context);
  closeSegyFile(context);
  DestroyWindow(window);
}
