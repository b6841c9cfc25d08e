#include "tools/veskconv_batch/pending_output.h"

#include "platform/path_queries.h"
#include "tools/veskconv_batch/interruption.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

constexpr char FOLDER_PATTERN[] = ".veskconv-XXXXXX";
constexpr mode_t PERMISSION_BITS = 07777;

std::string folderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string nameOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool syncPath(const std::string& path, int flags) {
  const int descriptor = ::open(path.c_str(), flags | O_CLOEXEC);
  if (descriptor < 0) return false;
  const bool synced = ::fsync(descriptor) == 0;
  return ::close(descriptor) == 0 && synced;
}

}  // namespace

bool PendingOutput::create(const std::string& finalPath, std::string* error) {
  discard();
  target_ = followLinks(finalPath);
  const std::string parent = folderOf(target_);
  std::string pattern = (parent == "/" ? std::string() : parent) + "/" + FOLDER_PATTERN;
  std::vector<char> folder(pattern.begin(), pattern.end());
  folder.push_back('\0');
  if (::mkdtemp(folder.data()) == nullptr) {
    *error = std::strerror(errno);
    return false;
  }
  folder_ = folder.data();
  addTemporary(folder_);
  path_ = folder_ + "/" + nameOf(finalPath);
  addTemporary(path_);
  return true;
}

bool PendingOutput::sync(std::string* error) {
  if (syncPath(path_, O_RDONLY)) return true;
  *error = std::strerror(errno);
  discard();
  return false;
}

bool PendingOutput::putInPlace(std::string* error) {
  // A file replaced keeps its permissions, as one emptied and rewritten would.
  struct stat replaced {};
  if (::stat(target_.c_str(), &replaced) == 0) ::chmod(path_.c_str(), replaced.st_mode & PERMISSION_BITS);
  bool renamed = false;
  withoutInterruption([&] {
    renamed = std::rename(path_.c_str(), target_.c_str()) == 0;
    if (!renamed) {
      *error = std::strerror(errno);
      return;
    }
    forgetTemporary(path_);
    path_.clear();
  });
  discard();
  return renamed;
}

std::string PendingOutput::folder() const { return folderOf(target_); }

// The new name must survive a power cut as well as the bytes behind it.
void PendingOutput::syncFolder(const std::string& folder) { syncPath(folder, O_RDONLY | O_DIRECTORY); }

void PendingOutput::discard() {
  withoutInterruption([this] {
    if (!path_.empty()) {
      ::unlink(path_.c_str());
      forgetTemporary(path_);
      path_.clear();
    }
    if (!folder_.empty()) {
      ::rmdir(folder_.c_str());
      forgetTemporary(folder_);
      folder_.clear();
    }
  });
}
