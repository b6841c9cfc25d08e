// The program's entry in steps, so that tests and the batch program run the
// same start-up and then drive the window themselves. Main thread.
#pragma once

#include "platform/win_types.h"

// Registers the class, creates the main window (which starts both workers),
// posts CMD_INITIALIZE and shows the window. nullptr on failure, with the
// class unregistered again.
HWND startProgram(HINSTANCE instance, int showCommand);

// The survey named on the command line, taken as BROWSE's once the window
// has been initialized (CMD_TAKE_GIVEN_SONAR_FILE).
void giveSonarFileName(HWND window, const char* name);

// GetMessageA / TranslateMessage / DispatchMessageA until the quit message;
// returns its exit code (0).
int runMessageLoop();

// Once the quit message has been taken: joins both workers, unregisters the
// class and puts the program's state back to its initial values, so that a
// new startProgram may follow in the same process.
void endProgram(HINSTANCE instance);
