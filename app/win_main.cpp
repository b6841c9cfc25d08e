#include "app/program.h"
#include "platform/program_entry.h"

int WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
  if (startProgram(instance, showCommand) == nullptr) return 0;
  const int exitCode = runMessageLoop();
  endProgram(instance);
  return exitCode;
}
