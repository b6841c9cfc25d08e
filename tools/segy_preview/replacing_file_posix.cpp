#include "tools/segy_preview/replacing_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <utility>

namespace {

// Created as any new file is, with the umask applied.
constexpr mode_t NEW_FILE_MODE = 0666;
constexpr int NAME_ATTEMPTS = 100;

std::atomic<unsigned> nextTemporary{0};

}  // namespace

ReplacingFile::ReplacingFile(std::string target, TemporaryWatch watch)
    : target_(std::move(target)), watch_(std::move(watch)) {}

ReplacingFile::~ReplacingFile() { discard(); }

std::FILE* ReplacingFile::open() {
  int descriptor = -1;
  for (int attempt = 0; attempt < NAME_ATTEMPTS && descriptor < 0; ++attempt) {
    temporary_ = target_ + ".part-" + std::to_string(::getpid()) + "-" + std::to_string(nextTemporary++);
    descriptor = ::open(temporary_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, NEW_FILE_MODE);
    if (descriptor < 0 && errno != EEXIST) break;
  }
  if (descriptor < 0) {
    noteError();
    temporary_.clear();
    return nullptr;
  }
  if (watch_) watch_(temporary_, true);
  file_ = ::fdopen(descriptor, "wb");
  if (file_ == nullptr) {
    noteError();
    ::close(descriptor);
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
  if (done && ::rename(temporary_.c_str(), target_.c_str()) != 0) {
    done = false;
    noteError();
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
  if (!temporary_.empty()) ::unlink(temporary_.c_str());
  forgetTemporary();
}
