#include "tools/veskconv_batch/output_names.h"

#include "platform/path_queries.h"

#include <sys/stat.h>

#include <cstdlib>
#include <memory>

std::optional<FileIdentity> identityOf(const std::string& path) {
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0) return std::nullopt;
  return FileIdentity{static_cast<std::uint64_t>(status.st_dev), static_cast<std::uint64_t>(status.st_ino)};
}

bool isSpecialFile(const std::string& path) {
  struct stat status {};
  return ::stat(path.c_str(), &status) == 0 && !S_ISREG(status.st_mode) && !S_ISDIR(status.st_mode);
}

std::string placeOf(const std::string& path) {
  const std::string target = followLinks(path);
  const std::string folder = folderOf(target);
  const std::string name = nameOf(target);
  const std::unique_ptr<char, void (*)(void*)> real(::realpath(folder.c_str(), nullptr), std::free);
  return (real ? std::string(real.get()) : folder) + "/" + name;
}
