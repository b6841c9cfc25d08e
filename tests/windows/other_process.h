// What the Windows-only tests need of Windows itself, with plain C++ types:
// these are reached from test files that include the portable layer's
// headers, which cannot meet <windows.h>.
#pragma once

#include <memory>
#include <optional>
#include <string>

// A file held open by another process: this test program started again
// with --hold (see holdFileIfAsked), which opens the file with the given
// kernel32 access and share mode and keeps it until this object goes.
class FileHeldElsewhere {
 public:
  FileHeldElsewhere(const std::string& path, unsigned access, unsigned shareMode);
  ~FileHeldElsewhere();
  FileHeldElsewhere(const FileHeldElsewhere&) = delete;
  FileHeldElsewhere& operator=(const FileHeldElsewhere&) = delete;
  // True once the other process reported that it holds the file.
  bool held() const { return held_; }

 private:
  struct Process;
  std::unique_ptr<Process> process_;
  bool held_ = false;
};

// In main(), first: when started as the holder, holds the file until its
// standard input ends and returns the exit code; otherwise nullopt.
std::optional<int> holdFileIfAsked(int argc, char** argv);

// The user's roaming application data folder as Windows knows it, in the
// code page; and the APPDATA variable of this process (nullopt: removed).
std::string knownRoamingAppData();
void setAppDataVariable(const std::optional<std::string>& value);
