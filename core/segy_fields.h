// Stores of SEG-Y binary fields by the standard's own byte numbers (counted
// from 1 within the header they belong to), always through the output byte
// order, and the number conversions the headers share. Any thread.
#pragma once

#include "core/byte_order.h"

#include <cmath>
#include <cstdint>
#include <cstring>

inline void putSegyShort(unsigned char* header, int segyByte, std::uint32_t bigEndian, std::uint16_t value) {
  const std::uint16_t stored = OrderShort(bigEndian, value);
  std::memcpy(header + segyByte - 1, &stored, sizeof stored);
}

inline void putSegyLong(unsigned char* header, int segyByte, std::uint32_t bigEndian, std::uint32_t value) {
  const std::uint32_t stored = OrderLong(bigEndian, value);
  std::memcpy(header + segyByte - 1, &stored, sizeof stored);
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
