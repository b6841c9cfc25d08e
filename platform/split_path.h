// _splitpath: drive, directory, base name and extension, with the runtime's
// buffer sizes. On Windows it is the C runtime's own (<cstdlib> declares it
// exactly as below): drive letters, both separators. Elsewhere split_path.cpp
// gives the same function for Linux paths, which have no drive (always empty)
// and '/' as the only separator; there the extension is the part of the last
// component from its last period on, and the directory keeps its trailing
// separator. Any output may be nullptr. Outputs are cut to their sizes below,
// always zero-terminated.
#pragma once

#include <cstdlib>

// The same definitions as the Windows runtime's, so both may be seen.
#define _MAX_PATH 260
#define _MAX_DRIVE 3
#define _MAX_DIR 256
#define _MAX_FNAME 256
#define _MAX_EXT 256

// Declared as the Windows runtime declares it; dllimport means nothing elsewhere.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wattributes"
extern "C" __attribute__((dllimport)) void _splitpath(const char* path, char* drive, char* dir, char* fname, char* ext);
#pragma GCC diagnostic pop
