#include "platform/files.h"

#include "platform/file_hooks.h"
#include "platform/file_object.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <fcntl.h>
#include <mutex>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// With pread / pwrite at the position FileObject keeps.
struct PosixFile final : FileObject {
  int fd = -1;
  std::uint64_t handedToDisk = 0;  // write-behind: bytes before this are on their way
  BOOL close() override {
    const int result = ::close(fd);  // closing also drops the share lock
    fd = -1;
    return result == 0 ? TRUE : FALSE;
  }
  DWORD size(std::uint64_t* bytes) const override;
};

std::atomic<bool> writeBehind{false};
// Large enough that the calls do not count, small enough that the disk is
// kept busy while the writer goes on.
constexpr std::uint64_t WRITE_BEHIND_STEP = std::uint64_t{8} << 20;
// A read this large is a reader's piece, and the next piece follows it: the
// disk fetches that one while this one is worked on.
constexpr DWORD NEXT_PIECE_BYTES = DWORD{1} << 20;

// Starts the disk writes of what was written since the last step; it does
// not wait for them.
void handToDisk(PosixFile& file) {
  if (file.position < file.handedToDisk + WRITE_BEHIND_STEP) {
    if (file.position < file.handedToDisk) file.handedToDisk = 0;  // rewritten from an earlier place
    return;
  }
  ::sync_file_range(file.fd, static_cast<off_t>(file.handedToDisk),
                    static_cast<off_t>(file.position - file.handedToDisk), SYNC_FILE_RANGE_WRITE);
  file.handedToDisk = file.position;
}

DWORD errorFromErrno(int err) {
  switch (err) {
    case ENOENT:
      return ERROR_FILE_NOT_FOUND;
    case ENOTDIR:
      return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
      return ERROR_ACCESS_DENIED;
    case EWOULDBLOCK:
      return ERROR_SHARING_VIOLATION;
    case ENOSPC:
    case EDQUOT:
      return ERROR_DISK_FULL;
    case ENOMEM:
      return ERROR_NOT_ENOUGH_MEMORY;
    case EINVAL:
      return ERROR_INVALID_PARAMETER;
    case EBADF:
      return ERROR_INVALID_HANDLE;
    default:
      return ERROR_WRITE_FAULT;
  }
}

PosixFile* asFile(HANDLE handle) { return static_cast<PosixFile*>(asFileObject(handle)); }

DWORD notRegularError(const struct stat& info) {
  return S_ISDIR(info.st_mode) ? ERROR_ACCESS_DENIED : ERROR_BAD_FILE_TYPE;
}

// Other programs ignore our flock. A lease shows them: a read lease cannot be
// had while anyone has the file open for writing, a write lease while anyone
// else has it open at all. It is released at once: kept, it would hold up
// every later opener elsewhere until we let go. Where no lease can be had
// (another owner's file without CAP_LEASE, a file system without leases) the
// answer is "not seen", as before leases were asked.
bool openedElsewhere(int fd, bool forWriting) {
  // A break in the moment the lease is held must not kill the process with
  // SIGIO: SIGURG is ignored unless someone handles it.
  if (::fcntl(fd, F_SETSIG, SIGURG) != 0) return false;
  if (::fcntl(fd, F_SETLEASE, forWriting ? F_WRLCK : F_RDLCK) == 0) {
    ::fcntl(fd, F_SETLEASE, F_UNLCK);
    return false;
  }
  return errno == EAGAIN || errno == EBUSY;
}

HANDLE failOpen(int fd, DWORD error) {
  if (fd >= 0) ::close(fd);
  SetLastError(error);
  return INVALID_HANDLE_VALUE;
}

}  // namespace

DWORD PosixFile::size(std::uint64_t* bytes) const {
  struct stat info {};
  if (::fstat(fd, &info) != 0) return errorFromErrno(errno);
  *bytes = static_cast<std::uint64_t>(info.st_size);
  return ERROR_SUCCESS;
}

HANDLE CreateFileA(LPCSTR fileName, DWORD desiredAccess, DWORD shareMode, void* /*securityAttributes*/,
                   DWORD creationDisposition, DWORD /*flagsAndAttributes*/, HANDLE /*templateFile*/) {
  if (fileName == nullptr || fileName[0] == '\0') return failOpen(-1, ERROR_PATH_NOT_FOUND);
  const std::string name = nameToOpen(fileName, creationDisposition);
  fileName = name.c_str();
  const bool wantRead = (desiredAccess & GENERIC_READ) != 0;
  const bool wantWrite = (desiredAccess & GENERIC_WRITE) != 0;
  // Non-blocking: a FIFO without a peer must never hold the open up.
  int flags = O_CLOEXEC | O_NOCTTY | O_NONBLOCK;
  if (wantRead && wantWrite) flags |= O_RDWR;
  else if (wantWrite) flags |= O_WRONLY;
  else flags |= O_RDONLY;
  if (creationDisposition == CREATE_ALWAYS) {
    if (!wantWrite) return failOpen(-1, ERROR_INVALID_PARAMETER);
    flags |= O_CREAT;  // truncation waits until the share check has passed
  } else if (creationDisposition != OPEN_EXISTING) {
    return failOpen(-1, ERROR_INVALID_PARAMETER);
  }

  // Devices are not even opened: opening some of them has effects of its own.
  struct stat info {};
  if (::stat(fileName, &info) == 0 && !S_ISREG(info.st_mode)) return failOpen(-1, notRegularError(info));

  const int fd = ::open(fileName, flags, 0666);
  if (fd < 0) return failOpen(-1, errno == ENXIO ? ERROR_BAD_FILE_TYPE : errorFromErrno(errno));
  if (::fstat(fd, &info) != 0) return failOpen(fd, errorFromErrno(errno));
  if (!S_ISREG(info.st_mode)) return failOpen(fd, notRegularError(info));
  if (::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) return failOpen(fd, errorFromErrno(errno));
  // A survey is read front to back: a larger read-ahead serves a cold disk.
  if (!wantWrite) ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);

  // flock locks belong to the open file description, so a second open of the
  // same inode conflicts with this one inside the process as well as outside.
  const int lockKind = shareMode == 0 ? LOCK_EX : LOCK_SH;
  if (::flock(fd, lockKind | LOCK_NB) != 0) {
    return failOpen(fd, errno == EWOULDBLOCK ? ERROR_SHARING_VIOLATION : errorFromErrno(errno));
  }
  if (shareMode == 0 && openedElsewhere(fd, wantWrite)) return failOpen(fd, ERROR_SHARING_VIOLATION);
  // Only a file that holds something is emptied: on ext4 a truncation to 0
  // makes the close flush everything written after it, a needless wait.
  if (creationDisposition == CREATE_ALWAYS && info.st_size != 0 && ::ftruncate(fd, 0) != 0) {
    return failOpen(fd, errorFromErrno(errno));
  }

  auto* file = new PosixFile;
  file->fd = fd;
  SetLastError(ERROR_SUCCESS);
  return file;
}

BOOL ReadFile(HANDLE handle, void* buffer, DWORD bytesToRead, LPDWORD bytesRead, void* /*overlapped*/) {
  if (bytesRead != nullptr) *bytesRead = 0;
  PosixFile* file = asFile(handle);
  if (file == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  callReadHook(handle);
  auto* out = static_cast<unsigned char*>(buffer);
  DWORD done = 0;
  while (done < bytesToRead) {
    const ssize_t n = ::pread(file->fd, out + done, bytesToRead - done, static_cast<off_t>(file->position + done));
    if (n < 0) {
      if (errno == EINTR) continue;
      file->position += done;
      if (bytesRead != nullptr) *bytesRead = done;
      SetLastError(ERROR_READ_FAULT);
      return FALSE;
    }
    if (n == 0) break;  // end of file: success with fewer bytes, as on Windows
    done += static_cast<DWORD>(n);
  }
  file->position += done;
  if (done == bytesToRead && done >= NEXT_PIECE_BYTES) {
    ::posix_fadvise(file->fd, static_cast<off_t>(file->position), static_cast<off_t>(done), POSIX_FADV_WILLNEED);
  }
  if (bytesRead != nullptr) *bytesRead = done;
  SetLastError(ERROR_SUCCESS);
  return TRUE;
}

BOOL WriteFile(HANDLE handle, const void* buffer, DWORD bytesToWrite, LPDWORD bytesWritten, void* /*overlapped*/) {
  if (bytesWritten != nullptr) *bytesWritten = 0;
  PosixFile* file = asFile(handle);
  if (file == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  const DWORD allowed = bytesWriteHookAllows(handle, bytesToWrite);
  const auto* in = static_cast<const unsigned char*>(buffer);
  DWORD done = 0;
  while (done < allowed) {
    const ssize_t n = ::pwrite(file->fd, in + done, allowed - done, static_cast<off_t>(file->position + done));
    if (n < 0) {
      if (errno == EINTR) continue;
      file->position += done;
      if (bytesWritten != nullptr) *bytesWritten = done;
      SetLastError(errorFromErrno(errno));
      return FALSE;
    }
    done += static_cast<DWORD>(n);
  }
  file->position += done;
  if (writeBehind.load(std::memory_order_relaxed)) handToDisk(*file);
  if (bytesWritten != nullptr) *bytesWritten = done;
  if (done < bytesToWrite) {
    SetLastError(ERROR_DISK_FULL);
    return FALSE;
  }
  SetLastError(ERROR_SUCCESS);
  return TRUE;
}

BOOL SetEndOfFile(HANDLE handle) {
  PosixFile* file = asFile(handle);
  if (file == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  struct stat info {};
  const bool sameSize = ::fstat(file->fd, &info) == 0 && static_cast<std::uint64_t>(info.st_size) == file->position;
  if (!sameSize && ::ftruncate(file->fd, static_cast<off_t>(file->position)) != 0) {
    SetLastError(errorFromErrno(errno));
    return FALSE;
  }
  SetLastError(ERROR_SUCCESS);
  return TRUE;
}

void setWriteBehind(bool on) { writeBehind.store(on, std::memory_order_relaxed); }
