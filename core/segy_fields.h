// The SEG-Y file's layout, in one table: the headers' sizes, and every
// binary field the program writes or reads by the standard's own byte number
// (binary header fields counted from 1 at the start of the file, so 3201 to
// 3600; trace header fields from 1 at the start of the trace header), in
// byte order, with the codes written into them beside them. Every field is
// stored and loaded through the output byte order (OrderShort / OrderLong),
// whatever the host's own. Any thread.
#pragma once

#include "core/byte_order.h"

#include <cmath>
#include <cstddef>
#include <cstdint>

constexpr int TEXT_HEADER_BYTES = 3200;
constexpr int BINARY_HEADER_BYTES = 400;
constexpr int REEL_HEADER_BYTES = TEXT_HEADER_BYTES + BINARY_HEADER_BYTES;  // 3600
constexpr int TRACE_HEADER_BYTES = 240;

namespace segy {

constexpr std::size_t SAMPLE_BYTES = 2;  // format 3: two's complement 16-bit integers

// Text header: 40 card images of 80 characters.
constexpr int TEXT_LINE_CHARS = 80;
// Where line, column (both from 1) of the text header lies in it.
constexpr std::size_t textOffset(int line, int column) {
  return static_cast<std::size_t>((line - 1) * TEXT_LINE_CHARS + (column - 1));
}

// Binary header: 16-bit fields.
constexpr int BIN_TRACES_PER_ENSEMBLE = 3213;  // data traces per record
constexpr int BIN_AUXILIARY_TRACES = 3215;
constexpr int BIN_SAMPLE_INTERVAL = 3217;    // microseconds
constexpr int BIN_SAMPLES_PER_TRACE = 3221;  // low 16 bits
constexpr int BIN_SAMPLE_FORMAT = 3225;
constexpr std::uint16_t FORMAT_TWO_BYTE_INTEGER = 3;
constexpr int BIN_SORTING_CODE = 3229;
constexpr std::uint16_t SORTED_AS_RECORDED = 1;
constexpr int BIN_MEASUREMENT_SYSTEM = 3255;
constexpr std::uint16_t MEASURED_IN_METRES = 1;
constexpr int BIN_SAMPLING_RATE = 3261;  // first bytes of the unassigned area: hertz

// Trace header.
constexpr int TR_FIELD_RECORD = 9;     // 32-bit: the sonar ping's number in the run
constexpr int TR_TRACE_NUMBER = 13;    // 32-bit: 1, or 2 for a pair's starboard trace
constexpr int TR_IDENTIFICATION = 29;  // 16-bit
constexpr std::uint16_t ID_SEISMIC = 1;
constexpr std::uint16_t ID_PAIR_TRACE = 9;    // from the standard's optional-use range
constexpr int TR_SOURCE_DEPTH = 49;           // 32-bit
constexpr int TR_WATER_DEPTH_AT_SOURCE = 61;  // 32-bit
constexpr int TR_DEPTH_SCALAR = 69;           // 16-bit
constexpr int TR_COORDINATE_SCALAR = 71;      // 16-bit
constexpr std::int16_t SCALAR_HUNDREDTHS = -100;
constexpr std::int16_t SCALAR_THOUSANDTHS = -1000;
constexpr int TR_SOURCE_X = 73;          // 32-bit
constexpr int TR_SOURCE_Y = 77;          // 32-bit
constexpr int TR_GROUP_X = 81;           // 32-bit
constexpr int TR_GROUP_Y = 85;           // 32-bit
constexpr int TR_COORDINATE_UNITS = 89;  // 16-bit
constexpr std::uint16_t UNITS_LENGTH = 1;
constexpr std::uint16_t UNITS_ARC_SECONDS = 2;
constexpr int TR_DELAY = 109;            // 16-bit, milliseconds
constexpr int TR_SAMPLE_COUNT = 115;     // 16-bit, low 16 bits
constexpr int TR_SAMPLE_INTERVAL = 117;  // 16-bit, microseconds
constexpr int TR_GAIN_TYPE = 119;        // 16-bit
constexpr std::uint16_t GAIN_FIXED = 1;
constexpr int TR_YEAR = 157;         // 16-bit
constexpr int TR_DAY_OF_YEAR = 159;  // 16-bit
constexpr int TR_HOUR = 161;         // 16-bit
constexpr int TR_MINUTE = 163;       // 16-bit
constexpr int TR_SECOND = 165;       // 16-bit

}  // namespace segy

// The ordered value's low byte goes first, so the bytes are the same on any host.
inline void putSegyShort(unsigned char* header, int segyByte, std::uint32_t bigEndian, std::uint16_t value) {
  const std::uint16_t stored = OrderShort(bigEndian, value);
  unsigned char* at = header + segyByte - 1;
  at[0] = static_cast<unsigned char>(stored);
  at[1] = static_cast<unsigned char>(stored >> 8);
}

inline void putSegyLong(unsigned char* header, int segyByte, std::uint32_t bigEndian, std::uint32_t value) {
  const std::uint32_t stored = OrderLong(bigEndian, value);
  unsigned char* at = header + segyByte - 1;
  for (int i = 0; i < 4; ++i) at[i] = static_cast<unsigned char>(stored >> (8 * i));
}

inline std::uint16_t segyShortAt(const unsigned char* header, int segyByte, std::uint32_t bigEndian) {
  const unsigned char* at = header + segyByte - 1;
  return OrderShort(bigEndian, static_cast<std::uint16_t>(at[0] | (at[1] << 8)));
}

inline std::uint32_t segyLongAt(const unsigned char* header, int segyByte, std::uint32_t bigEndian) {
  const unsigned char* at = header + segyByte - 1;
  std::uint32_t stored = 0;
  for (int i = 0; i < 4; ++i) stored |= static_cast<std::uint32_t>(at[i]) << (8 * i);
  return OrderLong(bigEndian, stored);
}

// A 16-bit field takes the low 16 bits of its value; nothing is clamped.
inline std::uint16_t low16(std::int64_t value) { return static_cast<std::uint16_t>(value); }

// Truncation toward zero into a signed 32-bit value. A value that has no
// 32-bit result (out of range, NaN) gives INT32_MIN, the x86 "integer
// indefinite" that the conversion instruction itself produces.
inline std::int32_t truncateToInt32(double value) {
  constexpr double LIMIT = 2147483648.0;
  if (!(value > -LIMIT - 1.0 && value < LIMIT)) return INT32_MIN;
  return static_cast<std::int32_t>(value);
}
