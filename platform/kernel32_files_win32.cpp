#include "platform/kernel32_files.h"

#include <windows.h>

namespace kernel32 {

namespace {

std::uint32_t lastError() { return static_cast<std::uint32_t>(::GetLastError()); }

}  // namespace

OpenedFile openFile(const char* name, std::uint32_t access, std::uint32_t shareMode, std::uint32_t disposition,
                    std::uint32_t attributes) {
  HANDLE const file = ::CreateFileA(name, access, shareMode, nullptr, disposition, attributes, nullptr);
  if (file == INVALID_HANDLE_VALUE) return {nullptr, lastError()};
  if (::GetFileType(file) != FILE_TYPE_DISK) {
    ::CloseHandle(file);
    return {nullptr, ERROR_ACCESS_DENIED};
  }
  return {file, 0};
}

std::uint32_t readFile(FileHandle file, void* buffer, std::uint32_t bytes, std::uint32_t* done) {
  DWORD got = 0;
  BOOL const ok = ::ReadFile(file, buffer, bytes, &got, nullptr);
  *done = got;
  return ok ? 0 : lastError();
}

std::uint32_t writeFile(FileHandle file, const void* buffer, std::uint32_t bytes, std::uint32_t* done) {
  DWORD put = 0;
  BOOL const ok = ::WriteFile(file, buffer, bytes, &put, nullptr);
  *done = put;
  return ok ? 0 : lastError();
}

std::uint32_t moveFilePointer(FileHandle file, std::int64_t distance, std::uint32_t method, std::uint64_t* position) {
  LARGE_INTEGER move{};
  move.QuadPart = distance;
  LARGE_INTEGER now{};
  if (!::SetFilePointerEx(file, move, &now, method)) return lastError();
  *position = static_cast<std::uint64_t>(now.QuadPart);
  return 0;
}

std::uint32_t fileSize(FileHandle file, std::uint64_t* size) {
  LARGE_INTEGER bytes{};
  if (!::GetFileSizeEx(file, &bytes)) return lastError();
  *size = static_cast<std::uint64_t>(bytes.QuadPart);
  return 0;
}

std::uint32_t setEndOfFile(FileHandle file) { return ::SetEndOfFile(file) ? 0 : lastError(); }

std::uint32_t closeFile(FileHandle file) { return ::CloseHandle(file) ? 0 : lastError(); }

}  // namespace kernel32
