// _splitpath: drive, directory, base name and extension. Linux paths have no
// drive (always empty) and '/' as the only separator. The extension is the
// part of the last component from its last period on; the directory keeps
// its trailing separator. Any output may be nullptr. Outputs are cut to
// their sizes below, always zero-terminated.
#pragma once

constexpr int _MAX_PATH = 260;
constexpr int _MAX_DRIVE = 3;
constexpr int _MAX_DIR = 256;
constexpr int _MAX_FNAME = 256;
constexpr int _MAX_EXT = 256;

void _splitpath(const char* path, char* drive, char* dir, char* fname, char* ext);
