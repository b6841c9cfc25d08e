// How the main thread chains the stages of its longer operations: a deferred
// command is a one-shot 1 ms timer whose id is the command; the window kills
// it when it fires and posts the command, so it runs after everything queued
// before it. Arming an armed id again restarts it: the command runs once.
// Main thread only.
#pragma once

#include "platform/messages.h"

constexpr UINT DEFERRED_COMMAND_DELAY_MS = 1;

inline void armDeferredCommand(HWND window, int command) {
  SetTimer(window, static_cast<UINT_PTR>(command), DEFERRED_COMMAND_DELAY_MS, nullptr);
}

// A command in plain queue order.
inline void postCommand(HWND window, int command) { PostMessageA(window, WM_COMMAND, static_cast<WPARAM>(command), 0); }
