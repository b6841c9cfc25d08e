#include "app/settings_file.h"

#include "app/commands.h"
#include "app/deferred_command.h"
#include "app/feedback.h"
#include "app/ui_texts.h"
#include "core/conversion_engine.h"
#include "core/converter_context.h"
#include "platform/profile.h"
#include "platform/window.h"
#include "res/resource_ids.h"

#include <cstdio>

namespace {

constexpr int NO_POSITION = 0;
constexpr int PROCESSING_INFO_DEFAULT = 1;
constexpr int BIG_ENDIAN_DEFAULT = 0;
constexpr int SHIP_COORDINATES_DEFAULT = 1;
constexpr WORD PROGRESS_LOW = 0;
constexpr WORD PROGRESS_HIGH = 100;
constexpr int NUMBER_TEXT_BYTES = 16;

UINT readNumber(const char* key, int defaultValue) {
  return GetPrivateProfileIntA(SETTINGS_SECTION, key, defaultValue, SETTINGS_FILE);
}

BOOL writeText(const char* key, const char* value) {
  return WritePrivateProfileStringA(SETTINGS_SECTION, key, value, SETTINGS_FILE);
}

BOOL writeNumber(const char* key, LONG value) {
  char text[NUMBER_TEXT_BYTES];
  std::snprintf(text, sizeof text, "%d", static_cast<int>(value));
  return writeText(key, text);
}

BOOL writeFlag(const char* key, std::uint32_t flag) { return writeText(key, flag != 0 ? "1" : "0"); }

}  // namespace

void initializeProgram(HWND window, ConverterContext* context) {
  setStatus(window, STATUS_INITIALIZING);
  context->sonarFileName[0] = '\0';
  context->sonarFile = INVALID_HANDLE_VALUE;
  context->sonarFileOpen = 0;
  context->sonarFileChecked = 0;
  context->traceSamples = nullptr;
  context->segyFileName[0] = '\0';
  context->segyFile = INVALID_HANDLE_VALUE;
  context->segyFileOpen = 0;
  context->segyFileReady = 0;
  context->conversionStep = STEP_IDLE;
  context->busy = 0;
  context->channelSelection = SELECTION_NONE;
  context->reverseSamples = 0;
  GetPrivateProfileStringA(SETTINGS_SECTION, KEY_LAST_SONAR_FILE, "", context->sonarFileName, PATH_BUFFER_SIZE,
                           SETTINGS_FILE);
  context->showProcessingInfo.store(readNumber(KEY_PROCESSING_INFO, PROCESSING_INFO_DEFAULT),
                                    std::memory_order_relaxed);
  context->bigEndian = readNumber(KEY_BIG_ENDIAN, BIG_ENDIAN_DEFAULT);
  context->useShipCoordinates = readNumber(KEY_SHIP_COORDINATES, SHIP_COORDINATES_DEFAULT);
  SendDlgItemMessageA(window, IDC_PROGRESS, PBM_SETRANGE, 0, MAKELPARAM(PROGRESS_LOW, PROGRESS_HIGH));
  SetCursor(LoadCursorA(nullptr, IDC_ARROW));
  setStatus(window, STATUS_READY);
  postCommand(window, CMD_SHOW_PROCESSING_INFO);
  postCommand(window, CMD_SHOW_BYTE_ORDER);
  postCommand(window, CMD_SHOW_COORDINATE_SOURCE);
}

void restoreWindowPosition(HWND window) {
  const int top = static_cast<int>(readNumber(KEY_WINDOW_TOP, NO_POSITION));
  const int left = static_cast<int>(readNumber(KEY_WINDOW_LEFT, NO_POSITION));
  if (top != NO_POSITION && left != NO_POSITION) {
    SetWindowPos(window, nullptr, left, top, 0, 0, SWP_NOZORDER | SWP_NOSIZE);
  }
}

void saveSettings(HWND window, const ConverterContext& context) {
  RECT rect{};
  GetWindowRect(window, &rect);
  bool saved = writeNumber(KEY_WINDOW_TOP, rect.top) != FALSE;
  saved = writeNumber(KEY_WINDOW_LEFT, rect.left) != FALSE && saved;
  if (writeText(KEY_LAST_SONAR_FILE, context.sonarFileName) == FALSE) {
    saved = writeText(KEY_LAST_SONAR_FILE, "") != FALSE && saved;
  }
  saved = writeFlag(KEY_PROCESSING_INFO, context.showProcessingInfo.load(std::memory_order_relaxed)) != FALSE && saved;
  saved = writeFlag(KEY_BIG_ENDIAN, context.bigEndian) != FALSE && saved;
  saved = writeFlag(KEY_SHIP_COORDINATES, context.useShipCoordinates) != FALSE && saved;
  // Lost settings are said once, naming the file, before the window goes.
  if (!saved) showFileError(window, SETTINGS_WRITE_ERROR, profilePath(SETTINGS_FILE).c_str());
}
