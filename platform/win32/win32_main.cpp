// The window program's main(): the Win32 front end, then the program's own
// entry, as Windows' loader would call it. The survey's name comes from the
// wide command line: the runtime's argv would have replaced what the code
// page cannot hold with look-alikes.
#include "platform/files.h"
#include "platform/front_end.h"
#include "platform/program_entry.h"
#include "platform/win32/native_ui.h"
#include "platform/win32/win32_front_end.h"

#include <string>
#include <vector>

int main(int argc, char** argv) {
  if (const int answered = answerHelpOrVersion(argc, argv); answered >= 0) return answered;
  const std::vector<native::CommandLineArgument> arguments = native::commandLineArguments();
  std::vector<const char*> argumentBytes;
  for (const native::CommandLineArgument& argument : arguments) argumentBytes.push_back(argument.bytes.c_str());
  int survey = 0;
  if (const int refused = findSurveyArgument(static_cast<int>(argumentBytes.size()), argumentBytes.data(), &survey);
      refused >= 0) {
    return refused;
  }
  Win32FrontEnd win32FrontEnd;
  setFrontEnd(&win32FrontEnd);
  slowReadsWhenAsked();
  std::string surveyName;
  if (survey != 0) surveyName = native::usableFullPath(arguments[survey].text).value_or("");
  const int exitCode = WinMain(programInstance(), nullptr, surveyName.data(), SW_SHOWNORMAL);
  // The workers have ended with the message loop; nothing calls the front end after this.
  setFrontEnd(nullptr);
  return exitCode;
}
