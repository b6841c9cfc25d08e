#include "vsktools/vsk_reader.h"

#include "platform/files.h"
#include "vsktools/vsk_layout.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>

namespace {

// Both readable minimums let a caller read a ping header field, or one of the
// 8 channel entries the program's tables have room for, without a bounds check.
constexpr std::size_t MIN_RECORD_BUFFER = vsk::PING_HEADER_BYTES;
constexpr std::size_t MIN_HEADER_ENTRIES = 8;
constexpr std::uint64_t NO_POSITION = UINT64_MAX;
// recordBytes is an int.
constexpr std::uint32_t MAX_RECORD_BYTES = static_cast<std::uint32_t>(INT_MAX);

struct Buffer {
  std::unique_ptr<unsigned char[]> bytes;
  std::size_t capacity = 0;
};

// The program never calls the library from two threads at once, so one
// process-wide state suffices; nothing in it belongs to a particular file.
struct ReaderState {
  Buffer header;
  Buffer record;
};

ReaderState& state() {
  static ReaderState instance;
  return instance;
}

bool allocate(Buffer& buffer, std::size_t bytes) {
  buffer.bytes.reset(new (std::nothrow) unsigned char[bytes]);
  buffer.capacity = buffer.bytes ? bytes : 0;
  return buffer.bytes != nullptr;
}

bool seekTo(HANDLE file, std::uint64_t position) {
  LONG high = static_cast<LONG>(position >> 32);
  const DWORD low = SetFilePointer(file, static_cast<LONG>(static_cast<DWORD>(position)), &high, FILE_BEGIN);
  return !(low == INVALID_SET_FILE_POINTER && GetLastError() != ERROR_SUCCESS);
}

// 0: all bytes read; 1: the file ended first; -1: the read failed.
int readExactly(HANDLE file, unsigned char* into, std::size_t bytes) {
  DWORD got = 0;
  if (ReadFile(file, into, static_cast<DWORD>(bytes), &got, nullptr) == FALSE) return -1;
  return got == bytes ? 0 : 1;
}

// What the first 256 bytes of a file say once they have been checked.
struct HeaderStart {
  unsigned char fixed[vsk::FILE_FIXED_BYTES];
  std::uint32_t headerLength;
  std::uint64_t tableEnd;  // bytes of the fixed part and the channel table
};

// Rewinds, reads and checks the fixed part of the header. On 0 the file
// stands at byte 256.
int readHeaderStart(HANDLE file, HeaderStart& start) {
  if (!seekTo(file, 0)) return VSK_ERROR_READ;
  const std::uint64_t size = fileSize64(file);
  if (size == NO_POSITION) return VSK_ERROR_READ;
  if (size < vsk::FILE_FIXED_BYTES) return VSK_ERROR_FILE_TOO_SHORT;
  const int read = readExactly(file, start.fixed, vsk::FILE_FIXED_BYTES);
  if (read < 0) return VSK_ERROR_READ;
  if (read > 0) return VSK_ERROR_FILE_TOO_SHORT;
  if (std::memcmp(start.fixed + vsk::FILE_SIGNATURE, vsk::SIGNATURE, vsk::SIGNATURE_BYTES) != 0 ||
      start.fixed[vsk::FILE_VERSION] != vsk::FORMAT_VERSION) {
    return VSK_ERROR_SIGNATURE;
  }
  const std::uint64_t entries = static_cast<std::uint64_t>(vsk::load16(start.fixed + vsk::FILE_SONAR_CHANNELS)) +
                                vsk::load16(start.fixed + vsk::FILE_BATHYMETRY_CHANNELS);
  start.tableEnd = vsk::FILE_CHANNEL_TABLE + entries * vsk::ENTRY_BYTES;
  start.headerLength = vsk::load32(start.fixed + vsk::FILE_HEADER_LENGTH);
  if (start.headerLength < start.tableEnd || start.headerLength > size) return VSK_ERROR_HEADER_LENGTH;
  return VSK_OK;
}

// Checks the header, copies its first bytes to scratch when given, and
// leaves the file at the first record, whose position goes to *firstRecord.
int skipHeader(HANDLE file, void* scratch, std::uint64_t* firstRecord) {
  HeaderStart start;
  if (const int result = readHeaderStart(file, start); result != VSK_OK) return result;
  if (scratch != nullptr) {
    auto* out = static_cast<unsigned char*>(scratch);
    const std::size_t kept = std::min<std::size_t>(VSK_HEADER_SCRATCH_BYTES, start.headerLength);
    std::memset(out, 0, VSK_HEADER_SCRATCH_BYTES);
    std::memcpy(out, start.fixed, vsk::FILE_FIXED_BYTES);
    if (kept > vsk::FILE_FIXED_BYTES &&
        readExactly(file, out + vsk::FILE_FIXED_BYTES, kept - vsk::FILE_FIXED_BYTES) != 0) {
      return VSK_ERROR_READ;
    }
  }
  if (!seekTo(file, start.headerLength)) return VSK_ERROR_READ;
  if (firstRecord != nullptr) *firstRecord = start.headerLength;
  return VSK_OK;
}

// Makes room for a record of `length` bytes whose 12-byte start, read at
// `recordStart`, is already in the buffer. The length is checked against
// what the file holds before anything is allocated.
int growRecordBuffer(HANDLE file, Buffer& buffer, std::uint64_t recordStart, std::uint32_t length) {
  const std::uint64_t size = fileSize64(file);
  if (size == NO_POSITION) return VSK_ERROR_READ;
  const std::uint64_t remaining = size > recordStart ? size - recordStart : 0;
  if (length > remaining) return VSK_ERROR_RECORD_PAST_END;
  if (length > MAX_RECORD_BYTES) return VSK_ERROR_RECORD_LENGTH;
  if (length <= buffer.capacity) return VSK_OK;
  // Grow by half again so that records of varying size settle quickly, but
  // never beyond what the rest of the file could fill.
  const std::size_t wanted = std::max<std::size_t>(
      length, static_cast<std::size_t>(std::min<std::uint64_t>(buffer.capacity + buffer.capacity / 2, remaining)));
  Buffer grown;
  if (!allocate(grown, wanted)) return VSK_ERROR_NO_MEMORY;
  std::memcpy(grown.bytes.get(), buffer.bytes.get(), vsk::RECORD_START_BYTES);
  buffer = std::move(grown);
  return VSK_OK;
}

}  // namespace

int ReadFullVSKHeader(HANDLE file, SonarFileHeader** header, DWORD* unused) {
  HeaderStart start;
  if (const int result = readHeaderStart(file, start); result != VSK_OK) return result;
  // The table end was checked against the file size, so this allocation is
  // bounded by the file; the padding is a small constant.
  const std::size_t tableBytes = static_cast<std::size_t>(start.tableEnd);
  const std::size_t bytes = std::max(tableBytes, vsk::FILE_CHANNEL_TABLE + MIN_HEADER_ENTRIES * vsk::ENTRY_BYTES);
  Buffer fresh;
  if (!allocate(fresh, bytes)) return VSK_ERROR_NO_MEMORY;
  std::memset(fresh.bytes.get(), 0, bytes);
  std::memcpy(fresh.bytes.get(), start.fixed, vsk::FILE_FIXED_BYTES);
  if (readExactly(file, fresh.bytes.get() + vsk::FILE_FIXED_BYTES, tableBytes - vsk::FILE_FIXED_BYTES) != 0) {
    return VSK_ERROR_READ;
  }
  if (!seekTo(file, start.headerLength)) return VSK_ERROR_READ;
  state().header = std::move(fresh);
  if (header != nullptr) *header = reinterpret_cast<SonarFileHeader*>(state().header.bytes.get());
  if (unused != nullptr) *unused = start.headerLength;
  return VSK_OK;
}

int ReadVSKHeader(HANDLE file, void* scratch) { return skipHeader(file, scratch, nullptr); }

int ReadNextVSKData(HANDLE file, void** record, int* recordBytes, int /*mode*/) {
  Buffer& buffer = state().record;
  if (buffer.capacity < MIN_RECORD_BUFFER && !allocate(buffer, MIN_RECORD_BUFFER)) return VSK_ERROR_NO_MEMORY;

  std::uint64_t position = filePosition64(file);
  if (position == NO_POSITION) return VSK_ERROR_READ;
  if (position == 0) {
    if (const int result = skipHeader(file, nullptr, &position); result != VSK_OK) return result;
  }

  DWORD got = 0;
  if (ReadFile(file, buffer.bytes.get(), vsk::RECORD_START_BYTES, &got, nullptr) == FALSE) return VSK_ERROR_READ;
  if (got == 0) {
    const std::uint64_t size = fileSize64(file);
    if (size == NO_POSITION) return VSK_ERROR_READ;
    return position == size ? VSK_END_OF_FILE : VSK_ERROR_TRUNCATED_RECORD;
  }
  if (got < vsk::RECORD_START_BYTES) return VSK_ERROR_TRUNCATED_RECORD;
  if (vsk::load16(buffer.bytes.get() + vsk::RECORD_MARKER) != vsk::RECORD_MARKER_VALUE) return VSK_ERROR_RECORD_MARKER;
  const std::uint32_t length = vsk::load32(buffer.bytes.get() + vsk::RECORD_LENGTH);
  if (length < vsk::MIN_RECORD_BYTES) return VSK_ERROR_RECORD_LENGTH;
  if (length > buffer.capacity || length > MAX_RECORD_BYTES) {
    if (const int result = growRecordBuffer(file, buffer, position, length); result != VSK_OK) return result;
  }

  // A record that fits the buffer is not checked against the size first: a
  // short read tells the same at no extra cost.
  const int read = readExactly(file, buffer.bytes.get() + vsk::RECORD_START_BYTES, length - vsk::RECORD_START_BYTES);
  if (read < 0) return VSK_ERROR_READ;
  if (read > 0) return VSK_ERROR_RECORD_PAST_END;
  if (length < MIN_RECORD_BUFFER) std::memset(buffer.bytes.get() + length, 0, MIN_RECORD_BUFFER - length);
  *record = buffer.bytes.get();
  *recordBytes = static_cast<int>(length);
  return VSK_OK;
}
