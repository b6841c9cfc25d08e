// The window program's main(): Qt first, then the program's own entry, as
// Windows' loader would call it.
#include "platform/files.h"
#include "platform/front_end.h"
#include "platform/program_entry.h"
#include "platform/qt/qt_front_end.h"

#include <QApplication>

int main(int argc, char** argv) {
  if (const int answered = answerHelpOrVersion(argc, argv); answered >= 0) return answered;
  QApplication application(argc, argv);
  // The program ends when its message loop does, not when a window closes.
  QApplication::setQuitOnLastWindowClosed(false);
  QtFrontEnd qtFrontEnd(programInstance());
  setFrontEnd(&qtFrontEnd);
  slowReadsWhenAsked();
  char commandLine[] = "";
  const int exitCode = WinMain(programInstance(), nullptr, commandLine, SW_SHOWNORMAL);
  // The workers have ended with the message loop; nothing calls Qt after this.
  setFrontEnd(nullptr);
  return exitCode;
}
