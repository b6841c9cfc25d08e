#include "platform/profile_storage.h"

#include "platform/path_queries.h"
#include "platform/win_types.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

constexpr std::size_t kReadChunk = 64 * 1024;
constexpr std::size_t kPasswdBuffer = 16 * 1024;
constexpr mode_t kSettingsFolderMode = 0700;
constexpr mode_t kPermissionBits = 07777;
constexpr char kTemporarySuffix[] = ".XXXXXX";
constexpr char kSettingsSubfolder[] = "/.config";

std::string homeFolder() {
  LPCSTR const home = std::getenv("HOME");
  if (home != nullptr && home[0] != '\0') {
    return home;
  }
  passwd entry{};
  passwd* found = nullptr;
  std::vector<char> buffer(kPasswdBuffer);
  if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found != nullptr &&
      found->pw_dir != nullptr) {
    return found->pw_dir;
  }
  return {};
}

}  // namespace

bool isBareProfileName(LPCSTR fileName) { return std::strchr(fileName, '/') == nullptr; }

std::string settingsFolder() {
  LPCSTR const configHome = std::getenv("XDG_CONFIG_HOME");
  if (configHome != nullptr && configHome[0] == '/') {
    return configHome;
  }
  std::string const home = homeFolder();
  return home.empty() ? std::string() : home + kSettingsSubfolder;
}

bool createProfileFolder(const std::string& folder) {
  for (std::size_t slash = folder.find('/', 1); slash != std::string::npos; slash = folder.find('/', slash + 1)) {
    ::mkdir(folder.substr(0, slash).c_str(), kSettingsFolderMode);
  }
  ::mkdir(folder.c_str(), kSettingsFolderMode);
  struct stat status {};
  return ::stat(folder.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

// A settings file that is a symbolic link stays one: the write goes to its target.
std::string profileWriteTarget(const std::string& path) { return followLinks(path); }

ProfileText readProfileFile(const std::string& path) {
  ProfileText file;
  // Non-blocking so that a FIFO in place of the file cannot hang the open.
  int const descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (descriptor < 0) {
    file.status = errno == ENOENT ? ProfileReadStatus::Missing : ProfileReadStatus::Failed;
    return file;
  }
  file.status = ProfileReadStatus::Failed;
  struct stat status {};
  // A file too large is refused by its size, without reading it.
  if (::fstat(descriptor, &status) == 0 && S_ISREG(status.st_mode) &&
      static_cast<std::uint64_t>(status.st_size) <= MAX_PROFILE_BYTES) {
    file.permissions = status.st_mode & kPermissionBits;
    std::vector<char> chunk(kReadChunk);
    for (;;) {
      ssize_t const got = ::read(descriptor, chunk.data(), chunk.size());
      if (got < 0 && errno == EINTR) {
        continue;
      }
      if (got < 0 || file.text.size() + static_cast<std::size_t>(got) > MAX_PROFILE_BYTES) {
        break;
      }
      if (got == 0) {
        file.status = ProfileReadStatus::Read;
        break;
      }
      file.text.append(chunk.data(), static_cast<std::size_t>(got));
    }
  }
  ::close(descriptor);
  if (file.status == ProfileReadStatus::Failed) {
    file.text.clear();
  }
  return file;
}

namespace {

bool writeAll(int descriptor, std::string_view text) {
  while (!text.empty()) {
    ssize_t const written = ::write(descriptor, text.data(), text.size());
    if (written < 0 && errno == EINTR) {
      continue;
    }
    if (written <= 0) {
      return false;
    }
    text.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

void syncFolder(const std::string& folder) {
  int const descriptor = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (descriptor >= 0) {
    ::fsync(descriptor);
    ::close(descriptor);
  }
}

}  // namespace

// New files get mkstemp's owner-only mode; an existing file keeps its own.
bool replaceProfileFile(const std::string& path, std::string_view text, const ProfileText& old) {
  std::string temporary = path + kTemporarySuffix;
  int const descriptor = ::mkostemp(temporary.data(), O_CLOEXEC);
  if (descriptor < 0) {
    return false;
  }
  bool done =
      writeAll(descriptor, text) &&
      (old.status != ProfileReadStatus::Read || ::fchmod(descriptor, static_cast<mode_t>(old.permissions)) == 0) &&
      ::fsync(descriptor) == 0;
  done = ::close(descriptor) == 0 && done;
  done = done && std::rename(temporary.c_str(), path.c_str()) == 0;
  if (!done) {
    ::unlink(temporary.c_str());
    return false;
  }
  syncFolder(folderOf(path));
  return true;
}
