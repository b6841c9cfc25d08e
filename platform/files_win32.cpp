#include "platform/files.h"

#include "platform/file_hooks.h"
#include "platform/handle_object.h"
#include "platform/kernel32_files.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <mutex>

namespace {

// Kept apart from kernel32's own last error, which the runtime and the
// thread calls overwrite between a file call and the caller's question.
thread_local DWORD lastError = ERROR_SUCCESS;

// The position lives here, not in the kernel: asking for it (progress after
// every record) and setting it cost no call into kernel32; reads and writes
// name their offset.
struct FileObject final : PlatformObject {
  FileObject() : PlatformObject(ObjectKind::File) {}
  kernel32::FileHandle file = nullptr;
  std::uint64_t position = 0;
  BOOL close() override {
    const std::uint32_t error = kernel32::closeFile(file);
    file = nullptr;
    return error == 0 ? TRUE : FALSE;
  }
};

FileObject* asFile(HANDLE handle) {
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE || handle->kind != ObjectKind::File) return nullptr;
  return static_cast<FileObject*>(handle);
}

BOOL report(std::uint32_t error) {
  lastError = error;
  return error == 0 ? TRUE : FALSE;
}

}  // namespace

DWORD GetLastError() { return lastError; }
void SetLastError(DWORD error) { lastError = error; }

// Share mode, disposition and sharing violations are kernel32's own: a
// second opener of a file held with share mode 0 fails, in this process or
// any other, and CREATE_ALWAYS fails so before it empties anything.
HANDLE CreateFileA(LPCSTR fileName, DWORD desiredAccess, DWORD shareMode, void* /*securityAttributes*/,
                   DWORD creationDisposition, DWORD flagsAndAttributes, HANDLE /*templateFile*/) {
  if (fileName == nullptr || fileName[0] == '\0') {
    lastError = ERROR_PATH_NOT_FOUND;
    return INVALID_HANDLE_VALUE;
  }
  if (creationDisposition != CREATE_ALWAYS && creationDisposition != OPEN_EXISTING) {
    lastError = ERROR_INVALID_PARAMETER;
    return INVALID_HANDLE_VALUE;
  }
  const kernel32::OpenedFile opened =
      kernel32::openFile(nameToOpen(fileName, creationDisposition).c_str(), desiredAccess, shareMode, creationDisposition, flagsAndAttributes);
  if (opened.handle == nullptr) {
    lastError = opened.error;
    return INVALID_HANDLE_VALUE;
  }
  auto* file = new FileObject;
  file->file = opened.handle;
  lastError = ERROR_SUCCESS;
  return file;
}

BOOL ReadFile(HANDLE handle, void* buffer, DWORD bytesToRead, LPDWORD bytesRead, void* /*overlapped*/) {
  if (bytesRead != nullptr) *bytesRead = 0;
  FileObject* file = asFile(handle);
  if (file == nullptr) return report(ERROR_INVALID_HANDLE);
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
  return report(error == 0 ? ERROR_SUCCESS : ERROR_READ_FAULT);
}

BOOL WriteFile(HANDLE handle, const void* buffer, DWORD bytesToWrite, LPDWORD bytesWritten, void* /*overlapped*/) {
  if (bytesWritten != nullptr) *bytesWritten = 0;
  FileObject* file = asFile(handle);
  if (file == nullptr) return report(ERROR_INVALID_HANDLE);
  const DWORD allowed = bytesWriteHookAllows(handle, bytesToWrite);
  std::uint32_t done = 0;
  const std::uint32_t error = kernel32::writeFileAt(file->file, file->position, buffer, allowed, &done);
  file->position += done;
  if (bytesWritten != nullptr) *bytesWritten = done;
  if (error != 0) return report(error);
  return report(done < bytesToWrite ? ERROR_DISK_FULL : ERROR_SUCCESS);
}

DWORD SetFilePointer(HANDLE handle, LONG distance, PLONG distanceHigh, DWORD moveMethod) {
  FileObject* file = asFile(handle);
  if (file == nullptr) {
    lastError = ERROR_INVALID_HANDLE;
    return INVALID_SET_FILE_POINTER;
  }
  std::int64_t offset = distance;  // without a high part the distance is a signed 32-bit value
  if (distanceHigh != nullptr) {
    offset = static_cast<std::int64_t>((static_cast<std::uint64_t>(static_cast<DWORD>(*distanceHigh)) << 32) |
                                       static_cast<DWORD>(distance));
  }
  std::int64_t base = 0;
  if (moveMethod == FILE_CURRENT) {
    base = static_cast<std::int64_t>(file->position);
  } else if (moveMethod != FILE_BEGIN) {
    lastError = ERROR_INVALID_PARAMETER;
    return INVALID_SET_FILE_POINTER;
  }
  if (offset < 0 && base < -offset) {
    lastError = ERROR_NEGATIVE_SEEK;
    return INVALID_SET_FILE_POINTER;
  }
  file->position = static_cast<std::uint64_t>(base + offset);
  if (distanceHigh != nullptr) *distanceHigh = static_cast<LONG>(file->position >> 32);
  lastError = ERROR_SUCCESS;
  return static_cast<DWORD>(file->position);
}

DWORD GetFileSize(HANDLE handle, LPDWORD fileSizeHigh) {
  FileObject* file = asFile(handle);
  std::uint64_t size = 0;
  const std::uint32_t error = file == nullptr ? ERROR_INVALID_HANDLE : kernel32::fileSize(file->file, &size);
  if (error != 0) {
    lastError = error;
    return INVALID_FILE_SIZE;
  }
  if (fileSizeHigh != nullptr) *fileSizeHigh = static_cast<DWORD>(size >> 32);
  lastError = ERROR_SUCCESS;
  return static_cast<DWORD>(size);
}

BOOL SetEndOfFile(HANDLE handle) {
  FileObject* file = asFile(handle);
  return report(file == nullptr ? ERROR_INVALID_HANDLE : kernel32::setFileEnd(file->file, file->position));
}

BOOL CloseHandle(HANDLE handle) {
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE) {
    lastError = ERROR_INVALID_HANDLE;
    return FALSE;
  }
  const BOOL result = handle->close();
  delete handle;
  return result;
}


// Windows' lazy writer already writes a file's changes within seconds.
void setWriteBehind(bool /*on*/) {}
