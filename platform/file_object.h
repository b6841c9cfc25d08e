// The portable layer's file handle, between files.cpp, which decides what a
// file call does, and files_posix.cpp / files_win32.cpp, which make the
// system's calls. The position lives here, not in the system: asking for it
// (progress after every record) and setting it cost no system call; reads
// and writes name their offset. Any thread; one file by one thread at a time.
#pragma once

#include "platform/handle_object.h"

#include <cstdint>

struct FileObject : PlatformObject {
  FileObject() : PlatformObject(ObjectKind::File) {}
  std::uint64_t position = 0;
  // The file's size in bytes: ERROR_SUCCESS, or the error GetLastError gives.
  virtual DWORD size(std::uint64_t* bytes) const = 0;
};

// The file a handle names; nullptr for any other handle.
FileObject* asFileObject(HANDLE handle);
// Sets the calling thread's last error; TRUE when it is ERROR_SUCCESS.
BOOL reportFileError(DWORD error);
