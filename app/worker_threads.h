// The Converter and Scanner threads. Each waits for commands posted to its
// thread queue, does the work and posts its answer to the window; while
// working it reaches the window only through sends (the events of its work,
// app/window_events.h), which the main thread carries out.
#pragma once

#include "platform/win_types.h"

struct ProgramState;

// Window creation, main thread: stores the window, then creates both
// threads with the program's state as their parameter. A thread that cannot
// be created keeps the id NO_THREAD, so the quit handshake does not wait for it.
void startWorkers(ProgramState* state, HWND window);

// After both threads have answered their exit command: waits until they have
// returned and lets go of their handles, so a new program can start in the
// same process.
void joinWorkers(ProgramState* state);
