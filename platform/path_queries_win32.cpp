#include "platform/path_queries.h"

#include "platform/code_page_text.h"

#include <windows.h>

#include <winioctl.h>

#include <cstring>
#include <vector>

// Names are the active code page's bytes, as everywhere in the program.
namespace {

// As many links as Windows follows in one path before it gives up.
constexpr int MAX_LINKS = 63;

// A symbolic link's reparse data, as the file system stores it: the header
// (tag, length, reserved), then the names' places in the path buffer.
constexpr std::size_t REPARSE_HEADER_BYTES = 8;
constexpr std::size_t SUBSTITUTE_OFFSET_AT = REPARSE_HEADER_BYTES;
constexpr std::size_t SUBSTITUTE_LENGTH_AT = REPARSE_HEADER_BYTES + 2;
constexpr std::size_t FLAGS_AT = REPARSE_HEADER_BYTES + 8;
constexpr std::size_t PATH_BUFFER_AT = REPARSE_HEADER_BYTES + 12;
constexpr wchar_t NT_PREFIX[] = L"\\??\\";
constexpr wchar_t NT_UNC_PREFIX[] = L"\\??\\UNC\\";

DWORD attributesOf(const std::string& path) { return ::GetFileAttributesA(path.c_str()); }

template <typename Value>
Value fieldAt(const std::vector<unsigned char>& data, std::size_t offset) {
  Value value{};
  std::memcpy(&value, data.data() + offset, sizeof value);
  return value;
}

bool isSeparator(char c) { return c == '\\' || c == '/'; }

// The target the link at path names, absolute or relative to the link's
// folder as stored; nullopt when path is no symbolic link.
std::optional<std::wstring> linkTarget(const std::string& path, bool* relative) {
  HANDLE link = ::CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (link == INVALID_HANDLE_VALUE) return std::nullopt;
  std::vector<unsigned char> data(MAXIMUM_REPARSE_DATA_BUFFER_SIZE);
  DWORD size = 0;
  const BOOL read = ::DeviceIoControl(link, FSCTL_GET_REPARSE_POINT, nullptr, 0, data.data(),
                                      static_cast<DWORD>(data.size()), &size, nullptr);
  ::CloseHandle(link);
  if (!read || size < PATH_BUFFER_AT || fieldAt<DWORD>(data, 0) != IO_REPARSE_TAG_SYMLINK) return std::nullopt;
  const auto offset = fieldAt<WORD>(data, SUBSTITUTE_OFFSET_AT);
  const auto length = fieldAt<WORD>(data, SUBSTITUTE_LENGTH_AT);
  if (PATH_BUFFER_AT + offset + length > size || length % sizeof(wchar_t) != 0) return std::nullopt;
  std::wstring target(length / sizeof(wchar_t), L'\0');
  std::memcpy(target.data(), data.data() + PATH_BUFFER_AT + offset, length);
  *relative = (fieldAt<ULONG>(data, FLAGS_AT) & SYMLINK_FLAG_RELATIVE) != 0;
  if (target.rfind(NT_UNC_PREFIX, 0) == 0) {
    target = L"\\\\" + target.substr(std::wcslen(NT_UNC_PREFIX));
  } else if (target.rfind(NT_PREFIX, 0) == 0) {
    target = target.substr(std::wcslen(NT_PREFIX));
  }
  return target;
}

}  // namespace

bool pathIsFolder(const std::string& path) {
  const DWORD attributes = attributesOf(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool pathExists(const std::string& path) { return attributesOf(path) != INVALID_FILE_ATTRIBUTES; }

// Windows' names ignore case already: the dialogs find "line7.VSK" as "line7.vsk".
std::optional<std::string> findNameIgnoringCase(const std::string& /*path*/) { return std::nullopt; }

// The link's own reparse data is read, not its target's final path, so that
// a link to a file not made yet still leads there.
std::string followLinks(const std::string& path) {
  std::string current = path;
  for (int hop = 0; hop < MAX_LINKS; ++hop) {
    const DWORD attributes = attributesOf(current);
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) return current;
    bool relative = false;
    const std::optional<std::wstring> target = linkTarget(current, &relative);
    if (!target) return current;
    const std::optional<std::string> next = codepage::fromWide(*target);
    if (!next || next->empty()) return path;
    if (relative) {
      std::size_t slash = current.size();
      while (slash > 0 && !isSeparator(current[slash - 1])) --slash;
      current = current.substr(0, slash) + *next;
    } else {
      current = *next;
    }
  }
  return path;
}
