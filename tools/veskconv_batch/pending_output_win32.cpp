#include "tools/veskconv_batch/pending_output.h"

#include "platform/code_page_text.h"
#include "platform/path_queries.h"
#include "platform/system_error_text.h"
#include "tools/veskconv_batch/interruption.h"

#include <windows.h>

#include <random>

// The folder is made hidden, as a name starting with a period is on Linux.
// Renaming the written file over the final one is MoveFileExW with
// MOVEFILE_WRITE_THROUGH: it returns once the new name is on the disk, so
// there is no folder to sync afterwards (Windows has no such call for users:
// syncFolder does nothing here). ReplaceFileW is not used: when it fails
// midway it may leave the final name without any file.
namespace {

constexpr char FOLDER_PREFIX[] = ".veskconv-";
constexpr char NAME_LETTERS[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
constexpr int NAME_LETTER_COUNT = 6;
constexpr int NAME_ATTEMPTS = 100;
// What a file replaced keeps of its attributes, as a file emptied and
// rewritten would; read-only never gets this far (the window cannot write it).
constexpr DWORD KEPT_ATTRIBUTES = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
// Windows refuses a rename over a file that another program holds open
// without letting it be deleted, or one made read-only since it was checked.
constexpr char HELD_ELSEWHERE[] = "another program holds it open, or it is write-protected";

std::size_t lastSeparator(const std::string& path) { return path.find_last_of("\\/"); }

std::string folderOf(const std::string& path) {
  const std::size_t slash = lastSeparator(path);
  if (slash == std::string::npos) return ".";
  // "C:\line.SEG" lies in "C:\", not in "C:" (the drive's current folder).
  return slash == 0 || (slash == 2 && path[1] == ':') ? path.substr(0, slash + 1) : path.substr(0, slash);
}

std::string nameOf(const std::string& path) {
  const std::size_t slash = lastSeparator(path);
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string inFolder(const std::string& folder, const std::string& name) {
  return folder.back() == '\\' || folder.back() == '/' ? folder + name : folder + "\\" + name;
}

std::string randomLetters() {
  static thread_local std::mt19937 generator{std::random_device{}()};
  std::uniform_int_distribution<std::size_t> pick(0, sizeof NAME_LETTERS - 2);
  std::string letters;
  for (int i = 0; i < NAME_LETTER_COUNT; ++i) letters += NAME_LETTERS[pick(generator)];
  return letters;
}

std::string lastErrorText() { return systemErrorText(::GetLastError()); }

std::string replaceErrorText(bool targetExists) {
  const DWORD error = ::GetLastError();
  if (targetExists && (error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION)) {
    return std::string(HELD_ELSEWHERE) + " (" + systemErrorText(error) + ")";
  }
  return systemErrorText(error);
}

}  // namespace

bool PendingOutput::create(const std::string& finalPath, std::string* error) {
  discard();
  target_ = followLinks(finalPath);
  const std::string parent = folderOf(target_);
  std::string folder;
  for (int attempt = 0; attempt < NAME_ATTEMPTS && folder.empty(); ++attempt) {
    const std::string candidate = inFolder(parent, FOLDER_PREFIX + randomLetters());
    if (::CreateDirectoryA(candidate.c_str(), nullptr)) {
      folder = candidate;
    } else if (::GetLastError() != ERROR_ALREADY_EXISTS) {
      break;
    }
  }
  if (folder.empty()) {
    *error = lastErrorText();
    return false;
  }
  folder_ = folder;
  addTemporary(folder_);
  ::SetFileAttributesA(folder_.c_str(), FILE_ATTRIBUTE_HIDDEN);
  path_ = inFolder(folder_, nameOf(finalPath));
  addTemporary(path_);
  return true;
}

bool PendingOutput::sync(std::string* error) {
  HANDLE file = ::CreateFileA(path_.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  bool synced = file != INVALID_HANDLE_VALUE && ::FlushFileBuffers(file);
  if (!synced) *error = lastErrorText();
  if (file != INVALID_HANDLE_VALUE && !::CloseHandle(file) && synced) {
    synced = false;
    *error = lastErrorText();
  }
  if (!synced) discard();
  return synced;
}

bool PendingOutput::putInPlace(std::string* error) {
  const DWORD replaced = ::GetFileAttributesA(target_.c_str());
  const bool targetExists = replaced != INVALID_FILE_ATTRIBUTES;
  if (targetExists && (replaced & FILE_ATTRIBUTE_DIRECTORY) == 0) {
    ::SetFileAttributesA(path_.c_str(), (replaced & KEPT_ATTRIBUTES) | FILE_ATTRIBUTE_ARCHIVE);
  }
  bool moved = false;
  withoutInterruption([&] {
    moved = ::MoveFileExW(codepage::toWide(path_).c_str(), codepage::toWide(target_).c_str(),
                          MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
    if (!moved) {
      *error = replaceErrorText(targetExists);
      return;
    }
    forgetTemporary(path_);
    path_.clear();
  });
  discard();
  return moved;
}

std::string PendingOutput::folder() const { return folderOf(target_); }

void PendingOutput::syncFolder(const std::string& /*folder*/) {}

void PendingOutput::discard() {
  withoutInterruption([this] {
    if (!path_.empty()) {
      ::DeleteFileA(path_.c_str());
      forgetTemporary(path_);
      path_.clear();
    }
    if (!folder_.empty()) {
      ::RemoveDirectoryA(folder_.c_str());
      forgetTemporary(folder_);
      folder_.clear();
    }
  });
}
