// The program's one state: the shared ConverterContext and what the window
// keeps beside it, the window and its two worker threads among it. A static
// instance; tests and the batch program reach it here and put it back to its
// initial state between two programs.
#pragma once

#include "core/converter_context.h"
#include "platform/win_types.h"

#include <string>

constexpr DWORD NO_THREAD = 0xFFFFFFFFu;

// Which workers read or write the open files right now (bits).
enum FileHolder : unsigned {
  FILE_HOLDER_SCAN = 1u,
  FILE_HOLDER_CONVERSION = 2u,
};

struct ProgramState {
  ConverterContext context;
  HWND window = nullptr;  // every worker posts its results here
  HANDLE converterThread = nullptr;
  DWORD converterThreadId = NO_THREAD;  // NO_THREAD once the thread has reported its end
  HANDLE scannerThread = nullptr;
  DWORD scannerThreadId = NO_THREAD;
  unsigned fileHolders = 0;  // FileHolder bits
  // CMD_UPDATE_CHANNEL_SETS came while busy: it runs once the run has ended.
  bool channelSetsHeldBack = false;
  // The survey named on the command line, until CMD_TAKE_GIVEN_SONAR_FILE takes it.
  std::string givenSonarFileName;
};

ProgramState& programState();
ConverterContext& converterContext();
// Only while no window and no worker of the program exists.
void resetProgramState();
