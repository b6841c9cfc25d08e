#include "survey/ping_count.h"

#include "app/commands.h"
#include "app/deferred_command.h"
#include "app/feedback.h"
#include "app/ui_texts.h"
#include "core/converter_context.h"
#include "core/sonar_records.h"
#include "platform/files.h"
#include "platform/window.h"
#include "res/resource_ids.h"
#include "survey/sonar_file_error.h"
#include "vsktools/vsk_layout.h"
#include "vsktools/vsk_reader.h"

#include <algorithm>
#include <cstdio>

namespace {

constexpr std::uint64_t PERCENT = 100;
constexpr int PING_COUNT_TEXT_BYTES = 48;

// A survey that grows while it is counted is counted on: the bar stays full.
int percentOf(std::uint64_t position, std::uint64_t size) {
  if (size == 0) return 0;
  return static_cast<int>(std::min(position * PERCENT / size, PERCENT));
}

}  // namespace

bool startPingCount(HWND window, ConverterContext* context) {
  setStatus(window, STATUS_CHECKING_SONAR_FILE);
  // BROWSE 1001 is greyed by the window for as long as the scan holds the file.
  context->sonarFileSize = fileSize64(context->sonarFile);
  context->progressPercent = 0;
  SetDlgItemTextA(window, IDC_SONAR_PING_COUNT, PING_COUNT_WAIT);
  return PostThreadMessageA(context->scannerThreadId, WM_COMMAND, CMD_SCANNER_RUN, 0) != FALSE;
}

int countPings(ConverterContext* context) {
  for (;;) {
    // Only each record's start is needed: the bodies are stepped over.
    int headerType = 0;
    const int result = SkipNextVSKData(context->sonarFile, &headerType);
    context->sonarFilePosition = filePosition64(context->sonarFile);
    if (result == VSK_END_OF_FILE) {
      // The conversion checks the survey against the bytes counted here,
      // even if it grew while it was counted.
      context->sonarFileSize = context->sonarFilePosition;
      return result;
    }
    if (result != VSK_OK) return result;
    if (headerType == vsk::HEADER_TYPE_PING) ++context->pingCount;
    const int percent = percentOf(context->sonarFilePosition, context->sonarFileSize);
    if (percent != context->progressPercent) {
      context->progressPercent = percent;
      SendDlgItemMessageA(context->window, IDC_PROGRESS, PBM_SETPOS, static_cast<WPARAM>(percent), 0);
    }
  }
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
