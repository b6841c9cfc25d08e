// The part of the private-profile services that depends on the system: where
// a bare settings file name lives, and how the file is read and replaced.
// The text rules (sections, keys, edits) are the portable layer's own
// (platform/profile.cpp). Any thread; the callers serialise writes.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Bounds the memory a hostile settings file can take.
constexpr std::size_t MAX_PROFILE_BYTES = std::size_t{64} << 20;

enum class ProfileReadStatus { Read, Missing, Failed };

struct ProfileText {
  ProfileReadStatus status = ProfileReadStatus::Missing;
  std::string text;
  unsigned permissions = 0;  // kept when the file is replaced
};

// True when the name has no folder part: it lives in settingsFolder().
bool isBareProfileName(const char* fileName);
// The folder of bare settings file names; empty when there is none.
std::string settingsFolder();
// Where a write goes: a settings file that is a link stays one, even when
// the file it names does not exist yet.
std::string profileWriteTarget(const std::string& path);
// Creates the folder (and its parents) when missing; true when it exists.
bool createProfileFolder(const std::string& folder);

// Never blocks (a FIFO in place of the file is Failed) and never reads
// more than MAX_PROFILE_BYTES (a larger file is Failed).
ProfileText readProfileFile(const std::string& path);
// Replaces the file atomically: the new text reaches the disk under a
// temporary name in the same folder, then takes the file's place.
bool replaceProfileFile(const std::string& path, std::string_view text, const ProfileText& old);
