// Which file each input becomes, by the window's own naming, and how files
// are told apart: by device and inode, so that a second name (a link, a
// relative path) of an input is still that input. Any thread.
#pragma once

#include "tools/veskconv_batch/batch_options.h"

#include <cstdint>
#include <optional>
#include <string>

// The name the file dialogs make of a typed name: the default extension is
// added when the last component has no period.
std::string dialogName(const std::string& typed, const char* defaultExtension);

// The window's default SEG-Y name of an input (its folder and base name with
// ".SEG"), in folder instead when folder is not empty.
std::string defaultSegyName(const std::string& input, const std::string& folder);

// The output of one input under the options, as the save dialog will take it.
std::string outputFor(const BatchOptions& options, const std::string& input);

// Device and inode on Linux; volume serial number and file index on Windows
// (file_identity_posix.cpp, file_identity_win32.cpp).
struct FileIdentity {
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  bool operator==(const FileIdentity&) const = default;
};

// nullopt when the file does not exist (links are followed).
std::optional<FileIdentity> identityOf(const std::string& path);
bool isFolder(const std::string& path);
