// The window program's main(): Qt first, then the program's own entry, as
// Windows' loader would call it.
#include "platform/files.h"
#include "platform/front_end.h"
#include "platform/program_entry.h"
#include "platform/qt/qt_front_end.h"

#include <QApplication>

#include <filesystem>
#include <string>

int main(int argc, char** argv) {
  if (const int answered = answerHelpOrVersion(argc, argv); answered >= 0) return answered;
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
