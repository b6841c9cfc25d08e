#include "tools/segy_preview/replacing_file.h"

#include "platform/code_page_text.h"
#include "platform/system_error_text.h"

#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <utility>

// Names are the active code page's bytes. The temporary file is created
// with CREATE_NEW, so an existing file of its name is never taken over, and
// put in place with MoveFileExW, which replaces the target as rename(2) does.
namespace {

constexpr int NAME_ATTEMPTS = 100;

std::atomic<unsigned> nextTemporary{0};

}  // namespace

ReplacingFile::ReplacingFile(std::string target, TemporaryWatch watch)
    : target_(std::move(target)), watch_(std::move(watch)) {}

ReplacingFile::~ReplacingFile() { discard(); }

std::FILE* ReplacingFile::open() {
  HANDLE handle = INVALID_HANDLE_VALUE;
  for (int attempt = 0; attempt < NAME_ATTEMPTS && handle == INVALID_HANDLE_VALUE; ++attempt) {
    temporary_ = target_ + ".part-" + std::to_string(::GetCurrentProcessId()) + "-" + std::to_string(nextTemporary++);
    handle = ::CreateFileA(temporary_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE && ::GetLastError() != ERROR_FILE_EXISTS) break;
  }
  if (handle == INVALID_HANDLE_VALUE) {
    problem_ = systemErrorText(::GetLastError());
    temporary_.clear();
    return nullptr;
  }
  if (watch_) watch_(temporary_, true);
  // The runtime's stream takes the handle over: closing it closes both.
  const int descriptor = ::_open_osfhandle(reinterpret_cast<std::intptr_t>(handle), _O_WRONLY | _O_BINARY);
  if (descriptor < 0) {
    noteError();
    ::CloseHandle(handle);
    discard();
    return nullptr;
  }
  file_ = ::_fdopen(descriptor, "wb");
  if (file_ == nullptr) {
    noteError();
    ::_close(descriptor);
    discard();
  }
  return file_;
}

bool ReplacingFile::commit() {
  if (file_ == nullptr) return false;
  std::FILE* file = std::exchange(file_, nullptr);
  bool done = std::fflush(file) == 0;
  if (!done) noteError();
  if (std::fclose(file) != 0 && done) {
    done = false;
    noteError();
  }
  if (done && !::MoveFileExW(codepage::toWide(temporary_).c_str(), codepage::toWide(target_).c_str(),
                             MOVEFILE_REPLACE_EXISTING)) {
    done = false;
    problem_ = systemErrorText(::GetLastError());
  }
  if (!done) {
    discard();
    return false;
  }
  forgetTemporary();
  return true;
}

void ReplacingFile::forgetTemporary() {
  if (watch_ && !temporary_.empty()) watch_(temporary_, false);
  temporary_.clear();
}

void ReplacingFile::noteError() { problem_ = std::strerror(errno); }

void ReplacingFile::discard() {
  if (file_ != nullptr) std::fclose(file_);
  file_ = nullptr;
  if (!temporary_.empty()) ::DeleteFileA(temporary_.c_str());
  forgetTemporary();
}
