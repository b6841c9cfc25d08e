#include "tools/veskconv_batch/output_names.h"

#include "app/ui_texts.h"
#include "platform/files.h"
#include "platform/path_queries.h"
#include "platform/split_path.h"

#include <sys/stat.h>

#include <cstdlib>
#include <memory>

std::string defaultSegyName(const std::string& input, const std::string& folder) {
  char drive[_MAX_DRIVE];
  char directory[_MAX_DIR];
  char base[_MAX_FNAME];
  _splitpath(input.c_str(), drive, directory, base, nullptr);
  std::string name;
  if (folder.empty()) {
    name = std::string(drive) + directory;
  } else {
    name = folder.back() == '/' ? folder : folder + "/";
  }
  return name + base + "." + SEGY_FILE_EXTENSION;
}

std::string outputFor(const BatchOptions& options, const std::string& input) {
  if (options.output.empty()) return defaultSegyName(input, "");
  if (options.outputIsFolder) return defaultSegyName(input, options.output);
  return options.output;
}

std::string placeOf(const std::string& path) {
  const std::string target = followLinks(path);
  const std::size_t slash = target.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : target.substr(0, slash);
  const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
  const std::unique_ptr<char, void (*)(void*)> real(::realpath(folder.c_str(), nullptr), std::free);
  return (real ? std::string(real.get()) : folder) + "/" + name;
}

std::optional<FileIdentity> identityOf(const std::string& path) {
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0) return std::nullopt;
  return FileIdentity{status.st_dev, status.st_ino};
}

bool isFolder(const std::string& path) {
  struct stat status {};
  return ::stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

bool mayReplace(const std::string& output) {
  if (!identityOf(output)) return true;
  HANDLE probe = CreateFileA(output.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (probe == INVALID_HANDLE_VALUE) return false;
  CloseHandle(probe);
  return true;
}

bool isSpecialFile(const std::string& path) {
  struct stat status {};
  return ::stat(path.c_str(), &status) == 0 && !S_ISREG(status.st_mode) && !S_ISDIR(status.st_mode);
}
