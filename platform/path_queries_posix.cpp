#include "platform/path_queries.h"

#include <dirent.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <memory>
#include <vector>

namespace {

// As many links as the kernel follows before it gives up.
constexpr int MAX_LINKS = 40;

char lowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool equalIgnoringCase(const std::string& a, const char* b) {
  std::size_t i = 0;
  for (; i < a.size() && b[i] != '\0'; ++i) {
    if (lowerAscii(a[i]) != lowerAscii(b[i])) return false;
  }
  return i == a.size() && b[i] == '\0';
}

}  // namespace

bool pathIsFolder(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool pathExists(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0;
}

std::optional<std::string> findNameIgnoringCase(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  const std::string folder = folderOf(path);
  const std::string prefix = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
  const std::string name = nameOf(path);
  if (name.empty()) return std::nullopt;
  const std::unique_ptr<DIR, int (*)(DIR*)> listing(::opendir(folder.c_str()), ::closedir);
  if (!listing) return std::nullopt;
  std::optional<std::string> found;
  while (const dirent* entry = ::readdir(listing.get())) {
    if (!equalIgnoringCase(name, entry->d_name)) continue;
    if (found) return std::nullopt;
    found = prefix + entry->d_name;
  }
  return found;
}

std::string followLinks(const std::string& path) {
  std::string current = path;
  std::vector<char> target(PATH_MAX);
  for (int hop = 0; hop < MAX_LINKS; ++hop) {
    struct stat info {};
    if (::lstat(current.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return current;
    const ssize_t length = ::readlink(current.c_str(), target.data(), target.size());
    if (length <= 0 || static_cast<std::size_t>(length) >= target.size()) return path;
    std::string next(target.data(), static_cast<std::size_t>(length));
    if (next.front() != '/') {
      const std::size_t slash = current.rfind('/');
      if (slash != std::string::npos) next = current.substr(0, slash + 1) + next;
    }
    current = next;
  }
  return path;
}
