#include "platform/path_queries.h"

namespace {

#ifdef _WIN32
constexpr char SEPARATORS[] = "\\/";
constexpr char SEPARATOR = '\\';
constexpr bool DRIVES = true;
#else
constexpr char SEPARATORS[] = "/";
constexpr char SEPARATOR = '/';
constexpr bool DRIVES = false;
#endif
constexpr char EXTENDED_PREFIX[] = "\\\\?\\";

bool isSeparator(char c) { return c == '/' || c == SEPARATOR; }

}  // namespace

std::string folderOf(const std::string& path) {
  const std::size_t slash = path.find_last_of(SEPARATORS);
  if (slash == std::string::npos) return ".";
  // "C:\line.SEG" lies in "C:\", not in "C:" (the drive's current folder).
  const bool root =
      slash == 0 || (DRIVES && ((slash == 2 && path[1] == ':') || (slash == 6 && path.rfind(EXTENDED_PREFIX, 0) == 0)));
  return path.substr(0, root ? slash + 1 : slash);
}

std::string nameOf(const std::string& path) {
  const std::size_t slash = path.find_last_of(SEPARATORS);
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string inFolder(const std::string& folder, const std::string& name) {
  return !folder.empty() && isSeparator(folder.back()) ? folder + name : folder + SEPARATOR + name;
}
