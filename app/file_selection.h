// Choosing and opening the two files: the VSK file is opened for reading,
// the SEG-Y file created at once; both stay open until another is chosen or
// the program quits. Main thread.
#pragma once

#include "app/program_state.h"
#include "platform/win_types.h"

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
