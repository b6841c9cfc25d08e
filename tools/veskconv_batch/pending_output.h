// An output written where no one takes it for a result, and put in place only
// once it is complete: the SEG-Y files and the pictures of veskconv-batch
// alike. A hidden folder ".veskconv-XXXXXX" beside the final file holds it
// under the final file's own name; sync() gets its bytes onto the disk,
// putInPlace() renames it over the final name, and syncFolder makes the new
// name last (one sync serves every output of a folder). Until then an earlier
// file of that name keeps its bytes, and an interruption removes the folder
// (interruption.h): both paths are registered as temporaries before anything
// is written there. A final name that is a link is written through: the file
// it names is replaced, the link stays. A replaced file keeps its owner,
// group and permissions where the process may set them (its attributes on
// Windows); ACLs, extended attributes and other hard links of it are not
// kept. One thread at a time.
#pragma once

#include <cstdio>
#include <string>

class PendingOutput {
 public:
  PendingOutput() = default;
  PendingOutput(const PendingOutput&) = delete;
  PendingOutput& operator=(const PendingOutput&) = delete;
  ~PendingOutput() { discard(); }

  // Makes the hidden folder beside where finalPath lands. False, with the
  // reason in *error, when it cannot be made.
  bool create(const std::string& finalPath, std::string* error);
  // Where to write: a name any file call of this system takes, however long
  // the final name is; empty before create.
  const std::string& path() const { return path_; }
  // The pending file, created empty, for a writer that writes through the C
  // library (the picture's encoder); nullptr, with the reason in *error,
  // when it cannot be made. The caller closes it.
  std::FILE* openForWriting(std::string* error);
  // The written file's bytes to the disk. False, with the reason in *error,
  // when that fails: the written file is then gone.
  bool sync(std::string* error);
  // After sync: the written file in place of the final file. False, with the
  // reason in *error, when that fails: the final file is then as it was, and
  // the written file is gone.
  bool putInPlace(std::string* error);
  // Removes whatever is pending; the final file is not touched.
  void discard();
  // The folder the output was renamed into.
  std::string folder() const;

  static void syncFolder(const std::string& folder);

 private:
  std::string target_;  // the file replaced: the final name, links followed
  std::string folder_;
  std::string path_;
};

// Whether a file may be put in place at finalPath now, as the window could
// replace it: it is missing, or a regular file no other program holds and
// that is not write-protected.
enum class Replaceable { Yes, NotAFile, Folder, Held };
Replaceable replaceable(const std::string& finalPath);

// Removes the file a replacement of finalPath would replace, when one may
// be put there (Replaceable::Yes). False when there was none or it stayed.
bool removeReplaceable(const std::string& finalPath);
