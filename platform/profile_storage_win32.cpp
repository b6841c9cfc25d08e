#include "platform/profile_storage.h"

#include "platform/code_page_text.h"
#include "platform/path_queries.h"

#include <windows.h>

#include <shlobj.h>

#include <atomic>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

// Settings live in %APPDATA%\VESKCONV: the Windows directory, where the
// private-profile functions would put a bare name, is not writable for users.
// Every name here is the active code page's bytes, as in the rest of the
// program; the A functions take them as they are.
namespace {

constexpr wchar_t kAppDataVariable[] = L"APPDATA";
constexpr wchar_t kSettingsSubfolder[] = L"\\VESKCONV";
constexpr char kExtendedPrefix[] = "\\\\?\\";
constexpr char kTemporarySuffix[] = ".tmp";
constexpr DWORD kReadChunk = 64 * 1024;
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

std::atomic<unsigned> temporaryCounter{0};

bool isAbsolute(const std::wstring& path) {
  return (path.size() >= 3 && path[1] == L':' && (path[2] == L'\\' || path[2] == L'/')) ||
         (path.size() >= 2 && path[0] == L'\\' && path[1] == L'\\');
}

std::wstring roamingAppData() {
  std::vector<wchar_t> value(MAX_PATH);
  DWORD length = ::GetEnvironmentVariableW(kAppDataVariable, value.data(), static_cast<DWORD>(value.size()));
  if (length >= value.size()) {
    value.resize(length);
    length = ::GetEnvironmentVariableW(kAppDataVariable, value.data(), static_cast<DWORD>(value.size()));
  }
  std::wstring folder(value.data(), length < value.size() ? length : 0);
  if (isAbsolute(folder)) return folder;
  PWSTR known = nullptr;
  if (SUCCEEDED(::SHGetKnownFolderPath(FOLDERID_RoamingAppData, 0, nullptr, &known))) folder = known;
  ::CoTaskMemFree(known);
  return isAbsolute(folder) ? folder : std::wstring();
}

std::wstring shortForm(const std::wstring& path) {
  const DWORD size = ::GetShortPathNameW(path.c_str(), nullptr, 0);
  if (size == 0) return {};
  std::wstring shortPath(size, L'\0');
  const DWORD length = ::GetShortPathNameW(path.c_str(), shortPath.data(), size);
  shortPath.resize(length < size ? length : 0);
  return shortPath;
}

bool writeAll(HANDLE file, std::string_view text) {
  while (!text.empty()) {
    const DWORD chunk = text.size() > kReadChunk ? kReadChunk : static_cast<DWORD>(text.size());
    DWORD written = 0;
    if (!::WriteFile(file, text.data(), chunk, &written, nullptr) || written == 0) return false;
    text.remove_prefix(written);
  }
  return true;
}

std::string temporaryName(const std::string& path) {
  return path + "." + std::to_string(::GetCurrentProcessId()) + "-" + std::to_string(temporaryCounter++) +
         kTemporarySuffix;
}

}  // namespace

bool isBareProfileName(const char* fileName) { return std::strpbrk(fileName, "\\/:") == nullptr; }

// A user folder whose name the code page cannot hold is reached by its short
// name; without one, settings are not kept.
std::string settingsFolder() {
  const std::wstring appData = roamingAppData();
  if (appData.empty()) return {};
  if (std::optional<std::string> folder = codepage::fromWide(appData + kSettingsSubfolder)) return *folder;
  const std::wstring shortAppData = shortForm(appData);
  if (shortAppData.empty()) return {};
  return codepage::fromWide(shortAppData + kSettingsSubfolder).value_or(std::string());
}

// A settings file that is a symbolic link stays one: the write goes to its target.
std::string profileWriteTarget(const std::string& path) {
  const DWORD attributes = ::GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) return path;
  HANDLE const file = ::CreateFileA(path.c_str(), 0, kShareAll, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return path;
  std::string target(MAX_PATH, '\0');
  DWORD length = ::GetFinalPathNameByHandleA(file, target.data(), static_cast<DWORD>(target.size()), 0);
  if (length >= target.size()) {
    target.resize(length);
    length = ::GetFinalPathNameByHandleA(file, target.data(), static_cast<DWORD>(target.size()), 0);
  }
  ::CloseHandle(file);
  if (length == 0 || length >= target.size()) return path;
  target.resize(length);
  if (target.rfind(kExtendedPrefix, 0) == 0) target.erase(0, std::strlen(kExtendedPrefix));
  return target;
}

bool createProfileFolder(const std::string& folder) {
  for (std::size_t at = folder.find_first_of("\\/", 1); at != std::string::npos;
       at = folder.find_first_of("\\/", at + 1)) {
    ::CreateDirectoryA(folder.substr(0, at).c_str(), nullptr);
  }
  ::CreateDirectoryA(folder.c_str(), nullptr);
  return pathIsFolder(folder);
}

ProfileText readProfileFile(const std::string& path) {
  ProfileText file;
  HANDLE const handle =
      ::CreateFileA(path.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    const DWORD error = ::GetLastError();
    file.status = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? ProfileReadStatus::Missing
                                                                                 : ProfileReadStatus::Failed;
    return file;
  }
  file.status = ProfileReadStatus::Failed;
  LARGE_INTEGER size{};
  if (::GetFileType(handle) == FILE_TYPE_DISK && ::GetFileSizeEx(handle, &size) &&
      static_cast<std::uint64_t>(size.QuadPart) <= MAX_PROFILE_BYTES) {
    std::vector<char> chunk(kReadChunk);
    for (;;) {
      DWORD got = 0;
      if (!::ReadFile(handle, chunk.data(), kReadChunk, &got, nullptr) || file.text.size() + got > MAX_PROFILE_BYTES) {
        break;
      }
      if (got == 0) {
        file.status = ProfileReadStatus::Read;
        break;
      }
      file.text.append(chunk.data(), got);
    }
  }
  ::CloseHandle(handle);
  if (file.status == ProfileReadStatus::Failed) file.text.clear();
  return file;
}

// ReplaceFileA keeps the old file's attributes and security; a first file is
// moved into place. Either way the new text is on the disk before the name
// points at it.
bool replaceProfileFile(const std::string& path, std::string_view text, const ProfileText& old) {
  const std::string temporary = temporaryName(path);
  HANDLE const file =
      ::CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  bool done = writeAll(file, text) && ::FlushFileBuffers(file);
  done = ::CloseHandle(file) && done;
  if (done && old.status == ProfileReadStatus::Read) {
    done = ::ReplaceFileA(path.c_str(), temporary.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr,
                          nullptr) != FALSE;
    if (!done && ::GetLastError() == ERROR_FILE_NOT_FOUND) {
      done =
          ::MoveFileExA(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
    }
  } else if (done) {
    done = ::MoveFileExA(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
  }
  if (!done) ::DeleteFileA(temporary.c_str());
  return done;
}
