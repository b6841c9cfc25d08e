// What the file dialog lists, read with POSIX calls so that every name keeps
// its bytes. Any thread.
#pragma once

#include <string>
#include <vector>

struct FolderEntry {
  std::string name;  // bytes, as readdir gave them
  bool folder = false;
};

// The sub-folders of folder ("..", never "." nor hidden names) and then its
// files that match the patterns, each group sorted by name ignoring case.
// Empty when the folder cannot be read.
std::vector<FolderEntry> listFolder(const std::string& folder, const std::string& patterns);
// Patterns are separated by ';' and use '*' and '?'; letters match
// ignoring case, as on Windows ("*.VSK" matches "line7.vsk").
bool matchesPatterns(const std::string& name, const std::string& patterns);
bool hasWildcard(const std::string& text);

bool isFolder(const std::string& path);
std::string currentFolder();
// folder + "/" + name, without doubling the slash of "/".
std::string joinPath(const std::string& folder, const std::string& name);
// An absolute path without "." and ".." components and doubled slashes,
// worked out on the text alone.
std::string simplifiedPath(const std::string& path);
// The folder above (textually, so links read as the user walked them); "/" stays "/".
std::string parentFolder(const std::string& folder);
