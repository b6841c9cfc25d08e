// The VSK byte layout shared by the reader and the writer: one block per
// header, in byte order, and little-endian loads and stores that do not
// depend on the host's byte order or on alignment.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace vsk {

// File header
constexpr std::size_t FILE_SIGNATURE = 0;              // 3 bytes "VSK"
constexpr std::size_t FILE_VERSION = 3;                // uint8
constexpr std::size_t FILE_HEADER_LENGTH = 8;          // uint32, bytes up to the first record
constexpr std::size_t FILE_RECORDING_PROGRAM = 12;     // 32 bytes ASCII
constexpr std::size_t FILE_SURVEY_NOTE = 44;           // 64 bytes ASCII
constexpr std::size_t FILE_NAVIGATION_UNITS = 164;     // uint16
constexpr std::size_t FILE_SONAR_CHANNELS = 166;       // uint16
constexpr std::size_t FILE_BATHYMETRY_CHANNELS = 168;  // uint16
constexpr std::size_t FILE_CHANNEL_TABLE = 256;        // 128-byte entries
constexpr std::size_t FILE_FIXED_BYTES = 256;
constexpr std::size_t RECORDING_PROGRAM_BYTES = 32;
constexpr std::size_t SURVEY_NOTE_BYTES = 64;
constexpr char SIGNATURE[] = {'V', 'S', 'K'};
constexpr std::size_t SIGNATURE_BYTES = sizeof SIGNATURE;
constexpr std::uint8_t FORMAT_VERSION = 1;

// Channel entry
constexpr std::size_t ENTRY_BYTES = 128;
constexpr std::size_t ENTRY_TYPE = 0;  // uint8
constexpr std::uint8_t TYPE_SUBBOTTOM = 0;
constexpr std::uint8_t TYPE_PORT = 1;                 // side-scan
constexpr std::uint8_t TYPE_STARBOARD = 2;            // side-scan; any other type is unrecognised
constexpr std::size_t ENTRY_SUBCHANNEL = 1;           // uint8
constexpr std::size_t ENTRY_BYTES_PER_SAMPLE = 6;     // uint16
constexpr std::size_t ENTRY_SAMPLES_PER_CHANNEL = 8;  // uint32
constexpr std::size_t ENTRY_FREQUENCY = 32;           // float32, kHz
constexpr std::size_t ENTRY_NAME = 36;                // 16 bytes ASCII
constexpr std::size_t ENTRY_NAME_BYTES = 16;

// Common record start
constexpr std::size_t RECORD_MARKER = 0;         // uint16
constexpr std::size_t RECORD_HEADER_TYPE = 2;    // uint8
constexpr std::size_t RECORD_CHANNEL_COUNT = 4;  // uint16
constexpr std::size_t RECORD_LENGTH = 8;         // uint32, the whole record
constexpr std::size_t RECORD_START_BYTES = 12;
constexpr std::uint16_t RECORD_MARKER_VALUE = 0xA55A;
constexpr std::uint32_t MIN_RECORD_BYTES = 16;
constexpr std::uint8_t HEADER_TYPE_PING = 0;

// Ping header
constexpr std::size_t PING_HEADER_BYTES = 256;
constexpr std::size_t PING_YEAR = 14;                 // uint16
constexpr std::size_t PING_MONTH = 16;                // uint8
constexpr std::size_t PING_DAY = 17;                  // uint8
constexpr std::size_t PING_HOUR = 18;                 // uint8
constexpr std::size_t PING_MINUTE = 19;               // uint8
constexpr std::size_t PING_SECOND = 20;               // uint8
constexpr std::size_t PING_HUNDREDTHS = 21;           // uint8
constexpr std::size_t PING_DAY_OF_YEAR = 22;          // uint16
constexpr std::size_t PING_NUMBER = 24;               // uint32
constexpr std::size_t PING_SHIP_Y = 128;              // float64
constexpr std::size_t PING_SHIP_X = 136;              // float64
constexpr std::size_t PING_SHIP_HEADING = 144;        // float32
constexpr std::size_t PING_SHIP_SPEED = 148;          // float32
constexpr std::size_t PING_SENSOR_Y = 160;            // float64
constexpr std::size_t PING_SENSOR_X = 168;            // float64
constexpr std::size_t PING_SENSOR_HEADING = 176;      // float32
constexpr std::size_t PING_SENSOR_DEPTH = 192;        // float32
constexpr std::size_t PING_PRIMARY_ALTITUDE = 196;    // float32
constexpr std::size_t PING_AUXILIARY_ALTITUDE = 200;  // float32

// Channel header
constexpr std::size_t CHANNEL_HEADER_BYTES = 64;
constexpr std::size_t CHANNEL_NUMBER = 0;          // uint16
constexpr std::size_t CHANNEL_TIME_DELAY = 12;     // float32, s
constexpr std::size_t CHANNEL_TIME_DURATION = 16;  // float32, s
constexpr std::size_t CHANNEL_SLANT_RANGE = 20;    // float32, m
constexpr std::size_t CHANNEL_SAMPLE_COUNT = 42;   // uint32

inline std::uint16_t load16(const unsigned char* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }
inline std::uint32_t load32(const unsigned char* p) {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
inline std::uint64_t load64(const unsigned char* p) {
  return static_cast<std::uint64_t>(load32(p)) | (static_cast<std::uint64_t>(load32(p + 4)) << 32);
}
inline float loadFloat(const unsigned char* p) {
  const std::uint32_t bits = load32(p);
  float value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}
inline double loadDouble(const unsigned char* p) {
  const std::uint64_t bits = load64(p);
  double value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

inline void store16(unsigned char* p, std::uint16_t v) {
  p[0] = static_cast<unsigned char>(v);
  p[1] = static_cast<unsigned char>(v >> 8);
}
inline void store32(unsigned char* p, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<unsigned char>(v >> (8 * i));
}
inline void store64(unsigned char* p, std::uint64_t v) {
  for (int i = 0; i < 8; ++i) p[i] = static_cast<unsigned char>(v >> (8 * i));
}
inline void storeFloat(unsigned char* p, float v) {
  std::uint32_t bits;
  std::memcpy(&bits, &v, sizeof bits);
  store32(p, bits);
}
inline void storeDouble(unsigned char* p, double v) {
  std::uint64_t bits;
  std::memcpy(&bits, &v, sizeof bits);
  store64(p, bits);
}

}  // namespace vsk
