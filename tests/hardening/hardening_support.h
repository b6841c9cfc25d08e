// What the hardening tests share: the program fixture with the checks every
// fault ends with, file bytes, private mounts for full and read-only file
// systems, and the heap in use.
#pragma once

#include "program_test.h"
#include "survey_files.h"

#include <cstdint>
#include <string>
#include <vector>

namespace hardening {

std::vector<unsigned char> fileBytes(const std::string& path);

// A message of the program: format with its one %s filled with file.
std::string formatted(const char* format, const std::string& file);

// SEG-Y size of `traces` traces of `samples` samples behind the reel header.
std::uint64_t segySize(std::uint64_t traces, std::uint32_t samples);

// Mounts live in a mount namespace of this test process only (gone when it
// ends); false, with the reason in *why, where the sandbox allows none.
bool mountTmpfs(const std::string& folder, std::uint64_t sizeBytes, bool readOnly, std::string* why);
bool remountReadOnly(const std::string& folder, std::string* why);

// Bytes the allocator has handed out and not taken back.
std::uint64_t heapInUse();

// The whole program, with what a fault must leave behind.
class HardeningTest : public ProgramTest {
 protected:
  void TearDown() override;

  // A new folder of the test with a tmpfs of sizeBytes on it, unmounted at
  // the end of the test; empty, with the reason in *why, when none can be had.
  std::string mountedFolder(const std::string& name, std::uint64_t sizeBytes, std::string* why);

  // A survey of two pairs and the subbottom, accepted by the ping count.
  std::string acceptSurvey(const std::string& name, std::uint32_t samples, int pings);

  // The "ERROR" boxes since the records were last cleared.
  std::vector<MessageBoxRecord> errorBoxes() const;
  // Exactly one "ERROR" box, and its text names the file as "[file]".
  void expectOneErrorNaming(const std::string& file) const;
  // At rest: " Ready", bar at 0, not busy, both BROWSE buttons and PROCESS enabled.
  void expectUsable() const;
  // A fresh SEG-Y file and one conversion of channel 1, read back whole:
  // proves the window still converts after a fault.
  void expectConvertsAgain(std::uint32_t samples, int pings);

 private:
  std::vector<std::string> mounted_;
};

}  // namespace hardening
