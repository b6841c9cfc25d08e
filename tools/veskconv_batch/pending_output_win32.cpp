#include "tools/veskconv_batch/pending_output_system.h"

#include "platform/code_page_text.h"
#include "platform/system_error_text.h"

#include <windows.h>

#include <cerrno>
#include <cstring>

// Names are the active code page's bytes; a name longer than MAX_PATH is
// reached through its \\?\ form, so that a final name the window takes is
// never refused for the 17 bytes of the hidden folder. Renaming the written
// file over the final one is MoveFileExW with MOVEFILE_WRITE_THROUGH: it
// returns once the new name is on the disk, so there is no folder to sync
// afterwards (Windows has no such call for users). ReplaceFileW is not used:
// when it fails midway it may leave the final name without any file.
namespace {

constexpr char EXTENDED_PREFIX[] = "\\\\?\\";
constexpr char UNC_PREFIX[] = "\\\\";
constexpr char EXTENDED_UNC_PREFIX[] = "\\\\?\\UNC\\";
// What a file replaced keeps of its attributes, as a file emptied and
// rewritten would; read-only never gets this far (the window cannot write it).
constexpr DWORD KEPT_ATTRIBUTES = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
// Windows refuses a rename over a file that another program holds open
// without letting it be deleted, or one made read-only since it was checked.
constexpr char HELD_ELSEWHERE[] = "another program holds it open, or it is write-protected";

std::wstring wide(const std::string& path) { return codepage::toWide(path); }

bool failed(std::string* error) {
  *error = systemErrorText(::GetLastError());
  return false;
}

}  // namespace

namespace pending_output_system {

// The W call: the A one takes no more than MAX_PATH either.
std::string usablePath(const std::string& path) {
  if (path.size() < MAX_PATH || path.rfind(EXTENDED_PREFIX, 0) == 0) return path;
  const std::wstring name = wide(path);
  const DWORD size = ::GetFullPathNameW(name.c_str(), 0, nullptr, nullptr);
  if (size == 0) return path;
  std::wstring full(size, L'\0');
  const DWORD length = ::GetFullPathNameW(name.c_str(), size, full.data(), nullptr);
  if (length == 0 || length >= size) return path;
  full.resize(length);
  const std::optional<std::string> bytes = codepage::fromWide(full);
  if (!bytes) return path;
  if (bytes->rfind(UNC_PREFIX, 0) == 0) return EXTENDED_UNC_PREFIX + bytes->substr(2);
  return EXTENDED_PREFIX + *bytes;
}

bool makeFolder(const std::string& path, bool* taken, std::string* error) {
  if (::CreateDirectoryW(wide(path).c_str(), nullptr)) {
    ::SetFileAttributesW(wide(path).c_str(), FILE_ATTRIBUTE_HIDDEN);
    return true;
  }
  *taken = ::GetLastError() == ERROR_ALREADY_EXISTS;
  return failed(error);
}

bool syncFile(const std::string& path, std::string* error) {
  HANDLE file = ::CreateFileW(wide(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return failed(error);
  bool synced = ::FlushFileBuffers(file) || failed(error);
  if (!::CloseHandle(file) && synced) synced = failed(error);
  return synced;
}

std::FILE* openForWriting(const std::string& path, std::string* error) {
  std::FILE* file = ::_wfopen(wide(path).c_str(), L"wb");
  if (file == nullptr) *error = std::strerror(errno);
  return file;
}

void syncFolder(const std::string& /*folder*/) {}

bool keepsakeOf(const std::string& path, Keepsake* keepsake) {
  const DWORD attributes = ::GetFileAttributesW(wide(usablePath(path)).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return false;
  keepsake->mode = (attributes & KEPT_ATTRIBUTES) | FILE_ATTRIBUTE_ARCHIVE;
  return true;
}

void handOn(const Keepsake& keepsake, const std::string& path) {
  ::SetFileAttributesW(wide(path).c_str(), keepsake.mode);
}

bool replace(const std::string& from, const std::string& to, std::string* error) {
  const bool targetExists = ::GetFileAttributesW(wide(to).c_str()) != INVALID_FILE_ATTRIBUTES;
  if (::MoveFileExW(wide(from).c_str(), wide(to).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return true;
  }
  const DWORD cause = ::GetLastError();
  failed(error);
  if (targetExists && (cause == ERROR_ACCESS_DENIED || cause == ERROR_SHARING_VIOLATION)) {
    *error = std::string(HELD_ELSEWHERE) + " (" + *error + ")";
  }
  return false;
}

}  // namespace pending_output_system
