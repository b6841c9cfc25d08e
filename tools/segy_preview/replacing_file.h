// A file that is replaced whole or not at all: written under a temporary
// name in the target's own folder (so that the rename cannot cross file
// systems), then put in place by one rename. A file that is not committed is
// removed again, so a half-written file never carries the target's name and
// never stays behind.
//
// It is not synced before the rename: a power cut may lose it as it may lose
// the SEG-Y file written just before it, and a sync would make each picture
// wait until that whole SEG-Y file is on the disk (the file system writes it
// first), which costs as much as drawing the picture. Any thread; one object
// per file.
#pragma once

#include <cstdio>
#include <functional>
#include <string>

class ReplacingFile {
 public:
  // Told of the temporary name when it is made (true) and when it is gone or
  // has become the target (false): a process that may be stopped midway
  // removes what is still temporary.
  using TemporaryWatch = std::function<void(const std::string& temporary, bool exists)>;

  explicit ReplacingFile(std::string target, TemporaryWatch watch = {});
  // Removes the temporary file unless it was committed.
  ~ReplacingFile();
  ReplacingFile(const ReplacingFile&) = delete;
  ReplacingFile& operator=(const ReplacingFile&) = delete;

  // The temporary file, created empty, for writing; nullptr with problem()
  // when it cannot be created.
  std::FILE* open();
  // Flushes and closes the temporary file, then renames it to the target. False with problem() when any step failed: the target is then
  // as it was, and the temporary file is gone.
  bool commit();

  // Empty while nothing went wrong; else the system's reason, one line.
  const std::string& problem() const { return problem_; }

 private:
  void noteError();  // from errno
  void discard();

  void forgetTemporary();

  std::string target_;
  TemporaryWatch watch_;
  std::string temporary_;
  std::FILE* file_ = nullptr;
  std::string problem_;
};
