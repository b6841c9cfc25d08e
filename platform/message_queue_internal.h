// The messaging internals that threads.cpp and the window code share with
// message_queue.cpp. Not for the program or front ends.
//
// One mutex guards every thread record and the window registry; it is a leaf
// for user code: no window procedure or front-end hook is ever called while
// it is held. "Locked" functions need it held by the caller.
#pragma once

#include "platform/win_types.h"

#include <mutex>
#include <optional>

std::mutex& platformMutex();

// The calling thread's id; gives the thread a record (not yet a queue).
DWORD currentThreadIdLocked();

// CreateThread's side. A record with a queue exists from creation, so a post
// right after CreateThread is kept; the new thread adopts it when it starts
// and ends it when its procedure returns (later posts to the id fail).
DWORD createThreadRecord();
void discardThreadRecord(DWORD threadId);
void adoptThreadRecord(DWORD threadId);
void endCurrentThread();

// The thread now owns one window more (delta 1) or less (-1); a
// thread that owns windows waits through the front end.
void countOwnedWindowLocked(DWORD threadId, int delta);
// Drops the calling thread's timers of this window.
void killWindowTimersLocked(HWND window);
// Incoming sends of the calling thread whose target no longer exists return 0.
void cancelUndeliverableSendsLocked();

// Sends to the window (itemId empty) or to its dialog item: carried out at
// once on the window's own thread, otherwise queued for that thread while the
// caller waits. 0 when the target does not exist or its thread has ended.
LRESULT sendToWindow(HWND target, std::optional<int> itemId, UINT message, WPARAM wParam, LPARAM lParam);
