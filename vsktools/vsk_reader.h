// The sonar reader library: three operations over an open VSK file handle.
//
// The library owns the memory it hands back. The header stays valid and
// writable until ReadFullVSKHeader succeeds on another file (a failed read
// leaves it alone); a record stays valid and writable until the next
// ReadNextVSKData. Every record buffer is readable for at least 256 bytes and
// the header for its channel table and never fewer than 8 entries, zero-padded
// past what the file holds. The library never reads outside the file and never
// allocates more than the file can hold. Positions are 64-bit: files of
// 4 GiB and more read to their end. The file is read ahead in large pieces;
// the handle's position is kept where each operation says, so a caller may
// ask for it and move it between calls.
//
// Called from one thread at a time (the program's command order sees to it).
// Result values are listed in docs/vsk-reader.md.
#pragma once

#include "platform/win_types.h"

struct SonarFileHeader;

enum VskResult : int {
  VSK_OK = 0,
  VSK_END_OF_FILE = -1,
  VSK_ERROR_READ = 1,              // the file could not be read or positioned
  VSK_ERROR_FILE_TOO_SHORT = 2,    // fewer than 256 bytes: no file header
  VSK_ERROR_SIGNATURE = 3,         // not "VSK" + version 1
  VSK_ERROR_HEADER_LENGTH = 4,     // header length below the channel table, or past the end of the file
  VSK_ERROR_TRUNCATED_RECORD = 5,  // fewer than 12 bytes left for a record start
  VSK_ERROR_RECORD_MARKER = 6,     // record marker is not 0xA55A
  VSK_ERROR_RECORD_LENGTH = 7,     // record length below 16, or 2 GiB and more (recordBytes cannot carry it)
  VSK_ERROR_RECORD_PAST_END = 8,   // record length runs past the end of the file
  VSK_ERROR_NO_MEMORY = 9,         // the record or header buffer could not be allocated
};

constexpr int VSK_HEADER_SCRATCH_BYTES = 1028;
constexpr int VSK_READ_MODE = 254;  // the constant the program passes to ReadNextVSKData

// Reads the file header from the start of the file (it rewinds first) and
// leaves the file at the first record. On 0, *header designates the
// header with its full channel table; *unused receives the header length.
// On failure *header is left as it was.
int ReadFullVSKHeader(HANDLE file, SonarFileHeader** header, DWORD* unused);

// Skips the file header of a file just rewound to 0; fills the 1028-byte
// scratch area with the first bytes of the header (zeros past its end; a
// null scratch is allowed). Result: as above. The header that
// ReadFullVSKHeader returned is not touched.
int ReadVSKHeader(HANDLE file, void* scratch);

// Reads the next record. At byte 0 it first passes over the file header,
// checking it as ReadFullVSKHeader does. 0: *record designates the whole
// record, *recordBytes its length, and the file stands behind it. -1: the
// position is exactly the end of the file. Any other value: an error
// (VskResult); the file then stands where the refused record starts (at 0
// for a refused header), so the next read refuses it again, and the previous
// record's bytes are no longer valid. mode is not interpreted.
int ReadNextVSKData(HANDLE file, void** record, int* recordBytes, int mode);

// Steps over the next record as ReadNextVSKData reads it, with the same
// checks, results and positions, but without reading its body: for counting.
// On 0, *headerType holds the record's header type. The record that
// ReadNextVSKData returned last is no longer valid afterwards.
int SkipNextVSKData(HANDLE file, int* headerType);
