// Output byte order. Every binary value of the SEG-Y file passes through one
// of these: unchanged when the flag is 0, byte-reversed for any other flag.
#pragma once

#include <cstdint>

inline std::uint16_t OrderShort(std::uint32_t flag, std::uint16_t value) {
  return flag == 0 ? value : static_cast<std::uint16_t>((value >> 8) | (value << 8));
}

inline std::uint32_t OrderLong(std::uint32_t flag, std::uint32_t value) {
  return flag == 0 ? value : __builtin_bswap32(value);
}
