// Threads with Windows' creation call. CloseHandle on a thread handle lets
// the thread run on (it is detached); WaitForSingleObject joins it, for
// tests and batch runs that start many windows in one process. A thread's
// queue exists from its creation and is dropped when its procedure returns;
// windows it still owns then go, without messages.
#pragma once

#include "platform/files.h"  // CloseHandle
#include "platform/win_types.h"

#include <cstddef>

using LPTHREAD_START_ROUTINE = DWORD (*)(void* parameter);

constexpr DWORD INFINITE = 0xFFFFFFFFu;
constexpr DWORD WAIT_OBJECT_0 = 0;
constexpr DWORD WAIT_TIMEOUT = 258;
constexpr DWORD WAIT_FAILED = 0xFFFFFFFFu;

// The thread starts at once; *threadId receives its id, a small positive
// number never used again (never NO_THREAD). Stack size and security are
// ignored; creationFlags must be 0. Returns nullptr on failure, leaving
// *threadId untouched.
HANDLE CreateThread(void* securityAttributes, std::size_t stackSize, LPTHREAD_START_ROUTINE start, void* parameter,
                    DWORD creationFlags, LPDWORD threadId);
// WAIT_OBJECT_0 once the thread has ended, WAIT_TIMEOUT, or WAIT_FAILED for
// a handle that is not a thread, or the caller's own.
DWORD WaitForSingleObject(HANDLE thread, DWORD timeoutMs);
