#include "tools/veskconv_batch/pending_output.h"

#include "platform/path_queries.h"
#include "tools/veskconv_batch/interruption.h"
#include "tools/veskconv_batch/output_names.h"
#include "tools/veskconv_batch/pending_output_system.h"

#include <cstdio>
#include <random>

namespace sys = pending_output_system;

namespace {

constexpr char FOLDER_PREFIX[] = ".veskconv-";
constexpr char NAME_LETTERS[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
constexpr int NAME_LETTER_COUNT = 6;
constexpr int NAME_ATTEMPTS = 100;

std::string randomLetters() {
  static thread_local std::mt19937 generator{std::random_device{}()};
  std::uniform_int_distribution<std::size_t> pick(0, sizeof NAME_LETTERS - 2);
  std::string letters;
  for (int i = 0; i < NAME_LETTER_COUNT; ++i) letters += NAME_LETTERS[pick(generator)];
  return letters;
}

}  // namespace

// Each name is registered before anything is made there: a process stopped
// at any moment, even by SIGKILL when a batch watches it, leaves nothing
// that is not registered.
bool PendingOutput::create(const std::string& finalPath, std::string* error) {
  discard();
  target_ = followLinks(finalPath);
  const std::string parent = folderOf(target_);
  for (int attempt = 0; attempt < NAME_ATTEMPTS; ++attempt) {
    const std::string candidate = sys::usablePath(inFolder(parent, FOLDER_PREFIX + randomLetters()));
    addTemporary(candidate);
    bool taken = false;
    if (sys::makeFolder(candidate, &taken, error)) {
      folder_ = candidate;
      path_ = sys::usablePath(inFolder(folder_, nameOf(finalPath)));
      addTemporary(path_);
      return true;
    }
    forgetTemporary(candidate);
    if (!taken) return false;
  }
  return false;
}

std::FILE* PendingOutput::openForWriting(std::string* error) { return sys::openForWriting(path_, error); }

bool PendingOutput::sync(std::string* error) {
  if (sys::syncFile(path_, error)) return true;
  discard();
  return false;
}

bool PendingOutput::putInPlace(std::string* error) {
  sys::Keepsake keepsake;
  if (sys::keepsakeOf(target_, &keepsake)) sys::handOn(keepsake, path_);
  bool renamed = false;
  withoutInterruption([&] {
    renamed = sys::replace(path_, sys::usablePath(target_), error);
    if (!renamed) return;
    forgetTemporary(path_);
    path_.clear();
  });
  discard();
  return renamed;
}

std::string PendingOutput::folder() const { return folderOf(target_); }

void PendingOutput::syncFolder(const std::string& folder) { sys::syncFolder(folder); }

void PendingOutput::discard() {
  withoutInterruption([this] {
    for (std::string* path : {&path_, &folder_}) {
      if (path->empty()) continue;
      removeTemporary(*path);
      path->clear();
    }
  });
}

Replaceable replaceable(const std::string& finalPath) {
  if (isSpecialFile(finalPath)) return Replaceable::NotAFile;
  if (pathIsFolder(finalPath)) return Replaceable::Folder;
  return mayReplace(finalPath) ? Replaceable::Yes : Replaceable::Held;
}

bool removeReplaceable(const std::string& finalPath) {
  if (!identityOf(finalPath) || replaceable(finalPath) != Replaceable::Yes) return false;
  return std::remove(sys::usablePath(followLinks(finalPath)).c_str()) == 0;
}
