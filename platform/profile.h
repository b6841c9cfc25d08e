// Private-profile (INI) settings with Windows' semantics: sections and keys
// are found case-insensitively, a missing file or key gives the default, and
// a write keeps every other section, key, comment and line as it is.
//
// A bare file name (no '/') lives in the settings folder:
// $XDG_CONFIG_HOME, else ~/.config. Each write replaces the file atomically
// (a temporary file renamed over it), so a crash never leaves a torn file.
#pragma once

#include "platform/win_types.h"

#include <string>

// Decimal value of the key (leading blanks, an optional sign, then digits;
// "12abc" reads 12), or defaultValue when the key or file is missing or the
// value has no digits. Values beyond 32 bits keep their low 32 bits.
UINT GetPrivateProfileIntA(LPCSTR section, LPCSTR key, int defaultValue, LPCSTR fileName);
// Copies the value (or the default) into buffer, cut to size - 1 bytes and
// zero-terminated; returns the bytes copied, terminator excluded.
DWORD GetPrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR defaultValue, LPSTR buffer, DWORD size,
                               LPCSTR fileName);
// A null value deletes the key. Returns FALSE when the file cannot be written
// (the old file is then left as it was).
BOOL WritePrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR value, LPCSTR fileName);

// Where a bare settings file name resolves to.
std::string profilePath(LPCSTR fileName);
