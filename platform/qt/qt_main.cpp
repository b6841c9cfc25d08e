// The window program's main(): Qt first, then the program's own entry, as
// Windows' loader would call it.
#include "platform/files.h"
#include "platform/front_end.h"
#include "platform/program_entry.h"
#include "platform/qt/qt_front_end.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

namespace {

// Qt aborts the process when it finds no display at all. Only the plain
// case is caught: a display named but out of reach is still Qt's to report.
bool displayNamed(int argc, char** argv) {
  for (const char* variable : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
    const char* value = std::getenv(variable);
    if (value != nullptr && value[0] != '\0') return true;
  }
  for (int at = 1; at < argc && std::strcmp(argv[at], "--") != 0; ++at) {
    for (const char* option : {"-display", "--display", "-platform", "--platform"}) {
      if (std::strcmp(argv[at], option) == 0) return true;
    }
  }
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  if (const int answered = answerHelpOrVersion(argc, argv); answered >= 0) return answered;
  if (!displayNamed(argc, argv)) {
    std::fputs("veskconv: no display to open the window on (DISPLAY is not set); veskconv-batch converts without one\n",
               stderr);
    return 1;
  }
  // Takes Qt's own options out of argv.
  QApplication application(argc, argv);
  int survey = 0;
  if (const int refused = findSurveyArgument(argc, argv, &survey); refused >= 0) return refused;
  // The open dialog returns full names; the bytes are kept as they are.
  std::string surveyName;
  if (survey != 0) {
    std::error_code error;
    const std::filesystem::path full = std::filesystem::absolute(argv[survey], error);
    surveyName = error ? argv[survey] : full.string();
  }
  // The program ends when its message loop does, not when a window closes.
  QApplication::setQuitOnLastWindowClosed(false);
  QtFrontEnd qtFrontEnd(programInstance());
  setFrontEnd(&qtFrontEnd);
  slowReadsWhenAsked();
  const int exitCode = WinMain(programInstance(), nullptr, surveyName.data(), SW_SHOWNORMAL);
  // The workers have ended with the message loop; nothing calls Qt after this.
  setFrontEnd(nullptr);
  return exitCode;
}
