// What a pending output (pending_output.cpp) asks of the file system
// (pending_output_posix.cpp, pending_output_win32.cpp). Names are this
// system's; every call that can fail gives the system's reason in *error.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace pending_output_system {

// The path as every file call takes it, however long it is.
std::string usablePath(const std::string& path);

// Makes a folder only this user may enter, hidden where names do not hide
// it. *taken when something of that name was already there.
bool makeFolder(const std::string& path, bool* taken, std::string* error);
bool syncFile(const std::string& path, std::string* error);
// Created or emptied, for the C library's writes; nullptr with *error.
std::FILE* openForWriting(const std::string& path, std::string* error);
// The new names in the folder to the disk, where the system asks for it.
void syncFolder(const std::string& folder);

// What a replaced file hands on to the file that replaces it.
struct Keepsake {
  std::uint32_t owner = 0;
  std::uint32_t group = 0;
  std::uint32_t mode = 0;  // permission bits; Windows: attributes
};
bool keepsakeOf(const std::string& path, Keepsake* keepsake);
// As far as this process may: what it may not set stays as created.
void handOn(const Keepsake& keepsake, const std::string& path);

// Renames from over to, replacing whatever file to names.
bool replace(const std::string& from, const std::string& to, std::string* error);

}  // namespace pending_output_system
