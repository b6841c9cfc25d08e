#include "app/main_window.h"

#include "app/command_dispatch.h"
#include "app/commands.h"
#include "app/deferred_command.h"
#include "app/file_selection.h"
#include "app/program_state.h"
#include "app/settings_file.h"
#include "app/ui_texts.h"
#include "app/worker_threads.h"
#include "platform/file_drops.h"
#include "platform/messages.h"
#include "platform/window.h"

#include <cstdio>

namespace {

constexpr int TITLE_BYTES = 128;
constexpr int QUIT_EXIT_CODE = 0;

// Runs before the dialog manager has made the controls: none is touched here.
void createWindow(HWND window) {
  startWorkers(&programState(), window);
  char title[TITLE_BYTES];
  std::snprintf(title, sizeof title, TITLE_FORMAT, PROGRAM_NAME, PROGRAM_PURPOSE);
  SetWindowTextA(window, title);
  HMENU systemMenu = GetSystemMenu(window, FALSE);
  EnableMenuItem(systemMenu, SC_MAXIMIZE, MF_BYCOMMAND | MF_GRAYED);
  EnableMenuItem(systemMenu, SC_SIZE, MF_BYCOMMAND | MF_GRAYED);
  restoreWindowPosition(window);
  DragAcceptFiles(window, TRUE);
}

}  // namespace

LRESULT mainWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      createWindow(window);
      return 0;
    case WM_CLOSE:
      // Destroyed only at the end of the quit handshake.
      postCommand(window, CMD_QUIT);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(QUIT_EXIT_CODE);
      return 0;
    case WM_TIMER:
      KillTimer(window, wParam);
      PostMessageA(window, WM_COMMAND, wParam, 0);
      return 0;
    case WM_DROPFILES:
      takeDroppedFiles(window, &converterContext(), reinterpret_cast<HDROP>(wParam));
      return 0;
    case WM_COMMAND:
      if (dispatchCommand(window, wParam, lParam) != FALSE) return 0;
      break;
    default:
      break;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}
