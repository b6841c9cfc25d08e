#include "platform/qt/folder_listing.h"

#include <dirent.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <memory>

namespace {

constexpr char SEPARATOR = '/';
constexpr char PATTERN_SEPARATOR = ';';
constexpr std::size_t PASSWORD_BUFFER_BYTES = 16384;

char foldCase(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool matchesPattern(const char* name, const char* nameEnd, const char* pattern, const char* patternEnd) {
  // Iterative glob with one backtrack point: linear enough for file names.
  const char* starPattern = nullptr;
  const char* starName = nullptr;
  while (name != nameEnd) {
    if (pattern != patternEnd && *pattern == '*') {
      starPattern = ++pattern;
      starName = name;
    } else if (pattern != patternEnd && (*pattern == '?' || foldCase(*pattern) == foldCase(*name))) {
      ++pattern;
      ++name;
    } else if (starPattern != nullptr) {
      pattern = starPattern;
      name = ++starName;
    } else {
      return false;
    }
  }
  while (pattern != patternEnd && *pattern == '*') ++pattern;
  return pattern == patternEnd;
}

struct DirCloser {
  void operator()(DIR* dir) const { closedir(dir); }
};

}  // namespace

bool lessIgnoringCase(const std::string& a, const std::string& b) {
  const auto folded = [](char x, char y) { return foldCase(x) < foldCase(y); };
  if (std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), folded)) return true;
  if (std::lexicographical_compare(b.begin(), b.end(), a.begin(), a.end(), folded)) return false;
  return a < b;
}

bool matchesPatterns(const std::string& name, const std::string& patterns) {
  std::size_t start = 0;
  while (start <= patterns.size()) {
    std::size_t end = patterns.find(PATTERN_SEPARATOR, start);
    if (end == std::string::npos) end = patterns.size();
    if (end > start &&
        matchesPattern(name.data(), name.data() + name.size(), patterns.data() + start, patterns.data() + end)) {
      return true;
    }
    start = end + 1;
  }
  return false;
}

bool hasWildcard(const std::string& text) { return text.find_first_of("*?") != std::string::npos; }

std::optional<std::vector<FolderEntry>> listFolder(const std::string& folder, const std::string& patterns) {
  std::vector<FolderEntry> folders;
  std::vector<FolderEntry> files;
  const std::unique_ptr<DIR, DirCloser> dir(opendir(folder.c_str()));
  if (!dir) return std::nullopt;
  while (const dirent* entry = readdir(dir.get())) {
    const std::string name = entry->d_name;
    if (name == "." || (name[0] == '.' && name != "..")) continue;
    struct stat info {};
    const bool known = stat(joinPath(folder, name).c_str(), &info) == 0;
    const auto size = known ? static_cast<std::uint64_t>(info.st_size) : 0;
    const auto modified = known ? static_cast<std::int64_t>(info.st_mtime) : 0;
    if (known && S_ISDIR(info.st_mode)) {
      folders.push_back({name, true, 0, modified});
    } else if (matchesPatterns(name, patterns)) {
      files.push_back({name, false, size, modified});
    }
  }
  const auto byName = [](const FolderEntry& a, const FolderEntry& b) { return lessIgnoringCase(a.name, b.name); };
  std::sort(folders.begin(), folders.end(), byName);
  std::sort(files.begin(), files.end(), byName);
  folders.insert(folders.end(), files.begin(), files.end());
  return folders;
}

std::string currentFolder() {
  std::string buffer(256, '\0');
  while (getcwd(buffer.data(), buffer.size()) == nullptr) {
    if (errno != ERANGE) return std::string(1, SEPARATOR);
    buffer.resize(buffer.size() * 2);
  }
  buffer.resize(buffer.find('\0'));
  return buffer;
}

std::string homeFolder() {
  const char* home = std::getenv("HOME");
  if (home != nullptr && home[0] == SEPARATOR) return home;
  passwd entry{};
  passwd* user = nullptr;
  std::vector<char> buffer(PASSWORD_BUFFER_BYTES);
  if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &user) == 0 && user != nullptr &&
      user->pw_dir != nullptr && user->pw_dir[0] == SEPARATOR) {
    return user->pw_dir;
  }
  return std::string(1, SEPARATOR);
}

std::string joinPath(const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  if (folder.back() == SEPARATOR) return folder + name;
  return folder + SEPARATOR + name;
}

std::string parentFolder(const std::string& folder) {
  std::string path = folder;
  while (path.size() > 1 && path.back() == SEPARATOR) path.pop_back();
  const std::size_t slash = path.rfind(SEPARATOR);
  if (slash == std::string::npos) return currentFolder();
  if (slash == 0) return std::string(1, SEPARATOR);
  return path.substr(0, slash);
}

std::string simplifiedPath(const std::string& path) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t end = path.find(SEPARATOR, start);
    if (end == std::string::npos) end = path.size();
    const std::string part = path.substr(start, end - start);
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    start = end + 1;
  }
  std::string simplified;
  for (const std::string& part : parts) simplified += SEPARATOR + part;
  return simplified.empty() ? std::string(1, SEPARATOR) : simplified;
}
