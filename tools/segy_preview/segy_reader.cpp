#include "tools/segy_preview/segy_reader.h"

#include "core/byte_order.h"
#include "core/reel_header.h"
#include "core/segy_fields.h"
#include "tools/segy_preview/preview_texts.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace {

constexpr std::size_t READ_BUFFER_BYTES = std::size_t{1} << 20;

// The text header states the sample count as "%d" in 6 columns before
// "BITS/IN" begins; a longer count covers them.
constexpr std::size_t TEXT_SAMPLE_COUNT_AT = segy::textOffset(SAMPLE_COUNT_LINE, SAMPLE_COUNT_COLUMN);
constexpr std::size_t TEXT_SAMPLE_COUNT_CHARS = 6;
constexpr std::uint64_t SIXTEEN_BITS = 65536;

std::uint16_t shortAt(const unsigned char* header, int segyByte, bool bigEndian) {
  return segyShortAt(header, segyByte, bigEndian ? 1 : 0);
}

std::int32_t longAt(const unsigned char* header, int segyByte, bool bigEndian) {
  return static_cast<std::int32_t>(segyLongAt(header, segyByte, bigEndian ? 1 : 0));
}

// The digits the text header shows of the sample count, and how many.
struct StatedCount {
  std::uint64_t value = 0;
  std::size_t digits = 0;
};

StatedCount statedCount(const unsigned char* reelHeader) {
  StatedCount stated;
  for (; stated.digits < TEXT_SAMPLE_COUNT_CHARS; ++stated.digits) {
    const unsigned char c = reelHeader[TEXT_SAMPLE_COUNT_AT + stated.digits];
    if (c < '0' || c > '9') break;
    stated.value = stated.value * 10 + (c - '0');
  }
  return stated;
}

bool startsWith(std::uint64_t count, const StatedCount& stated) {
  return stated.digits == 0 || std::to_string(count).compare(0, stated.digits, std::to_string(stated.value)) == 0;
}

// Whether the trace header at `offset` reads as the second trace this system
// writes: trace number 2 of the first record, or 1 of the second.
bool secondTraceAt(const std::string& path, std::uint64_t offset, std::uint32_t tracesPerRecord,
                   std::uint16_t binaryHeaderSamples, bool bigEndian) {
  std::ifstream file(std::filesystem::path(path), std::ios::binary);
  unsigned char header[TRACE_HEADER_BYTES];
  if (!file.seekg(static_cast<std::streamoff>(offset)) || !file.read(reinterpret_cast<char*>(header), sizeof header)) {
    return false;
  }
  const std::int32_t number = longAt(header, segy::TR_TRACE_NUMBER, bigEndian);
  return number == (tracesPerRecord > 1 ? 2 : 1) &&
         shortAt(header, segy::TR_SAMPLE_COUNT, bigEndian) == binaryHeaderSamples;
}

}  // namespace

// The binary and trace headers hold the count's low 16 bits, and the text
// header as many of its digits as 6 columns hold: a shorter count stated
// whole there is taken; else the count whose low 16 bits and leading digits
// are the headers' and whose whole records fill the file, among several the
// one whose second trace header is where it belongs. None: the binary
// header's, and the file is found not to read as written.
std::uint32_t SegyReader::samplesPerTrace(const unsigned char* reelHeader, std::uint64_t fileSize) const {
  const std::uint16_t binary = shortAt(reelHeader, segy::BIN_SAMPLES_PER_TRACE, layout_.bigEndian);
  StatedCount stated = statedCount(reelHeader);
  if (stated.digits > 0 && stated.value % SIXTEEN_BITS != binary) stated = {};
  if (stated.digits > 0 && stated.digits < TEXT_SAMPLE_COUNT_CHARS) return static_cast<std::uint32_t>(stated.value);
  const std::uint64_t traceArea = fileSize - REEL_HEADER_BYTES;
  std::vector<std::uint64_t> candidates;
  for (std::uint64_t count = binary == 0 ? SIXTEEN_BITS : binary;
       count <= UINT32_MAX && TRACE_HEADER_BYTES + segy::SAMPLE_BYTES * count <= traceArea; count += SIXTEEN_BITS) {
    const std::uint64_t traceBytes = TRACE_HEADER_BYTES + segy::SAMPLE_BYTES * count;
    if (traceArea % traceBytes != 0 || (traceArea / traceBytes) % layout_.tracesPerRecord != 0) continue;
    if (startsWith(count, stated)) candidates.push_back(count);
  }
  if (candidates.empty()) return stated.digits > 0 ? static_cast<std::uint32_t>(stated.value) : binary;
  for (const std::uint64_t count : candidates) {
    const std::uint64_t traceBytes = TRACE_HEADER_BYTES + segy::SAMPLE_BYTES * count;
    if (candidates.size() == 1 || traceArea == traceBytes ||
        secondTraceAt(path_, REEL_HEADER_BYTES + traceBytes, layout_.tracesPerRecord, binary, layout_.bigEndian)) {
      return static_cast<std::uint32_t>(count);
    }
  }
  return static_cast<std::uint32_t>(candidates.front());
}

SegyReader::SegyReader() = default;

SegyReader::~SegyReader() {
  if (file_ != nullptr) std::fclose(file_);
}

bool SegyReader::open(const std::string& path) {
  path_ = path;
  std::error_code error;
  const std::uintmax_t size = std::filesystem::file_size(path, error);
  if (error) return fail(formatted(SEGY_UNREADABLE, path.c_str(), error.message().c_str()));
  file_ = std::fopen(path.c_str(), "rb");
  if (file_ == nullptr) return fail(formatted(SEGY_UNREADABLE, path.c_str(), std::strerror(errno)));
  buffer_.resize(READ_BUFFER_BYTES);
  std::setvbuf(file_, buffer_.data(), _IOFBF, buffer_.size());
  if (size == 0) {
    layout_.tracesPerRecord = 1;
    return true;
  }
  if (size < REEL_HEADER_BYTES) return fail(formatted(SEGY_TOO_SHORT, path.c_str()));
  unsigned char reel[REEL_HEADER_BYTES];
  if (!readExactly(reel, sizeof reel)) return false;

  // 3 stands in the format code's second byte when the file is little-endian.
  const std::uint16_t formatLittle = shortAt(reel, segy::BIN_SAMPLE_FORMAT, false);
  if (formatLittle != segy::FORMAT_TWO_BYTE_INTEGER &&
      shortAt(reel, segy::BIN_SAMPLE_FORMAT, true) != segy::FORMAT_TWO_BYTE_INTEGER) {
    return fail(formatted(SEGY_NOT_16_BIT, path.c_str(), unsigned{formatLittle}));
  }
  layout_.bigEndian = formatLittle != segy::FORMAT_TWO_BYTE_INTEGER;
  layout_.tracesPerRecord = shortAt(reel, segy::BIN_TRACES_PER_ENSEMBLE, layout_.bigEndian);
  if (layout_.tracesPerRecord == 0 || layout_.tracesPerRecord > MAX_TRACES_PER_RECORD) {
    return fail(formatted(SEGY_TRACES_PER_RECORD, path.c_str(), layout_.tracesPerRecord, MAX_TRACES_PER_RECORD));
  }
  layout_.samplesPerTrace = samplesPerTrace(reel, size);
  if (layout_.samplesPerTrace == 0) return fail(formatted(SEGY_NO_SAMPLES, path.c_str()));

  const std::uint64_t traceBytes = TRACE_HEADER_BYTES + segy::SAMPLE_BYTES * std::uint64_t{layout_.samplesPerTrace};
  const std::uint64_t traceArea = size - REEL_HEADER_BYTES;
  layout_.traceCount = traceArea / traceBytes;
  if (traceArea % traceBytes != 0) {
    return fail(formatted(SEGY_PARTIAL_TRACE, path.c_str(), static_cast<unsigned long long>(layout_.traceCount + 1),
                          layout_.samplesPerTrace));
  }
  if (layout_.traceCount % layout_.tracesPerRecord != 0) {
    return fail(formatted(SEGY_PARTIAL_RECORD, path.c_str(), static_cast<unsigned long long>(layout_.recordCount() + 1),
                          static_cast<unsigned long long>(layout_.traceCount), layout_.tracesPerRecord));
  }
  return true;
}

bool SegyReader::nextTrace(SegyTrace* trace) {
  if (!problem_.empty() || tracesRead_ == layout_.traceCount) return false;
  unsigned char header[TRACE_HEADER_BYTES];
  if (!readExactly(header, sizeof header)) return false;
  const unsigned long long number = tracesRead_ + 1;
  const bool big = layout_.bigEndian;
  trace->fieldRecord = longAt(header, segy::TR_FIELD_RECORD, big);
  trace->traceNumber = longAt(header, segy::TR_TRACE_NUMBER, big);
  const auto expectedNumber = static_cast<std::int32_t>(tracesRead_ % layout_.tracesPerRecord) + 1;
  if (trace->traceNumber != expectedNumber) {
    return fail(formatted(SEGY_TRACE_NUMBER, number, path_.c_str(), trace->traceNumber, expectedNumber));
  }
  const std::uint16_t samples = shortAt(header, segy::TR_SAMPLE_COUNT, big);
  if (samples != static_cast<std::uint16_t>(layout_.samplesPerTrace)) {
    return fail(formatted(SEGY_TRACE_SAMPLES, number, path_.c_str(), unsigned{samples},
                          unsigned{static_cast<std::uint16_t>(layout_.samplesPerTrace)}));
  }
  if (expectedNumber == 1) {
    recordField_ = trace->fieldRecord;
  } else if (trace->fieldRecord != recordField_) {
    return fail(formatted(SEGY_RECORD_SPLIT, number, path_.c_str(), trace->fieldRecord, recordField_));
  }
  ++tracesRead_;
  samplesLeft_ = layout_.samplesPerTrace;
  return true;
}

bool SegyReader::readSamples(std::int16_t* samples, std::size_t count) {
  if (!problem_.empty() || count > samplesLeft_) return false;
  if (!readExactly(samples, count * segy::SAMPLE_BYTES)) return false;
  samplesLeft_ -= count;
  if ((layout_.bigEndian ? 1u : 0u) != HOST_BIG_ENDIAN) {
    for (std::size_t i = 0; i < count; ++i) {
      samples[i] = static_cast<std::int16_t>(OrderShort(1, static_cast<std::uint16_t>(samples[i])));
    }
  }
  return true;
}

bool SegyReader::fail(std::string problem) {
  problem_ = std::move(problem);
  return false;
}

// The size was checked when the file was opened: a short read now means
// the file changed or the disk failed.
bool SegyReader::readExactly(void* bytes, std::size_t count) {
  if (std::fread(bytes, 1, count, file_) == count) return true;
  if (std::ferror(file_) != 0) return fail(formatted(SEGY_UNREADABLE, path_.c_str(), std::strerror(errno)));
  return fail(formatted(SEGY_ENDED_EARLY, path_.c_str(), static_cast<unsigned long long>(tracesRead_ + 1)));
}
