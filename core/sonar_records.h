// The sonar records as the program reads them: typed accessors at the fields'
// byte offsets. The reader library hands back raw little-endian bytes; no
// record is ever cast to a struct, so alignment and padding never matter.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

struct SonarFileHeader;
struct ChannelEntry;
struct PingHeader;
struct ChannelHeader;

namespace sonar {

// SonarFileHeader
constexpr std::size_t FILE_NAVIGATION_UNITS = 164;      // uint16
constexpr std::size_t FILE_SONAR_CHANNELS = 166;        // uint16
constexpr std::size_t FILE_BATHYMETRY_CHANNELS = 168;   // uint16
constexpr std::size_t FILE_CHANNEL_TABLE = 256;         // ChannelEntry[]
constexpr std::size_t CHANNEL_ENTRY_BYTES = 128;

// ChannelEntry
constexpr std::size_t ENTRY_TYPE = 0;                 // uint8
constexpr std::size_t ENTRY_SUBCHANNEL = 1;           // uint8
constexpr std::size_t ENTRY_BYTES_PER_SAMPLE = 6;     // uint16
constexpr std::size_t ENTRY_SAMPLES_PER_CHANNEL = 8;  // uint32
constexpr std::size_t ENTRY_FREQUENCY = 32;           // float32, kHz

// PingHeader
constexpr std::size_t PING_HEADER_BYTES = 256;
constexpr std::size_t PING_HEADER_TYPE = 2;       // uint8, 0 = sonar ping
constexpr std::uint8_t HEADER_TYPE_SONAR_PING = 0;
constexpr std::size_t PING_CHANNEL_COUNT = 4;     // uint16
constexpr std::size_t PING_YEAR = 14;             // uint16
constexpr std::size_t PING_HOUR = 18;             // uint8
constexpr std::size_t PING_MINUTE = 19;           // uint8
constexpr std::size_t PING_SECOND = 20;           // uint8
constexpr std::size_t PING_DAY_OF_YEAR = 22;      // uint16
constexpr std::size_t PING_SHIP_Y = 128;          // float64
constexpr std::size_t PING_SHIP_X = 136;          // float64
constexpr std::size_t PING_SENSOR_Y = 160;        // float64
constexpr std::size_t PING_SENSOR_X = 168;        // float64
constexpr std::size_t PING_SENSOR_DEPTH = 192;    // float32
constexpr std::size_t PING_PRIMARY_ALTITUDE = 196;    // float32
constexpr std::size_t PING_AUXILIARY_ALTITUDE = 200;  // float32

// ChannelHeader
constexpr std::size_t CHANNEL_HEADER_BYTES = 64;
constexpr std::size_t CHANNEL_NUMBER = 0;          // uint16
constexpr std::size_t CHANNEL_TIME_DELAY = 12;     // float32, s
constexpr std::size_t CHANNEL_TIME_DURATION = 16;  // float32, s
constexpr std::size_t CHANNEL_SAMPLE_COUNT = 42;   // uint32

constexpr std::uint8_t TYPE_SUBBOTTOM = 0;
constexpr std::uint8_t TYPE_PORT = 1;
constexpr std::uint8_t TYPE_STARBOARD = 2;

// Little-endian field access; the machines we run on are little-endian, and
// memcpy keeps unaligned reads defined.
static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "records are read in place as little-endian");

template <typename T>
inline T field(const void* record, std::size_t offset) {
  T value;
  std::memcpy(&value, static_cast<const unsigned char*>(record) + offset, sizeof value);
  return value;
}

template <typename T>
inline void setField(void* record, std::size_t offset, T value) {
  std::memcpy(static_cast<unsigned char*>(record) + offset, &value, sizeof value);
}

inline const unsigned char* bytes(const void* record) { return static_cast<const unsigned char*>(record); }

}  // namespace sonar

// SonarFileHeader
inline std::uint16_t navigationUnits(const SonarFileHeader* h) { return sonar::field<std::uint16_t>(h, sonar::FILE_NAVIGATION_UNITS); }
inline std::uint16_t sonarChannelCount(const SonarFileHeader* h) { return sonar::field<std::uint16_t>(h, sonar::FILE_SONAR_CHANNELS); }
inline std::uint16_t bathymetryChannelCount(const SonarFileHeader* h) {
  return sonar::field<std::uint16_t>(h, sonar::FILE_BATHYMETRY_CHANNELS);
}
// Entries in the channel table: the sum of the two 16-bit counts (the reader
// guarantees the whole table lies inside the header it returned).
inline int channelEntryCount(const SonarFileHeader* h) { return sonarChannelCount(h) + bathymetryChannelCount(h); }
inline ChannelEntry* channelEntry(SonarFileHeader* h, int position) {
  return reinterpret_cast<ChannelEntry*>(reinterpret_cast<unsigned char*>(h) + sonar::FILE_CHANNEL_TABLE +
                                         static_cast<std::size_t>(position) * sonar::CHANNEL_ENTRY_BYTES);
}
inline const ChannelEntry* channelEntry(const SonarFileHeader* h, int position) {
  return channelEntry(const_cast<SonarFileHeader*>(h), position);
}

// ChannelEntry
inline std::uint8_t entryType(const ChannelEntry* e) { return sonar::field<std::uint8_t>(e, sonar::ENTRY_TYPE); }
inline std::uint8_t entrySubChannel(const ChannelEntry* e) { return sonar::field<std::uint8_t>(e, sonar::ENTRY_SUBCHANNEL); }
inline std::uint16_t entryBytesPerSample(const ChannelEntry* e) {
  return sonar::field<std::uint16_t>(e, sonar::ENTRY_BYTES_PER_SAMPLE);
}
inline std::uint32_t entrySamplesPerChannel(const ChannelEntry* e) {
  return sonar::field<std::uint32_t>(e, sonar::ENTRY_SAMPLES_PER_CHANNEL);
}
inline float entryFrequency(const ChannelEntry* e) { return sonar::field<float>(e, sonar::ENTRY_FREQUENCY); }
inline void setEntryType(ChannelEntry* e, std::uint8_t v) { sonar::setField(e, sonar::ENTRY_TYPE, v); }
inline void setEntrySubChannel(ChannelEntry* e, std::uint8_t v) { sonar::setField(e, sonar::ENTRY_SUBCHANNEL, v); }
inline void setEntryBytesPerSample(ChannelEntry* e, std::uint16_t v) { sonar::setField(e, sonar::ENTRY_BYTES_PER_SAMPLE, v); }
inline void setEntryFrequency(ChannelEntry* e, float v) { sonar::setField(e, sonar::ENTRY_FREQUENCY, v); }
// Bytes of one sample: 1 means 8-bit unsigned, anything else 16-bit.
inline std::uint32_t sampleWidth(const ChannelEntry* e) { return entryBytesPerSample(e) == 1 ? 1u : 2u; }

// PingHeader
inline std::uint8_t pingHeaderType(const PingHeader* p) { return sonar::field<std::uint8_t>(p, sonar::PING_HEADER_TYPE); }
inline bool isSonarPing(const PingHeader* p) { return pingHeaderType(p) == sonar::HEADER_TYPE_SONAR_PING; }
inline std::uint16_t pingChannelCount(const PingHeader* p) { return sonar::field<std::uint16_t>(p, sonar::PING_CHANNEL_COUNT); }
inline std::uint16_t pingYear(const PingHeader* p) { return sonar::field<std::uint16_t>(p, sonar::PING_YEAR); }
inline std::uint8_t pingHour(const PingHeader* p) { return sonar::field<std::uint8_t>(p, sonar::PING_HOUR); }
inline std::uint8_t pingMinute(const PingHeader* p) { return sonar::field<std::uint8_t>(p, sonar::PING_MINUTE); }
inline std::uint8_t pingSecond(const PingHeader* p) { return sonar::field<std::uint8_t>(p, sonar::PING_SECOND); }
inline std::uint16_t pingDayOfYear(const PingHeader* p) { return sonar::field<std::uint16_t>(p, sonar::PING_DAY_OF_YEAR); }
inline double pingShipY(const PingHeader* p) { return sonar::field<double>(p, sonar::PING_SHIP_Y); }
inline double pingShipX(const PingHeader* p) { return sonar::field<double>(p, sonar::PING_SHIP_X); }
inline double pingSensorY(const PingHeader* p) { return sonar::field<double>(p, sonar::PING_SENSOR_Y); }
inline double pingSensorX(const PingHeader* p) { return sonar::field<double>(p, sonar::PING_SENSOR_X); }
inline float pingSensorDepth(const PingHeader* p) { return sonar::field<float>(p, sonar::PING_SENSOR_DEPTH); }
inline float pingPrimaryAltitude(const PingHeader* p) { return sonar::field<float>(p, sonar::PING_PRIMARY_ALTITUDE); }
inline float pingAuxiliaryAltitude(const PingHeader* p) { return sonar::field<float>(p, sonar::PING_AUXILIARY_ALTITUDE); }

// ChannelHeader
inline std::uint16_t channelNumber(const ChannelHeader* c) { return sonar::field<std::uint16_t>(c, sonar::CHANNEL_NUMBER); }
inline float channelTimeDelay(const ChannelHeader* c) { return sonar::field<float>(c, sonar::CHANNEL_TIME_DELAY); }
inline float channelTimeDuration(const ChannelHeader* c) { return sonar::field<float>(c, sonar::CHANNEL_TIME_DURATION); }
inline std::uint32_t channelSampleCount(const ChannelHeader* c) { return sonar::field<std::uint32_t>(c, sonar::CHANNEL_SAMPLE_COUNT); }
// The first sample follows the 64-byte channel header.
inline const unsigned char* channelSamplesStart(const ChannelHeader* c) {
  return sonar::bytes(c) + sonar::CHANNEL_HEADER_BYTES;
}
