#include "platform/files.h"

#include "platform/file_object.h"

namespace {

// Kept apart from the system's own last error, which the runtime and the
// thread calls overwrite between a file call and the caller's question.
thread_local DWORD lastError = ERROR_SUCCESS;

}  // namespace

DWORD GetLastError() { return lastError; }
void SetLastError(DWORD error) { lastError = error; }

BOOL reportFileError(DWORD error) {
  lastError = error;
  return error == ERROR_SUCCESS ? TRUE : FALSE;
}

FileObject* asFileObject(HANDLE handle) {
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE || handle->kind != ObjectKind::File) return nullptr;
  return static_cast<FileObject*>(handle);
}

DWORD SetFilePointer(HANDLE handle, LONG distance, PLONG distanceHigh, DWORD moveMethod) {
  FileObject* file = asFileObject(handle);
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
  const FileObject* file = asFileObject(handle);
  std::uint64_t size = 0;
  lastError = file == nullptr ? ERROR_INVALID_HANDLE : file->size(&size);
  if (lastError != ERROR_SUCCESS) return INVALID_FILE_SIZE;
  if (fileSizeHigh != nullptr) *fileSizeHigh = static_cast<DWORD>(size >> 32);
  return static_cast<DWORD>(size);
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
