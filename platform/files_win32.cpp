#include "platform/files.h"

#include "platform/file_hooks.h"
#include "platform/file_object.h"
#include "platform/kernel32_files.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <mutex>

namespace {

// kernel32's handle, read and written at the position FileObject keeps.
struct Kernel32File final : FileObject {
  kernel32::FileHandle file = nullptr;
  BOOL close() override {
    const std::uint32_t error = kernel32::closeFile(file);
    file = nullptr;
    return error == 0 ? TRUE : FALSE;
  }
  DWORD size(std::uint64_t* bytes) const override { return kernel32::fileSize(file, bytes); }
};

Kernel32File* asFile(HANDLE handle) { return static_cast<Kernel32File*>(asFileObject(handle)); }

}  // namespace

// Share mode, disposition and sharing violations are kernel32's own: a
// second opener of a file held with share mode 0 fails, in this process or
// any other, and CREATE_ALWAYS fails so before it empties anything.
HANDLE CreateFileA(LPCSTR fileName, DWORD desiredAccess, DWORD shareMode, void* /*securityAttributes*/,
                   DWORD creationDisposition, DWORD flagsAndAttributes, HANDLE /*templateFile*/) {
  if (fileName == nullptr || fileName[0] == '\0') {
    SetLastError(ERROR_PATH_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  if (creationDisposition != CREATE_ALWAYS && creationDisposition != OPEN_EXISTING) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_HANDLE_VALUE;
  }
  const kernel32::OpenedFile opened =
      kernel32::openFile(nameToOpen(fileName, creationDisposition).c_str(), desiredAccess, shareMode,
                         creationDisposition, flagsAndAttributes);
  if (opened.handle == nullptr) {
    SetLastError(opened.error);
    return INVALID_HANDLE_VALUE;
  }
  auto* file = new Kernel32File;
  file->file = opened.handle;
  SetLastError(ERROR_SUCCESS);
  return file;
}

BOOL ReadFile(HANDLE handle, void* buffer, DWORD bytesToRead, LPDWORD bytesRead, void* /*overlapped*/) {
  if (bytesRead != nullptr) *bytesRead = 0;
  Kernel32File* file = asFile(handle);
  if (file == nullptr) return reportFileError(ERROR_INVALID_HANDLE);
  callReadHook(handle);
  auto* out = static_cast<unsigned char*>(buffer);
  DWORD done = 0;
  std::uint32_t error = 0;
  while (done < bytesToRead) {
    std::uint32_t got = 0;
    error = kernel32::readFileAt(file->file, file->position + done, out + done, bytesToRead - done, &got);
    done += got;
    if (error != 0 || got == 0) break;  // no bytes and no error: the end of the file
  }
  file->position += done;
  if (bytesRead != nullptr) *bytesRead = done;
  return reportFileError(error == 0 ? ERROR_SUCCESS : ERROR_READ_FAULT);
}

BOOL WriteFile(HANDLE handle, const void* buffer, DWORD bytesToWrite, LPDWORD bytesWritten, void* /*overlapped*/) {
  if (bytesWritten != nullptr) *bytesWritten = 0;
  Kernel32File* file = asFile(handle);
  if (file == nullptr) return reportFileError(ERROR_INVALID_HANDLE);
  const DWORD allowed = bytesWriteHookAllows(handle, bytesToWrite);
  std::uint32_t done = 0;
  const std::uint32_t error = kernel32::writeFileAt(file->file, file->position, buffer, allowed, &done);
  file->position += done;
  if (bytesWritten != nullptr) *bytesWritten = done;
  if (error != 0) return reportFileError(error);
  return reportFileError(done < bytesToWrite ? ERROR_DISK_FULL : ERROR_SUCCESS);
}

BOOL SetEndOfFile(HANDLE handle) {
  Kernel32File* file = asFile(handle);
  return reportFileError(file == nullptr ? ERROR_INVALID_HANDLE : kernel32::setFileEnd(file->file, file->position));
}

// Windows' lazy writer already writes a file's changes within seconds.
void setWriteBehind(bool /*on*/) {}
