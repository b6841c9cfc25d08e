#include "tools/veskconv_batch/output_names.h"

#include "platform/code_page_text.h"
#include "platform/kernel32_files.h"
#include "platform/path_queries.h"

#include <windows.h>

#include <vector>

namespace {

std::wstring fullPath(const std::wstring& path) {
  const DWORD size = ::GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
  if (size == 0) return path;
  std::wstring full(size, L'\0');
  const DWORD length = ::GetFullPathNameW(path.c_str(), size, full.data(), nullptr);
  full.resize(length < size ? length : 0);
  return full.empty() ? path : full;
}

// The folder's own final path (its links and short names resolved) when it exists.
std::wstring finalFolder(const std::wstring& folder) {
  HANDLE handle = ::CreateFileW(folder.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return folder;
  std::vector<wchar_t> final(MAX_PATH);
  DWORD length = ::GetFinalPathNameByHandleW(handle, final.data(), static_cast<DWORD>(final.size()), VOLUME_NAME_DOS);
  if (length >= final.size()) {
    final.resize(length + 1);
    length = ::GetFinalPathNameByHandleW(handle, final.data(), static_cast<DWORD>(final.size()), VOLUME_NAME_DOS);
  }
  ::CloseHandle(handle);
  if (length == 0 || length >= final.size()) return folder;
  return std::wstring(final.data(), length);
}

std::string utf8(const std::wstring& text) {
  if (text.empty()) return {};
  const int size =
      ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), size, nullptr, nullptr);
  return bytes;
}

}  // namespace

// The runtime's stat gives every file the inode 0: the volume and the file
// index tell files apart, through links and other spellings of a name.
// A device is not even opened.
std::optional<FileIdentity> identityOf(const std::string& path) {
  if (kernel32::namesDevice(path.c_str())) return std::nullopt;
  HANDLE file = ::CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::nullopt;
  BY_HANDLE_FILE_INFORMATION information{};
  const BOOL known = ::GetFileType(file) == FILE_TYPE_DISK && ::GetFileInformationByHandle(file, &information);
  ::CloseHandle(file);
  if (!known) return std::nullopt;
  return FileIdentity{information.dwVolumeSerialNumber,
                      (static_cast<std::uint64_t>(information.nFileIndexHigh) << 32) | information.nFileIndexLow};
}

// NUL, CON, COM1, a pipe: names Windows gives to devices wherever they stand.
bool isSpecialFile(const std::string& path) { return kernel32::namesDevice(followLinks(path).c_str()); }

// Names ignore case and take either separator: the key is the whole path,
// its folder resolved, in capitals, as UTF-8 so that no name is lost in it.
std::string placeOf(const std::string& path) {
  std::wstring full = fullPath(codepage::toWide(followLinks(path)));
  const std::size_t slash = full.find_last_of(L"\\/");
  if (slash != std::wstring::npos && slash + 1 < full.size()) {
    std::wstring folder = finalFolder(full.substr(0, slash + 1));
    while (!folder.empty() && (folder.back() == L'\\' || folder.back() == L'/')) folder.pop_back();
    full = folder + L"\\" + full.substr(slash + 1);
  }
  if (!full.empty()) ::CharUpperBuffW(full.data(), static_cast<DWORD>(full.size()));
  return utf8(full);
}
