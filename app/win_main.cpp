#include "app/program.h"
#include "platform/program_entry.h"

int WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int showCommand) {
  HWND window = startProgram(instance, showCommand);
  if (window == nullptr) return 0;
  if (commandLine != nullptr && commandLine[0] != '\0') giveSonarFileName(window, commandLine);
  const int exitCode = runMessageLoop();
  endProgram(instance);
  return exitCode;
}
