// Choosing and opening the two files: the VSK file is opened for reading,
// the SEG-Y file created at once; both stay open until another is chosen or
// the program quits. Main thread.
#pragma once

#include "app/program_state.h"
#include "platform/win_types.h"

#include <string>

// The dialog accepts one byte less than the 260-byte name buffer.
constexpr DWORD DIALOG_NAME_LIMIT = PATH_BUFFER_SIZE - 1;

// The open (save 0) or save (save 1) dialog on name, whose text is the
// initial name. 1 when a file was chosen (its path now in name), else 0.
int chooseFile(HWND window, char* name, const char* filter, const char* defaultExtension, const char* title, int save);

// CMD_SELECT_SONAR_FILE, CMD_OPEN_SONAR_FILE, CMD_SELECT_SEGY_FILE,
// CMD_OPEN_SEGY_FILE, CMD_SEGY_FILE_READY. A selection drops the current
// file first (and its pending steps); while a worker holds the files a
// selection does nothing.
void selectSonarFile(HWND window, ConverterContext* context);
void openSonarFile(HWND window, ConverterContext* context);
// A survey named outside the dialog (the command line, a drop) is taken as
// if BROWSE 1001 had been pressed and the dialog had returned the name: the
// same steps, checks and messages. False, with nothing done, while a worker
// holds the files; a name longer than the dialog could return gets the
// opening error.
bool takeSonarFileName(HWND window, ConverterContext* context, const std::string& name);
// WM_DROPFILES: one file is taken as above; more than one, or a drop while
// a worker holds the files, is refused with the beep.
void takeDroppedFiles(HWND window, ConverterContext* context, HDROP drop);
void selectSegyFile(HWND window, ConverterContext* context);
void openSegyFile(HWND window, ConverterContext* context);
void markSegyFileReady(HWND window, ConverterContext* context);

// A worker starts or stops using the open files. While any holds them, both
// BROWSE buttons and both "Select ..." menu items are greyed, so no handle a
// worker uses can be closed or replaced.
void holdFiles(HWND window, FileHolder holder);
void releaseFiles(HWND window, FileHolder holder);

void closeSonarFile(ConverterContext* context);
void closeSegyFile(ConverterContext* context);
