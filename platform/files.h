// File services with Windows' semantics, over POSIX.
//
// Share mode 0 means what it means on Windows as far as Linux can tell: while
// a handle is open, a second CreateFileA of the same file (same device and
// inode) fails with ERROR_SHARING_VIOLATION, whether the first open is in this
// process or in another instance of the program (an advisory lock covers the
// second case). A file that another program holds open for writing (for
// reading too, when we want to write it) is refused the same way, where the
// kernel grants leases on it (docs/reliability.md says where it cannot).
// So the open survey can never be chosen as the output and truncated.
//
// Only regular files open: a FIFO, socket or device fails with
// ERROR_BAD_FILE_TYPE (a folder with ERROR_ACCESS_DENIED), and opening never
// blocks. CREATE_ALWAYS checks sharing before it truncates. Handles may be
// used from any thread, but not from two at once. GetLastError is per thread.
#pragma once

#include "platform/win_types.h"

#include <cstddef>
#include <functional>
#include <string>

HANDLE CreateFileA(LPCSTR fileName, DWORD desiredAccess, DWORD shareMode, void* securityAttributes,
                   DWORD creationDisposition, DWORD flagsAndAttributes, HANDLE templateFile);
BOOL ReadFile(HANDLE file, void* buffer, DWORD bytesToRead, LPDWORD bytesRead, void* overlapped);
BOOL WriteFile(HANDLE file, const void* buffer, DWORD bytesToWrite, LPDWORD bytesWritten, void* overlapped);
// Returns the low 32 bits of the new position; the high 32 bits go to
// *distanceHigh when it is given (and are read from it as the high part of
// the distance). INVALID_SET_FILE_POINTER with GetLastError() != 0 on error.
DWORD SetFilePointer(HANDLE file, LONG distance, PLONG distanceHigh, DWORD moveMethod);
DWORD GetFileSize(HANDLE file, LPDWORD fileSizeHigh);
BOOL SetEndOfFile(HANDLE file);
BOOL CloseHandle(HANDLE handle);
DWORD GetLastError();
void SetLastError(DWORD error);

// Convenience over SetFilePointer / GetFileSize for 64-bit positions.
// Return UINT64_MAX on error.
std::uint64_t filePosition64(HANDLE file);
std::uint64_t fileSize64(HANDLE file);

// For a program that syncs every file it writes before it is done with it
// (veskconv-batch): written bytes are handed to the disk as a file grows, a
// few MiB behind the writer, so the final sync waits only for the last of
// them. Off by default: the window leaves that to the system.
void setWriteBehind(bool on);

// For veskconv-batch, which writes each output in a hidden folder until it
// is complete while the window names it as the user did (in its text header
// and its messages): while set, a CREATE_ALWAYS of exactly `name` creates
// `standIn` instead. Empty strings reset it. Any thread.
void setCreateStandIn(const std::string& name, const std::string& standIn);

// Test seam: when set, every WriteFile first asks the hook how many of the
// requested bytes may be written (returning fewer makes a short write that
// fails with ERROR_DISK_FULL). Reset with an empty function.
using WriteFaultHook = std::function<DWORD(HANDLE file, DWORD bytesToWrite)>;
void setWriteFaultHook(WriteFaultHook hook);

// Test seam: when set, every ReadFile first calls the hook on the reading
// thread, which may hold the reader up there. Reset with an empty function.
using ReadHook = std::function<void(HANDLE file)>;
void setReadHook(ReadHook hook);

// The same seam for the window programs' desktop tests: when the environment
// variable VESK_READ_DELAY_MS holds a number of milliseconds, every read
// waits that long first, as on a slow disk. Off otherwise. Call at start-up.
inline constexpr const char* READ_DELAY_VARIABLE = "VESK_READ_DELAY_MS";
void slowReadsWhenAsked();
