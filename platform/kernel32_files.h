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
// disk are kept: a device, pipe or console is closed again and refused with
// ERROR_ACCESS_DENIED.
OpenedFile openFile(const char* name, std::uint32_t access, std::uint32_t shareMode, std::uint32_t disposition,
                    std::uint32_t attributes);
std::uint32_t readFile(FileHandle file, void* buffer, std::uint32_t bytes, std::uint32_t* done);
std::uint32_t writeFile(FileHandle file, const void* buffer, std::uint32_t bytes, std::uint32_t* done);
// SetFilePointerEx; *position receives the new position.
std::uint32_t moveFilePointer(FileHandle file, std::int64_t distance, std::uint32_t method, std::uint64_t* position);
std::uint32_t fileSize(FileHandle file, std::uint64_t* size);
std::uint32_t setEndOfFile(FileHandle file);
std::uint32_t closeFile(FileHandle file);

}  // namespace kernel32
