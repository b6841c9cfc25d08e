// Output byte order. Every binary value of the SEG-Y file passes through one
// of these: unchanged when the flag is 0, byte-reversed for any other flag.
#pragma once

#include <bit>
#include <cstdint>

inline std::uint16_t OrderShort(std::uint32_t flag, std::uint16_t value) {
  return flag == 0 ? value : static_cast<std::uint16_t>((value >> 8) | (value << 8));
}

inline std::uint32_t OrderLong(std::uint32_t flag, std::uint32_t value) {
  return flag == 0 ? value : __builtin_bswap32(value);
}

// 1 on a host that keeps its own values big-endian. A value formed by
// arithmetic and kept as the file's bytes is ordered against the host's
// order, not against little-endian.
constexpr std::uint32_t HOST_BIG_ENDIAN = std::endian::native == std::endian::big ? 1 : 0;
