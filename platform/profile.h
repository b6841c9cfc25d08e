// Private-profile (INI) settings with Windows' semantics: sections and keys
// are found case-insensitively (ASCII), the first of duplicate sections or
// keys wins, blanks around keys and values are ignored, one pair of double or
// single quotes around a value is stripped, lines starting with ';' and lines
// that are neither "[section]" nor "key=value" are ignored. A missing or
// unreadable file or key gives the default; so does a file that cannot be an
// INI file (a NUL or a control character other than tab, line breaks, VT and
// FF), which is never rewritten either.
//
// A bare file name (no '/') lives in the settings folder: $XDG_CONFIG_HOME
// (when absolute), else ~/.config; a write creates that folder when missing.
// A name with '/' is used as it is.
//
// A write changes only the line of its key (replaced in place), adds a new
// key at the end of its section and a new section at the end of the file,
// and keeps every other byte. The file is replaced atomically (a temporary
// file in the same folder, fsync, rename), so a crash never leaves a torn
// file; on any failure the old file is left as it was. Files over 64 MiB are
// not read (defaults) nor rewritten (FALSE).
//
// No shared state but the switch below: any thread, though two writers of
// one file race (the last rename wins, the file is never torn).
#pragma once

#include "platform/win_types.h"

#include <string>

// Decimal value of the key (leading blanks, an optional sign, then digits;
// "12abc" reads 12), or defaultValue when the key or file is missing or the
// value has no digits. A number beyond 32 bits keeps its low 32 bits, as an
// atoi-style reading into an unsigned 32-bit value does; "-5" reads as
// (UINT)-5.
UINT GetPrivateProfileIntA(LPCSTR section, LPCSTR key, int defaultValue, LPCSTR fileName);
// Copies the value (or the default, trailing spaces dropped) into buffer, cut
// to size - 1 bytes and zero-terminated; returns the bytes copied, terminator
// excluded. A null section or
// key gives the default (section and key listing is not offered).
DWORD GetPrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR defaultValue, LPSTR buffer, DWORD size,
                               LPCSTR fileName);
// A null value deletes the key. Returns FALSE, leaving the file as it was,
// when the file cannot be written, when the value holds a CR or LF, or when
// the section or key name holds ']', '=', CR or LF, begins with ';' (a key
// also with '['), or the key is empty. A value with blanks at either end, or
// that begins and ends with the same quote, is written inside a pair of double
// quotes so that it reads back as the same bytes. Writing the value already stored
// leaves the file untouched.
BOOL WritePrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR value, LPCSTR fileName);

// For a process that must neither read nor write settings (the batch
// program): from then on every read gives its default and every write
// stores nothing and returns TRUE. Call before any thread reads settings.
void disableProfileFiles();

// Where a settings file name resolves to; empty for a null or empty name, or
// when neither XDG_CONFIG_HOME nor a home folder is known.
std::string profilePath(LPCSTR fileName);
