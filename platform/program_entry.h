// What the program provides to the platform, as Windows' loader expects of
// an executable: its entry point and its instance (the resources it carries).
// A front end's main() calls WinMain on the main thread, once.
#pragma once

#include "platform/win_types.h"

int WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int showCommand);
HINSTANCE programInstance();

// Before any front end exists (so with no display): prints the help or the
// version when the command line asks for it and returns the exit status;
// -1 when the program is to run.
int answerHelpOrVersion(int argc, const char* const* argv);
