// Threads with Windows' creation call. CloseHandle on a thread handle lets
// the thread run on (it is detached); WaitForSingleObject joins it, for
// tests and batch runs that start many windows in one process.
#pragma once

#include "platform/win_types.h"

#include <cstddef>

using LPTHREAD_START_ROUTINE = DWORD (*)(void* parameter);

constexpr DWORD INFINITE = 0xFFFFFFFFu;
constexpr DWORD WAIT_OBJECT_0 = 0;
constexpr DWORD WAIT_TIMEOUT = 258;
constexpr DWORD WAIT_FAILED = 0xFFFFFFFFu;

// The thread starts at once; *threadId receives its id (never NO_THREAD).
// Returns nullptr on failure, leaving *threadId untouched.
HANDLE CreateThread(void* securityAttributes, std::size_t stackSize, LPTHREAD_START_ROUTINE start, void* parameter,
                    DWORD creationFlags, LPDWORD threadId);
DWORD WaitForSingleObject(HANDLE thread, DWORD timeoutMs);
