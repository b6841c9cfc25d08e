// What the program provides to the platform, as Windows' loader expects of
// an executable: its entry point and its instance (the resources it carries).
// A front end's main() calls WinMain on the main thread, once, with the
// survey named on its command line as commandLine ("" for none).
#pragma once

#include "platform/win_types.h"

int WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int showCommand);
HINSTANCE programInstance();

// Before any front end exists (so with no display): prints the help or the
// version when the command line asks for it and returns the exit status;
// -1 when the program is to run.
int answerHelpOrVersion(int argc, const char* const* argv);

// After the front end has taken its own options out of argv: the index in
// argv of the survey to open (0 for none) in *surveyIndex and -1 to run; an
// unknown option or a second name is a usage error, printed, and its exit
// status returned.
int findSurveyArgument(int argc, const char* const* argv, int* surveyIndex);
