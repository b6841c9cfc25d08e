#include "app/conversion_control.h"

#include "app/channel_selection.h"
#include "app/commands.h"
#include "app/deferred_command.h"
#include "app/feedback.h"
#include "app/file_selection.h"
#include "app/program_state.h"
#include "app/ui_texts.h"
#include "core/conversion_engine.h"
#include "core/converter_context.h"
#include "platform/messages.h"
#include "platform/window.h"
#include "res/resource_ids.h"
#include "survey/channel_survey.h"

namespace {

// The Converter thread is given the run; false when it could not be reached.
bool handOverRun(HWND window, ConverterContext* context, int channel) {
  context->selectedChannel = channel;
  context->tracesPerRecord = tracesForSelection(context->channelSelection);
  setStatus(window, STATUS_CONVERTING);
  context->conversionStep = STEP_IDLE;
  return PostThreadMessageA(programState().converterThreadId, WM_COMMAND, CMD_CONVERTER_RUN, 0) != FALSE;
}

void reportFailedRun(HWND window, const ConverterContext& context) {
  switch (context.conversionOutcome) {
    case CONVERSION_WRITE_FAILED:
      showFileError(window, CONVERSION_WRITE_ERROR, context.segyFileName);
      break;
    case CONVERSION_READ_FAILED:
      showFileError(window, CONVERSION_READ_ERROR, context.sonarFileName);
      break;
    case CONVERSION_OUT_OF_MEMORY:
      showFileError(window, CONVERSION_MEMORY_ERROR, context.sonarFileName);
      break;
    case CONVERSION_NO_TRACES:
      showFileError(window, CONVERSION_NO_TRACES_ERROR, context.sonarFileName);
      break;
    default:
      break;
  }
}

}  // namespace

void prepareConversion(HWND window, ConverterContext* context) {
  EnableWindow(GetDlgItem(window, IDC_PROCESS), FALSE);
  holdFiles(window, FILE_HOLDER_CONVERSION);
  context->busy = 1;
  armDeferredCommand(window, CMD_START_CONVERSION);
}

void startConversion(HWND window, ConverterContext* context) {
  const bool filesReady = context->sonarFileChecked == 1 && context->segyFileReady == 1;
  const int selection = context->channelSelection;
  if (filesReady && selection != SELECTION_NONE) {
    const int channel = channelForSelection(*context, selection);
    if (channel == NO_SUBCHANNEL) {
      showFileError(window, CHANNEL_SET_NOT_IN_FILE, context->sonarFileName);
    } else if (handOverRun(window, context, channel)) {
      return;
    }
  } else {
    if (!filesReady) showError(window, FILES_MISSING);
    if (selection == SELECTION_NONE) showError(window, NO_CHANNELS_SELECTED);
  }
  // Nothing ran, so nothing failed.
  context->conversionOutcome = CONVERSION_OK;
  armDeferredCommand(window, CMD_CONVERSION_DONE);
}

void finishConversion(HWND window, ConverterContext* context) {
  SendDlgItemMessageA(window, IDC_PROGRESS, PBM_SETPOS, 0, 0);
  setStatus(window, STATUS_READY);
  beep();
  EnableWindow(GetDlgItem(window, IDC_PROCESS), TRUE);
  releaseFiles(window, FILE_HOLDER_CONVERSION);
  context->busy = 0;
  if (programState().channelSetsHeldBack) {
    programState().channelSetsHeldBack = false;
    armDeferredCommand(window, CMD_UPDATE_CHANNEL_SETS);
  }
  reportFailedRun(window, *context);
}
