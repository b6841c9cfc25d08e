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
// One read per this many bytes of the file, not one per record: the page
// cache serves large reads far cheaper than many small ones.
constexpr std::size_t READ_AHEAD_BYTES = std::size_t{1} << 20;

struct Buffer {
  std::unique_ptr<unsigned char[]> bytes;
  std::size_t capacity = 0;
};

// Bytes of one file read ahead of its position: [start, start + length).
// Forgotten at every header read, so nothing carries over to another file.
struct ReadAhead {
  HANDLE file = nullptr;
  std::uint64_t start = 0;
  std::size_t length = 0;
  std::uint64_t knownSize = 0;  // the file's size when last asked; a file may grow
  Buffer buffer;

  bool covers(HANDLE f, std::uint64_t position) const {
    return f == file && position >= start && position - start <= length;
  }
  std::size_t availableAt(std::uint64_t position) const { return static_cast<std::size_t>(start + length - position); }
  unsigned char* at(std::uint64_t position) const { return buffer.bytes.get() + (position - start); }
  void forget() {
    file = nullptr;
    length = 0;
    knownSize = 0;
  }
};

// The program never calls the library from two threads at once, so one
// process-wide state suffices.
struct ReaderState {
  Buffer header;
  Buffer record;  // records too large for the read-ahead, or shorter than 256 bytes
  ReadAhead ahead;
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

// Reads on behind the bytes from position on, so that at least `wanted` of
// them are in the read-ahead where the file holds them. False when a read fails.
bool readAhead(HANDLE file, std::uint64_t position, std::size_t wanted) {
  ReadAhead& ahead = state().ahead;
  if (ahead.buffer.capacity < READ_AHEAD_BYTES && !allocate(ahead.buffer, READ_AHEAD_BYTES)) return false;
  std::size_t kept = 0;
  if (ahead.covers(file, position)) {
    kept = ahead.availableAt(position);
    if (kept >= wanted) return true;
    std::memmove(ahead.buffer.bytes.get(), ahead.at(position), kept);
  } else if (ahead.file != file) {
    ahead.forget();
  }
  ahead.file = file;
  ahead.start = position;
  ahead.length = kept;
  DWORD got = 0;
  if (!seekTo(file, position + kept) ||
      ReadFile(file, ahead.buffer.bytes.get() + kept, static_cast<DWORD>(ahead.buffer.capacity - kept), &got,
               nullptr) == FALSE) {
    ahead.forget();
    return false;
  }
  ahead.length = kept + got;
  return true;
}

// What a record start at `position` says, checked as every reader checks it.
struct RecordStart {
  std::uint8_t headerType = 0;
  std::uint32_t length = 0;
};

int readRecordStart(HANDLE file, std::uint64_t position, RecordStart& start) {
  ReaderState& reader = state();
  if (!readAhead(file, position, vsk::RECORD_START_BYTES)) return VSK_ERROR_READ;
  const std::size_t available = reader.ahead.availableAt(position);
  if (available == 0) {
    const std::uint64_t size = fileSize64(file);
    if (size == NO_POSITION) return VSK_ERROR_READ;
    return position == size ? VSK_END_OF_FILE : VSK_ERROR_TRUNCATED_RECORD;
  }
  if (available < vsk::RECORD_START_BYTES) return VSK_ERROR_TRUNCATED_RECORD;
  const unsigned char* bytes = reader.ahead.at(position);
  if (vsk::load16(bytes + vsk::RECORD_MARKER) != vsk::RECORD_MARKER_VALUE) return VSK_ERROR_RECORD_MARKER;
  start.headerType = bytes[vsk::RECORD_HEADER_TYPE];
  start.length = vsk::load32(bytes + vsk::RECORD_LENGTH);
  if (start.length < vsk::MIN_RECORD_BYTES) return VSK_ERROR_RECORD_LENGTH;
  return VSK_OK;
}

// Whether the whole record fits the file; the size is asked again only for a
// record that ends behind what is already known (a file may grow).
int checkRecordFits(HANDLE file, std::uint64_t position, std::uint32_t length) {
  ReadAhead& ahead = state().ahead;
  const std::uint64_t end = position + length;
  if (end > ahead.start + ahead.length && end > ahead.knownSize) {
    const std::uint64_t size = fileSize64(file);
    if (size == NO_POSITION) return VSK_ERROR_READ;
    ahead.knownSize = size;
    if (end > size) return VSK_ERROR_RECORD_PAST_END;
  }
  if (length > MAX_RECORD_BYTES) return VSK_ERROR_RECORD_LENGTH;
  return VSK_OK;
}

// A record longer than the read-ahead: what is ahead, then the rest read
// straight into the record buffer, whose size the file has already vouched for.
int readLongRecord(HANDLE file, std::uint64_t position, std::uint32_t length, unsigned char** bytes) {
  ReaderState& reader = state();
  Buffer& record = reader.record;
  if (record.capacity < length) {
    const std::uint64_t remaining = reader.ahead.knownSize - position;
    const std::size_t wanted = std::max<std::size_t>(
        length, static_cast<std::size_t>(std::min<std::uint64_t>(record.capacity + record.capacity / 2, remaining)));
    if (!allocate(record, wanted)) return VSK_ERROR_NO_MEMORY;
  }
  const std::size_t ahead = std::min<std::size_t>(reader.ahead.availableAt(position), length);
  std::memcpy(record.bytes.get(), reader.ahead.at(position), ahead);
  reader.ahead.forget();
  if (!seekTo(file, position + ahead)) return VSK_ERROR_READ;
  const int read = readExactly(file, record.bytes.get() + ahead, length - ahead);
  if (read < 0) return VSK_ERROR_READ;
  if (read > 0) return VSK_ERROR_RECORD_PAST_END;
  *bytes = record.bytes.get();
  return VSK_OK;
}

int readRecordAt(HANDLE file, std::uint64_t position, unsigned char** bytes, std::uint32_t* length) {
  ReaderState& reader = state();
  RecordStart start;
  if (const int result = readRecordStart(file, position, start); result != VSK_OK) return result;
  if (const int result = checkRecordFits(file, position, start.length); result != VSK_OK) return result;
  *length = start.length;
  if (start.length > READ_AHEAD_BYTES) return readLongRecord(file, position, start.length, bytes);
  if (!readAhead(file, position, start.length)) return VSK_ERROR_READ;
  if (reader.ahead.availableAt(position) < start.length) return VSK_ERROR_RECORD_PAST_END;
  if (start.length >= MIN_RECORD_BUFFER) {
    *bytes = reader.ahead.at(position);
    return VSK_OK;
  }
  // Short records get a buffer of their own, zero-padded to 256 bytes.
  if (reader.record.capacity < MIN_RECORD_BUFFER && !allocate(reader.record, MIN_RECORD_BUFFER)) {
    return VSK_ERROR_NO_MEMORY;
  }
  std::memset(reader.record.bytes.get(), 0, MIN_RECORD_BUFFER);
  std::memcpy(reader.record.bytes.get(), reader.ahead.at(position), start.length);
  *bytes = reader.record.bytes.get();
  return VSK_OK;
}

// Where the next record starts: the handle's position, behind the file header
// when it stands at byte 0.
int nextRecordPosition(HANDLE file, std::uint64_t* position) {
  *position = filePosition64(file);
  if (*position == NO_POSITION) return VSK_ERROR_READ;
  if (*position != 0) return VSK_OK;
  state().ahead.forget();
  return skipHeader(file, nullptr, position);
}

// A refused record leaves the file at its start, so that the next read
// refuses it again whatever was read before.
int refuse(HANDLE file, std::uint64_t recordStart, int result) {
  if (result != VSK_END_OF_FILE) seekTo(file, recordStart);
  return result;
}

}  // namespace

int ReadFullVSKHeader(HANDLE file, SonarFileHeader** header, DWORD* unused) {
  state().ahead.forget();
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

int ReadVSKHeader(HANDLE file, void* scratch) {
  state().ahead.forget();
  return skipHeader(file, scratch, nullptr);
}

int ReadNextVSKData(HANDLE file, void** record, int* recordBytes, int /*mode*/) {
  std::uint64_t position = 0;
  if (const int result = nextRecordPosition(file, &position); result != VSK_OK) return refuse(file, 0, result);
  unsigned char* bytes = nullptr;
  std::uint32_t length = 0;
  if (const int result = readRecordAt(file, position, &bytes, &length); result != VSK_OK) {
    return refuse(file, position, result);
  }
  seekTo(file, position + length);
  *record = bytes;
  *recordBytes = static_cast<int>(length);
  return VSK_OK;
}

int SkipNextVSKData(HANDLE file, int* headerType) {
  std::uint64_t position = 0;
  if (const int result = nextRecordPosition(file, &position); result != VSK_OK) return refuse(file, 0, result);
  RecordStart start;
  int result = readRecordStart(file, position, start);
  if (result == VSK_OK) result = checkRecordFits(file, position, start.length);
  if (result != VSK_OK) return refuse(file, position, result);
  seekTo(file, position + start.length);
  if (headerType != nullptr) *headerType = start.headerType;
  return VSK_OK;
}
