// Which file each input becomes, by the window's own naming, and how files
// are told apart: by device and inode, so that a second name (a link, a
// relative path) of an input is still that input. Any thread.
#pragma once

#include "tools/veskconv_batch/batch_options.h"

#include <cstdint>
#include <optional>
#include <string>

// The window's default SEG-Y name of an input (its folder and base name with
// ".SEG"), in folder instead when folder is not empty.
std::string defaultSegyName(const std::string& input, const std::string& folder);

// The output of one input under the options. Paths are taken as given: an
// --output without extension is written under that very name.
std::string outputFor(const BatchOptions& options, const std::string& input);

// One spelling per place a new file of this path would land: links
// followed, the folder made absolute. Two outputs of one key are one file.
std::string placeOf(const std::string& path);

// Device and inode on Linux; volume serial number and file index on Windows
// (file_identity_posix.cpp, file_identity_win32.cpp).
struct FileIdentity {
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  bool operator==(const FileIdentity&) const = default;
};

// nullopt when the file does not exist (links are followed).
std::optional<FileIdentity> identityOf(const std::string& path);
// True when something other than a regular file or a folder is there (a
// FIFO, socket or device, links followed).
bool isSpecialFile(const std::string& path);
// Whether the window could replace the file now: false when another program
// holds it, or it is write-protected. A missing file may always be made.
bool mayReplace(const std::string& output);
