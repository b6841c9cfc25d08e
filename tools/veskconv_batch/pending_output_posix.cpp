#include "tools/veskconv_batch/pending_output_system.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

constexpr mode_t FOLDER_MODE = 0700;
constexpr mode_t PERMISSION_BITS = 07777;

bool syncPath(const std::string& path, int flags) {
  const int descriptor = ::open(path.c_str(), flags | O_CLOEXEC);
  if (descriptor < 0) return false;
  const bool synced = ::fsync(descriptor) == 0;
  return ::close(descriptor) == 0 && synced;
}

bool failed(std::string* error) {
  *error = std::strerror(errno);
  return false;
}

}  // namespace

namespace pending_output_system {

std::string usablePath(const std::string& path) { return path; }

bool makeFolder(const std::string& path, bool* taken, std::string* error) {
  if (::mkdir(path.c_str(), FOLDER_MODE) == 0) return true;
  *taken = errno == EEXIST;
  return failed(error);
}

bool syncFile(const std::string& path, std::string* error) { return syncPath(path, O_RDONLY) || failed(error); }

std::FILE* openForWriting(const std::string& path, std::string* error) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) failed(error);
  return file;
}

void syncFolder(const std::string& folder) { syncPath(folder, O_RDONLY | O_DIRECTORY); }

bool keepsakeOf(const std::string& path, Keepsake* keepsake) {
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0) return false;
  *keepsake = {status.st_uid, status.st_gid, status.st_mode & PERMISSION_BITS};
  return true;
}

// The owner first: a change of owner clears the set-user-ID bits.
void handOn(const Keepsake& keepsake, const std::string& path) {
  if (::chown(path.c_str(), keepsake.owner, keepsake.group) != 0) {
    [[maybe_unused]] const int groupOnly = ::chown(path.c_str(), static_cast<uid_t>(-1), keepsake.group);
  }
  ::chmod(path.c_str(), keepsake.mode);
}

bool replace(const std::string& from, const std::string& to, std::string* error) {
  return std::rename(from.c_str(), to.c_str()) == 0 || failed(error);
}

}  // namespace pending_output_system
