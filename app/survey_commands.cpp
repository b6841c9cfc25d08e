#include "app/survey_commands.h"

#include "app/commands.h"
#include "app/deferred_command.h"
#include "app/feedback.h"
#include "app/program_state.h"
#include "app/ui_texts.h"
#include "app/window_events.h"
#include "core/converter_context.h"
#include "core/sonar_records.h"
#include "platform/files.h"
#include "platform/messages.h"
#include "platform/window.h"
#include "res/resource_ids.h"
#include "survey/channel_survey.h"
#include "survey/ping_count.h"

#include <cstdio>
#include <string>

namespace {

constexpr int CHANNEL_LIST_PIECE_BYTES = 96;  // a piece with the widest float the format can print
constexpr int PING_COUNT_TEXT_BYTES = 48;

std::string channelListText(const ConverterContext& context) {
  std::string text;
  for (int subChannel = 0; subChannel < MAX_CHANNELS; ++subChannel) {
    if (context.channelPresent[subChannel] != 1) continue;
    char piece[CHANNEL_LIST_PIECE_BYTES] = {};
    const double frequency = context.channelFrequency[subChannel];
    switch (context.channelType[subChannel]) {
      case vsk::TYPE_SUBBOTTOM:
        std::snprintf(piece, sizeof piece, CHANNEL_LIST_SUBBOTTOM, subChannel + 1);
        break;
      case vsk::TYPE_PORT:
        std::snprintf(piece, sizeof piece, CHANNEL_LIST_PORT, subChannel + 1, frequency);
        break;
      case vsk::TYPE_STARBOARD:
        std::snprintf(piece, sizeof piece, CHANNEL_LIST_STARBOARD, subChannel + 1, frequency);
        break;
      default:
        break;
    }
    text += piece;
  }
  // The last line feed, or the blank that ends a port piece, goes.
  if (text.size() > 1) text.pop_back();
  return text;
}

}  // namespace

void surveyChannels(HWND window, ConverterContext* context) {
  WindowEvents events(window);
  switch (surveySonarFile(context, events)) {
    case SURVEY_HEADER_UNREADABLE:
      reportSonarFileError(window, context, SONAR_HEADER_ERROR);
      return;
    case SURVEY_NO_SONAR_PING:
      reportSonarFileError(window, context, SONAR_DATA_ERROR);
      return;
    default:
      break;
  }
  SetDlgItemTextA(window, IDC_CHANNEL_LIST, channelListText(*context).c_str());
  armDeferredCommand(window, CMD_COUNT_PINGS);
}

bool startPingCount(HWND window, ConverterContext* context) {
  setStatus(window, STATUS_CHECKING_SONAR_FILE);
  // BROWSE 1001 is greyed by the window for as long as the scan holds the file.
  context->sonarFileSize = fileSize64(context->sonarFile);
  context->progressPercent = 0;
  SetDlgItemTextA(window, IDC_SONAR_PING_COUNT, PING_COUNT_WAIT);
  return PostThreadMessageA(programState().scannerThreadId, WM_COMMAND, CMD_SCANNER_RUN, 0) != FALSE;
}

void takePingCount(HWND window, ConverterContext* context, int result) {
  if (result == VSK_END_OF_FILE) {
    context->sonarFileChecked = 1;
    char text[PING_COUNT_TEXT_BYTES];
    std::snprintf(text, sizeof text, PING_COUNT_FORMAT, static_cast<unsigned long>(context->pingCount));
    SetDlgItemTextA(window, IDC_SONAR_PING_COUNT, text);
    armDeferredCommand(window, CMD_UPDATE_CHANNEL_SETS);
  } else {
    reportSonarFileError(window, context, SONAR_FILE_REFUSED);
  }
  SendDlgItemMessageA(window, IDC_PROGRESS, PBM_SETPOS, 0, 0);
  setStatus(window, STATUS_READY);
  beep();
}

void reportSonarFileError(HWND window, const ConverterContext* context, const char* format) {
  SetDlgItemTextA(window, IDC_SONAR_PING_COUNT, "");
  SetDlgItemTextA(window, IDC_CHANNEL_LIST, "");
  showFileError(window, format, context->sonarFileName);
}
