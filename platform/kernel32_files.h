// kernel32's file calls with plain C++ types. The portable layer's Windows
// names (win_types.h) and <windows.h> cannot meet in one translation unit, so
// files_win32.cpp reaches kernel32 through these, and only
// kernel32_files_win32.cpp includes <windows.h>. Flags, dispositions and
// error codes are Windows' own numbers; each call returns 0 or the error
// kernel32 reported. Any thread.
#pragma once

#include <cstdint>

namespace kernel32 {

using FileHandle = void*;

struct OpenedFile {
  FileHandle handle = nullptr;  // nullptr when error is set
  std::uint32_t error = 0;
};

// CreateFileA: the name's bytes are in the active code page. Only files on a
// disk open, and opening never waits: a name of a device (namesDevice) is
// refused with ERROR_BAD_FILE_TYPE before anything opens it, any other handle
// that is not a disk file's is closed again and refused so. CREATE_ALWAYS
// empties only a file that holds something, after the share check.
OpenedFile openFile(const char* name, std::uint32_t access, std::uint32_t shareMode, std::uint32_t disposition,
                    std::uint32_t attributes);
// ReadFile / WriteFile at an offset: the caller keeps the position. A read at
// or past the end of the file succeeds with fewer bytes, as a plain one does.
std::uint32_t readFileAt(FileHandle file, std::uint64_t offset, void* buffer, std::uint32_t bytes, std::uint32_t* done);
std::uint32_t writeFileAt(FileHandle file, std::uint64_t offset, const void* buffer, std::uint32_t bytes,
                          std::uint32_t* done);
std::uint32_t fileSize(FileHandle file, std::uint64_t* size);
// The file ends at size (SetEndOfFile there).
std::uint32_t setFileEnd(FileHandle file, std::uint64_t size);
std::uint32_t closeFile(FileHandle file);

// True when the name, made whole as Windows makes it (GetFullPathNameA), is
// a device and not a file: a reserved DOS name (NUL, CON, COM1, LPT1, ...)
// turned into \\.\NUL, anything directly in the device namespace (\\.\C:, a
// physical drive), or a named pipe or mailslot.
bool namesDevice(const char* name);

}  // namespace kernel32
