// The window program's main(): the Win32 front end, then the program's own
// entry, as Windows' loader would call it.
#include "platform/files.h"
#include "platform/front_end.h"
#include "platform/program_entry.h"
#include "platform/win32/win32_front_end.h"

int main(int argc, char** argv) {
  if (const int answered = answerHelpOrVersion(argc, argv); answered >= 0) return answered;
  Win32FrontEnd win32FrontEnd;
  setFrontEnd(&win32FrontEnd);
  slowReadsWhenAsked();
  char commandLine[] = "";
  const int exitCode = WinMain(programInstance(), nullptr, commandLine, SW_SHOWNORMAL);
  // The workers have ended with the message loop; nothing calls the front end after this.
  setFrontEnd(nullptr);
  return exitCode;
}
