#include "app/program.h"

#include "app/commands.h"
#include "app/deferred_command.h"
#include "app/main_window.h"
#include "app/program_state.h"
#include "app/ui_texts.h"
#include "app/worker_threads.h"
#include "platform/messages.h"
#include "platform/window.h"
#include "res/resource_ids.h"

namespace {

constexpr std::intptr_t MENU_COLOUR_BRUSH = COLOR_MENU + 1;

bool registerWindowClass(HINSTANCE instance) {
  WNDCLASSA windowClass{};
  windowClass.style = CS_HREDRAW | CS_VREDRAW;
  windowClass.lpfnWndProc = mainWindowProcedure;
  windowClass.cbWndExtra = DLGWINDOWEXTRA;
  windowClass.hInstance = instance;
  windowClass.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_VESKCONV));
  windowClass.hbrBackground = MENU_COLOUR_BRUSH;
  windowClass.lpszClassName = WINDOW_CLASS_NAME;
  return RegisterClassA(&windowClass) != 0;
}

}  // namespace

HWND startProgram(HINSTANCE instance, int showCommand) {
  if (!registerWindowClass(instance)) return nullptr;
  InitCommonControls();
  HWND window = CreateDialogParamA(instance, MAKEINTRESOURCEA(IDD_MAIN), nullptr, nullptr, 0);
  if (window == nullptr) {
    UnregisterClassA(WINDOW_CLASS_NAME, instance);
    return nullptr;
  }
  postCommand(window, CMD_INITIALIZE);
  ShowWindow(window, showCommand);
  return window;
}

void giveSonarFileName(HWND window, const char* name) {
  programState().givenSonarFileName = name;
  postCommand(window, CMD_TAKE_GIVEN_SONAR_FILE);
}

int runMessageLoop() {
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) != FALSE) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return static_cast<int>(message.wParam);
}

void endProgram(HINSTANCE instance) {
  joinWorkers(&programState());
  UnregisterClassA(WINDOW_CLASS_NAME, instance);
  resetProgramState();
}
