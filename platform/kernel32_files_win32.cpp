#include "platform/kernel32_files.h"

#include "platform/code_page_text.h"

#include <windows.h>

#include <cctype>
#include <string>
#include <vector>

namespace kernel32 {

namespace {

std::uint32_t lastError() { return static_cast<std::uint32_t>(::GetLastError()); }

OVERLAPPED at(std::uint64_t offset) {
  OVERLAPPED place{};
  place.Offset = static_cast<DWORD>(offset);
  place.OffsetHigh = static_cast<DWORD>(offset >> 32);
  return place;
}

bool startsIgnoringCase(const std::string& text, std::size_t from, const char* prefix) {
  for (std::size_t i = 0; prefix[i] != '\0'; ++i) {
    if (from + i >= text.size()) return false;
    const auto c = static_cast<unsigned char>(text[from + i]);
    if (std::tolower(c) != std::tolower(static_cast<unsigned char>(prefix[i]))) return false;
  }
  return true;
}

OpenedFile refuse(HANDLE file, std::uint32_t error) {
  ::CloseHandle(file);
  return {nullptr, error};
}

}  // namespace

bool namesDevice(const char* name) {
  const DWORD needed = ::GetFullPathNameA(name, 0, nullptr, nullptr);
  if (needed == 0) return false;
  std::vector<char> full(needed + 1);
  const DWORD length = ::GetFullPathNameA(name, static_cast<DWORD>(full.size()), full.data(), nullptr);
  if (length == 0 || length >= full.size()) return false;
  const std::string path(full.data(), length);
  if (!startsIgnoringCase(path, 0, "\\\\.\\") && !startsIgnoringCase(path, 0, "\\\\?\\")) return false;
  constexpr std::size_t NAMESPACE_PREFIX = 4;
  // \\.\C:\survey\line7.vsk is a file; \\.\C: is the volume itself.
  if (path.find('\\', NAMESPACE_PREFIX) == std::string::npos) return true;
  return startsIgnoringCase(path, NAMESPACE_PREFIX, "pipe\\") ||
         startsIgnoringCase(path, NAMESPACE_PREFIX, "mailslot\\");
}

OpenedFile openFile(const char* name, std::uint32_t access, std::uint32_t shareMode, std::uint32_t disposition,
                    std::uint32_t attributes) {
  // Devices are not even opened: opening some of them has effects of its own.
  if (namesDevice(name)) return {nullptr, ERROR_BAD_FILE_TYPE};
  const bool writing = (access & GENERIC_WRITE) != 0;
  // A survey is read front to back: the cache reads further ahead.
  if (!writing) attributes |= FILE_FLAG_SEQUENTIAL_SCAN;
  // CREATE_ALWAYS would empty even an empty file; only one that holds
  // something is emptied, once the share check has let us in.
  const DWORD opening = disposition == CREATE_ALWAYS ? OPEN_ALWAYS : disposition;
  // The W call with the code page's own conversion: the A one takes no name
  // longer than MAX_PATH, even in its \\?\ form.
  HANDLE const file =
      ::CreateFileW(codepage::toWide(name).c_str(), access, shareMode, nullptr, opening, attributes, nullptr);
  if (file == INVALID_HANDLE_VALUE) return {nullptr, lastError()};
  if (::GetFileType(file) != FILE_TYPE_DISK) return refuse(file, ERROR_BAD_FILE_TYPE);
  if (disposition == CREATE_ALWAYS) {
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file, &size)) return refuse(file, lastError());
    if (size.QuadPart != 0 &&
        (!::SetFilePointerEx(file, LARGE_INTEGER{}, nullptr, FILE_BEGIN) || !::SetEndOfFile(file))) {
      return refuse(file, lastError());
    }
  }
  return {file, 0};
}

std::uint32_t readFileAt(FileHandle file, std::uint64_t offset, void* buffer, std::uint32_t bytes,
                         std::uint32_t* done) {
  OVERLAPPED place = at(offset);
  DWORD got = 0;
  const BOOL ok = ::ReadFile(file, buffer, bytes, &got, &place);
  *done = got;
  if (ok) return 0;
  // With an offset, a synchronous read at the end says so as an error.
  const std::uint32_t error = lastError();
  return error == ERROR_HANDLE_EOF ? 0 : error;
}

std::uint32_t writeFileAt(FileHandle file, std::uint64_t offset, const void* buffer, std::uint32_t bytes,
                          std::uint32_t* done) {
  OVERLAPPED place = at(offset);
  DWORD put = 0;
  const BOOL ok = ::WriteFile(file, buffer, bytes, &put, &place);
  *done = put;
  return ok ? 0 : lastError();
}

std::uint32_t fileSize(FileHandle file, std::uint64_t* size) {
  LARGE_INTEGER bytes{};
  if (!::GetFileSizeEx(file, &bytes)) return lastError();
  *size = static_cast<std::uint64_t>(bytes.QuadPart);
  return 0;
}

std::uint32_t setFileEnd(FileHandle file, std::uint64_t size) {
  LARGE_INTEGER end{};
  end.QuadPart = static_cast<LONGLONG>(size);
  if (!::SetFilePointerEx(file, end, nullptr, FILE_BEGIN) || !::SetEndOfFile(file)) return lastError();
  return 0;
}

std::uint32_t closeFile(FileHandle file) { return ::CloseHandle(file) ? 0 : lastError(); }

}  // namespace kernel32
