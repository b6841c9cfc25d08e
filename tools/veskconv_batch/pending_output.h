// An output written where no one takes it for a result, and put in place only
// once it is complete. A hidden folder ".veskconv-XXXXXX" beside the final
// file holds it under the final file's own name, so the text header names the
// line as the user named it; publish() gets its bytes onto the disk, then
// renames it over the final name; syncFolder makes the new name last (one
// sync serves every output of a folder). Until then an earlier file of that
// name keeps its bytes, and an interruption removes the folder
// (interruption.h). A final name that is a link is written through: the file
// it names is replaced, the link stays. One thread at a time.
#pragma once

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
  // Where the conversion writes; empty before create.
  const std::string& path() const { return path_; }
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
