#include "app/command_dispatch.h"

#include "app/channel_selection.h"
#include "app/commands.h"
#include "app/conversion_control.h"
#include "app/deferred_command.h"
#include "app/file_selection.h"
#include "app/option_marks.h"
#include "app/program_state.h"
#include "app/quit_handshake.h"
#include "app/settings_file.h"
#include "app/survey_commands.h"
#include "res/resource_ids.h"

namespace {

// A flag flips to 1 from 0 and to 0 from any other value.
template <typename Flag>
Flag flipped(Flag flag) {
  return flag == 0 ? Flag{1} : Flag{0};
}

// While a conversion runs it reads the channel choice and the options, so a
// click on their controls changes nothing.
void onChoiceClick(HWND window, ConverterContext* context, int controlId) {
  if (context->busy != 0) return;
  switch (controlId) {
    case IDC_BIG_ENDIAN:
    case IDC_LITTLE_ENDIAN:
      context->bigEndian = flipped(context->bigEndian);
      postCommand(window, CMD_SHOW_BYTE_ORDER);
      break;
    case IDC_SHIP:
    case IDC_SENSOR:
      context->useShipCoordinates = controlId == IDC_SHIP ? 1 : 0;
      postCommand(window, CMD_SHOW_COORDINATE_SOURCE);
      break;
    case IDC_REVERSE_SAMPLES:
      context->reverseSamples = flipped(context->reverseSamples);
      postCommand(window, CMD_SHOW_CHANNEL_SELECTION);
      break;
    default:
      context->channelSelection = selectionForBox(controlId);
      postCommand(window, CMD_SHOW_CHANNEL_SELECTION);
      break;
  }
}

void onProcessingInfoClick(HWND window, ConverterContext* context) {
  context->showProcessingInfo.store(flipped(context->showProcessingInfo.load(std::memory_order_relaxed)),
                                    std::memory_order_relaxed);
  armDeferredCommand(window, CMD_SHOW_PROCESSING_INFO);
}

void onCountPings(HWND window, ConverterContext* context) {
  holdFiles(window, FILE_HOLDER_SCAN);
  if (!startPingCount(window, context)) releaseFiles(window, FILE_HOLDER_SCAN);
}

void onScanDone(HWND window, ConverterContext* context, LPARAM result) {
  takePingCount(window, context, static_cast<int>(result));
  releaseFiles(window, FILE_HOLDER_SCAN);
}

}  // namespace

BOOL dispatchCommand(HWND window, WPARAM wParam, LPARAM lParam) {
  ConverterContext* context = &converterContext();
  const int id = LOWORD(wParam);
  if (selectionForBox(id) != SELECTION_NONE) {
    onChoiceClick(window, context, id);
    return TRUE;
  }
  switch (id) {
    case CMD_CONVERTER_GONE:
    case CMD_SCANNER_GONE:
    case CMD_QUIT:
      quitHandshake(window, context, id);
      break;
    case CMD_CONVERSION_DONE:
      finishConversion(window, context);
      break;
    case CMD_SCAN_DONE:
      onScanDone(window, context, lParam);
      break;
    case CMD_START_CONVERSION:
      startConversion(window, context);
      break;
    case CMD_INITIALIZE:
      initializeProgram(window, context);
      break;
    case CMD_SELECT_SONAR_FILE:
      selectSonarFile(window, context);
      break;
    case CMD_TAKE_GIVEN_SONAR_FILE:
      takeSonarFileName(window, context, programState().givenSonarFileName);
      break;
    case CMD_OPEN_SONAR_FILE:
      openSonarFile(window, context);
      break;
    case CMD_SURVEY_SONAR_FILE:
      surveyChannels(window, context);
      break;
    case CMD_COUNT_PINGS:
      onCountPings(window, context);
      break;
    case CMD_SHOW_PROCESSING_INFO:
      showProcessingInfo(window, *context);
      break;
    case CMD_PREPARE_CONVERSION:
      prepareConversion(window, context);
      break;
    case CMD_UPDATE_CHANNEL_SETS:
      updateChannelSets(window, context);
      break;
    case CMD_SELECT_SEGY_FILE:
      selectSegyFile(window, context);
      break;
    case CMD_OPEN_SEGY_FILE:
      openSegyFile(window, context);
      break;
    case CMD_SEGY_FILE_READY:
      markSegyFileReady(window, context);
      break;
    case CMD_SHOW_CHANNEL_SELECTION:
      showChannelSelection(window, context);
      break;
    case CMD_SHOW_BYTE_ORDER:
      showByteOrder(window, *context);
      break;
    case CMD_SHOW_COORDINATE_SOURCE:
      showCoordinateSource(window, *context);
      break;
    case IDC_EXIT:
    case IDM_EXIT:
      postCommand(window, CMD_QUIT);
      break;
    case IDC_BROWSE_SONAR:
    case IDM_SELECT_SONAR_FILE:
      postCommand(window, CMD_SELECT_SONAR_FILE);
      break;
    case IDC_BROWSE_SEGY:
    case IDM_SELECT_SEGY_FILE:
      postCommand(window, CMD_SELECT_SEGY_FILE);
      break;
    case IDC_PROCESS:
      armDeferredCommand(window, CMD_PREPARE_CONVERSION);
      break;
    case IDC_BIG_ENDIAN:
    case IDC_LITTLE_ENDIAN:
    case IDC_SHIP:
    case IDC_SENSOR:
    case IDC_REVERSE_SAMPLES:
      onChoiceClick(window, context, id);
      break;
    case IDC_VERBOSE:
    case IDM_PROCESSING_INFO:
      onProcessingInfoClick(window, context);
      break;
    default:
      return FALSE;
  }
  return TRUE;
}
