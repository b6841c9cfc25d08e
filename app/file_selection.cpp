#include "app/file_selection.h"

#include "app/commands.h"
#include "app/deferred_command.h"
#include "app/feedback.h"
#include "app/ui_texts.h"
#include "platform/dialogs.h"
#include "platform/file_drops.h"
#include "platform/files.h"
#include "platform/split_path.h"
#include "platform/window.h"
#include "res/resource_ids.h"

#include <cstdio>
#include <cstring>
#include <initializer_list>

namespace {

constexpr DWORD OPEN_FLAGS = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
constexpr DWORD SAVE_FLAGS = OFN_EXPLORER | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;
constexpr DWORD FIRST_FILTER = 1;

void enableFileSelection(HWND window, BOOL enable) {
  EnableWindow(GetDlgItem(window, IDC_BROWSE_SONAR), enable);
  EnableWindow(GetDlgItem(window, IDC_BROWSE_SEGY), enable);
  HMENU menu = GetMenu(window);
  const UINT state = MF_BYCOMMAND | (enable ? MF_ENABLED : MF_GRAYED);
  EnableMenuItem(menu, IDM_SELECT_SONAR_FILE, state);
  EnableMenuItem(menu, IDM_SELECT_SEGY_FILE, state);
  DragAcceptFiles(window, enable);
}

bool filesHeld() { return programState().fileHolders != 0; }

// Steps still armed for the file being dropped must not run on the next one.
void cancelPendingSteps(HWND window, std::initializer_list<int> commands) {
  for (int command : commands) KillTimer(window, static_cast<UINT_PTR>(command));
}

void clearChannelTables(ConverterContext* context) {
  for (int k = 0; k < MAX_CHANNELS; ++k) {
    context->channelPresent[k] = 0;
    context->channelType[k] = -1;
    context->channelFrequency[k] = 0.0f;
    context->channelSamples[k] = 0;
    context->channelDuration[k] = 0.0f;
  }
}

// The VSK file's drive, folder and base name with the SEG-Y extension; the
// name stays as it is when that would not fit the buffer.
void offerDefaultSegyName(ConverterContext* context) {
  char drive[_MAX_DRIVE];
  char folder[_MAX_DIR];
  char base[_MAX_FNAME];
  _splitpath(context->sonarFileName, drive, folder, base, nullptr);
  char name[PATH_BUFFER_SIZE];
  const int length = std::snprintf(name, sizeof name, "%s%s%s.%s", drive, folder, base, SEGY_FILE_EXTENSION);
  if (length > 0 && length < PATH_BUFFER_SIZE)
    std::memcpy(context->segyFileName, name, static_cast<std::size_t>(length) + 1);
}

}  // namespace

int chooseFile(HWND window, char* name, const char* filter, const char* defaultExtension, const char* title, int save) {
  OPENFILENAMEA dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = window;
  dialog.lpstrFilter = filter;
  dialog.nFilterIndex = FIRST_FILTER;
  dialog.lpstrFile = name;
  dialog.nMaxFile = DIALOG_NAME_LIMIT;
  dialog.lpstrTitle = title;
  dialog.Flags = save != 0 ? SAVE_FLAGS : OPEN_FLAGS;
  dialog.lpstrDefExt = defaultExtension;
  const BOOL chosen = save != 0 ? GetSaveFileNameA(&dialog) : GetOpenFileNameA(&dialog);
  return chosen != FALSE ? 1 : 0;
}

namespace {

// BROWSE 1001's steps; the open dialog asks for the name unless given one,
// which is then taken as if the dialog had returned it.
void selectSonarFileAs(HWND window, ConverterContext* context, const std::string* givenName) {
  cancelPendingSteps(window, {CMD_OPEN_SONAR_FILE, CMD_SURVEY_SONAR_FILE, CMD_COUNT_PINGS});
  setStatus(window, STATUS_SELECTING_SONAR_FILE);
  closeSonarFile(context);
  context->sonarFileChecked = 0;
  context->pingCount = 0;
  clearChannelTables(context);
  SetDlgItemTextA(window, IDC_SONAR_PING_COUNT, "");
  SetDlgItemTextA(window, IDC_CHANNEL_LIST, "");
  if (givenName != nullptr) std::memcpy(context->sonarFileName, givenName->c_str(), givenName->size() + 1);
  if (givenName != nullptr ||
      chooseFile(window, context->sonarFileName, SONAR_FILE_FILTER, SONAR_FILE_EXTENSION, SONAR_DIALOG_TITLE, 0) != 0) {
    SetDlgItemTextA(window, IDC_SONAR_FILE_NAME, context->sonarFileName);
    armDeferredCommand(window, CMD_OPEN_SONAR_FILE);
  } else {
    SetDlgItemTextA(window, IDC_SONAR_FILE_NAME, "");
  }
  setStatus(window, STATUS_READY);
}

}  // namespace

void selectSonarFile(HWND window, ConverterContext* context) {
  if (filesHeld()) return;
  selectSonarFileAs(window, context, nullptr);
}

bool takeSonarFileName(HWND window, ConverterContext* context, const std::string& name) {
  if (filesHeld()) return false;
  // Longer than the dialog can return: the program could not hold it.
  if (name.empty() || name.size() + 1 > DIALOG_NAME_LIMIT) {
    showFileError(window, SONAR_OPEN_ERROR, name.c_str());
    return true;
  }
  selectSonarFileAs(window, context, &name);
  return true;
}

void takeDroppedFiles(HWND window, ConverterContext* context, HDROP drop) {
  std::string name;
  const UINT count = DragQueryFileA(drop, DROPPED_FILE_COUNT, nullptr, 0);
  if (count == 1) {
    name.resize(DragQueryFileA(drop, 0, nullptr, 0));
    DragQueryFileA(drop, 0, name.data(), static_cast<UINT>(name.size() + 1));
  }
  DragFinish(drop);
  if (count != 1 || !takeSonarFileName(window, context, name)) beep();
}

void openSonarFile(HWND window, ConverterContext* context) {
  setStatus(window, STATUS_OPENING_SONAR_FILE);
  context->sonarFile =
      CreateFileA(context->sonarFileName, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  context->sonarFileOpen = context->sonarFile != INVALID_HANDLE_VALUE ? 1 : 0;
  if (context->sonarFileOpen != 0) {
    armDeferredCommand(window, CMD_SURVEY_SONAR_FILE);
  } else {
    showFileError(window, SONAR_OPEN_ERROR, context->sonarFileName);
  }
  setStatus(window, STATUS_READY);
}

void selectSegyFile(HWND window, ConverterContext* context) {
  if (filesHeld()) return;
  cancelPendingSteps(window, {CMD_OPEN_SEGY_FILE, CMD_SEGY_FILE_READY});
  setStatus(window, STATUS_SELECTING_SEGY_FILE);
  closeSegyFile(context);
  context->segyFileReady = 0;
  if (context->sonarFileChecked == 1) offerDefaultSegyName(context);
  if (chooseFile(window, context->segyFileName, SEGY_FILE_FILTER, SEGY_FILE_EXTENSION, SEGY_DIALOG_TITLE, 1) != 0) {
    SetDlgItemTextA(window, IDC_SEGY_FILE_NAME, context->segyFileName);
    armDeferredCommand(window, CMD_OPEN_SEGY_FILE);
  } else {
    SetDlgItemTextA(window, IDC_SEGY_FILE_NAME, "");
  }
  setStatus(window, STATUS_READY);
}

void openSegyFile(HWND window, ConverterContext* context) {
  setStatus(window, STATUS_OPENING_SEGY_FILE);
  context->segyFile =
      CreateFileA(context->segyFileName, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  context->segyFileOpen = context->segyFile != INVALID_HANDLE_VALUE ? 1 : 0;
  if (context->segyFileOpen != 0) {
    armDeferredCommand(window, CMD_SEGY_FILE_READY);
  } else {
    showFileError(window, SEGY_OPEN_ERROR, context->segyFileName);
  }
  setStatus(window, STATUS_READY);
}

void markSegyFileReady(HWND window, ConverterContext* context) {
  setStatus(window, STATUS_CHECKING_SEGY_FILE);
  context->segyFileReady = 1;
  armDeferredCommand(window, CMD_UPDATE_CHANNEL_SETS);
  setStatus(window, STATUS_READY);
}

void holdFiles(HWND window, FileHolder holder) {
  programState().fileHolders |= holder;
  enableFileSelection(window, FALSE);
}

void releaseFiles(HWND window, FileHolder holder) {
  programState().fileHolders &= ~static_cast<unsigned>(holder);
  if (!filesHeld()) enableFileSelection(window, TRUE);
}

void closeSonarFile(ConverterContext* context) {
  if (context->sonarFileOpen == 0) return;
  CloseHandle(context->sonarFile);
  context->sonarFile = INVALID_HANDLE_VALUE;
  context->sonarFileOpen = 0;
}

void closeSegyFile(ConverterContext* context) {
  if (context->segyFileOpen == 0) return;
  CloseHandle(context->segyFile);
  context->segyFile = INVALID_HANDLE_VALUE;
  context->segyFileOpen = 0;
}
