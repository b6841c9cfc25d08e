// What the file dialog lists, read with POSIX calls so that every name keeps
// its bytes. Any thread.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct FolderEntry {
  std::string name;  // bytes, as readdir gave them
  bool folder = false;
  std::uint64_t size = 0;     // bytes
  std::int64_t modified = 0;  // seconds since 1970
};

// The sub-folders of folder ("..", never "." nor hidden names) and then its
// files that match the patterns, each group sorted by name ignoring case.
// nullopt when the folder cannot be read.
std::optional<std::vector<FolderEntry>> listFolder(const std::string& folder, const std::string& patterns);
// By name, letters ignoring case; names equal that way by their bytes.
bool lessIgnoringCase(const std::string& a, const std::string& b);
// Patterns are separated by ';' and use '*' and '?'; letters match
// ignoring case, as on Windows ("*.VSK" matches "line7.vsk").
bool matchesPatterns(const std::string& name, const std::string& patterns);
bool hasWildcard(const std::string& text);

std::string currentFolder();
// $HOME, else the user's home from the password database, else "/".
std::string homeFolder();
// folder + "/" + name, without doubling the slash of "/".
std::string joinPath(const std::string& folder, const std::string& name);
// An absolute path without "." and ".." components and doubled slashes,
// worked out on the text alone.
std::string simplifiedPath(const std::string& path);
// The folder above (textually, so links read as the user walked them); "/" stays "/".
std::string parentFolder(const std::string& folder);
