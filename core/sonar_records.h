// The sonar records as the program reads them: one typed accessor per field,
// at the offsets of the VSK layout (vsktools/vsk_layout.h). The reader library
// hands back raw little-endian bytes; every field is loaded byte by byte, so
// neither alignment nor the host's byte order matters.
#pragma once

#include "vsktools/vsk_layout.h"

#include <cstddef>
#include <cstdint>

struct SonarFileHeader;
struct ChannelEntry;
struct PingHeader;
struct ChannelHeader;

namespace sonar {

inline const unsigned char* at(const void* record, std::size_t offset) {
  return static_cast<const unsigned char*>(record) + offset;
}
inline unsigned char* at(void* record, std::size_t offset) { return static_cast<unsigned char*>(record) + offset; }

}  // namespace sonar

// SonarFileHeader
inline std::uint16_t navigationUnits(const SonarFileHeader* h) {
  return vsk::load16(sonar::at(h, vsk::FILE_NAVIGATION_UNITS));
}
inline std::uint16_t sonarChannelCount(const SonarFileHeader* h) {
  return vsk::load16(sonar::at(h, vsk::FILE_SONAR_CHANNELS));
}
inline std::uint16_t bathymetryChannelCount(const SonarFileHeader* h) {
  return vsk::load16(sonar::at(h, vsk::FILE_BATHYMETRY_CHANNELS));
}
// Entries in the channel table: the sum of the two 16-bit counts (the reader
// guarantees the whole table lies inside the header it returned).
inline int channelEntryCount(const SonarFileHeader* h) { return sonarChannelCount(h) + bathymetryChannelCount(h); }
inline ChannelEntry* channelEntry(SonarFileHeader* h, int position) {
  return reinterpret_cast<ChannelEntry*>(
      sonar::at(h, vsk::FILE_CHANNEL_TABLE + static_cast<std::size_t>(position) * vsk::ENTRY_BYTES));
}
inline const ChannelEntry* channelEntry(const SonarFileHeader* h, int position) {
  return channelEntry(const_cast<SonarFileHeader*>(h), position);
}

// ChannelEntry
inline std::uint8_t entryType(const ChannelEntry* e) { return *sonar::at(e, vsk::ENTRY_TYPE); }
inline std::uint8_t entrySubChannel(const ChannelEntry* e) { return *sonar::at(e, vsk::ENTRY_SUBCHANNEL); }
inline std::uint16_t entryBytesPerSample(const ChannelEntry* e) {
  return vsk::load16(sonar::at(e, vsk::ENTRY_BYTES_PER_SAMPLE));
}
inline std::uint32_t entrySamplesPerChannel(const ChannelEntry* e) {
  return vsk::load32(sonar::at(e, vsk::ENTRY_SAMPLES_PER_CHANNEL));
}
inline float entryFrequency(const ChannelEntry* e) { return vsk::loadFloat(sonar::at(e, vsk::ENTRY_FREQUENCY)); }
inline void setEntryType(ChannelEntry* e, std::uint8_t v) { *sonar::at(e, vsk::ENTRY_TYPE) = v; }
inline void setEntrySubChannel(ChannelEntry* e, std::uint8_t v) { *sonar::at(e, vsk::ENTRY_SUBCHANNEL) = v; }
inline void setEntryBytesPerSample(ChannelEntry* e, std::uint16_t v) {
  vsk::store16(sonar::at(e, vsk::ENTRY_BYTES_PER_SAMPLE), v);
}
inline void setEntryFrequency(ChannelEntry* e, float v) { vsk::storeFloat(sonar::at(e, vsk::ENTRY_FREQUENCY), v); }
// Bytes of one sample: 1 means 8-bit unsigned, anything else 16-bit.
inline std::uint32_t sampleWidth(const ChannelEntry* e) { return entryBytesPerSample(e) == 1 ? 1u : 2u; }

// PingHeader
inline std::uint8_t pingHeaderType(const PingHeader* p) { return *sonar::at(p, vsk::RECORD_HEADER_TYPE); }
inline bool isSonarPing(const PingHeader* p) { return pingHeaderType(p) == vsk::HEADER_TYPE_PING; }
inline std::uint16_t pingChannelCount(const PingHeader* p) {
  return vsk::load16(sonar::at(p, vsk::RECORD_CHANNEL_COUNT));
}
inline std::uint16_t pingYear(const PingHeader* p) { return vsk::load16(sonar::at(p, vsk::PING_YEAR)); }
inline std::uint8_t pingHour(const PingHeader* p) { return *sonar::at(p, vsk::PING_HOUR); }
inline std::uint8_t pingMinute(const PingHeader* p) { return *sonar::at(p, vsk::PING_MINUTE); }
inline std::uint8_t pingSecond(const PingHeader* p) { return *sonar::at(p, vsk::PING_SECOND); }
inline std::uint16_t pingDayOfYear(const PingHeader* p) { return vsk::load16(sonar::at(p, vsk::PING_DAY_OF_YEAR)); }
inline double pingShipY(const PingHeader* p) { return vsk::loadDouble(sonar::at(p, vsk::PING_SHIP_Y)); }
inline double pingShipX(const PingHeader* p) { return vsk::loadDouble(sonar::at(p, vsk::PING_SHIP_X)); }
inline double pingSensorY(const PingHeader* p) { return vsk::loadDouble(sonar::at(p, vsk::PING_SENSOR_Y)); }
inline double pingSensorX(const PingHeader* p) { return vsk::loadDouble(sonar::at(p, vsk::PING_SENSOR_X)); }
inline float pingSensorDepth(const PingHeader* p) { return vsk::loadFloat(sonar::at(p, vsk::PING_SENSOR_DEPTH)); }
inline float pingPrimaryAltitude(const PingHeader* p) {
  return vsk::loadFloat(sonar::at(p, vsk::PING_PRIMARY_ALTITUDE));
}
inline float pingAuxiliaryAltitude(const PingHeader* p) {
  return vsk::loadFloat(sonar::at(p, vsk::PING_AUXILIARY_ALTITUDE));
}

// ChannelHeader
inline std::uint16_t channelNumber(const ChannelHeader* c) { return vsk::load16(sonar::at(c, vsk::CHANNEL_NUMBER)); }
inline float channelTimeDelay(const ChannelHeader* c) { return vsk::loadFloat(sonar::at(c, vsk::CHANNEL_TIME_DELAY)); }
inline float channelTimeDuration(const ChannelHeader* c) {
  return vsk::loadFloat(sonar::at(c, vsk::CHANNEL_TIME_DURATION));
}
inline std::uint32_t channelSampleCount(const ChannelHeader* c) {
  return vsk::load32(sonar::at(c, vsk::CHANNEL_SAMPLE_COUNT));
}
// The first sample follows the 64-byte channel header.
inline const unsigned char* channelSamplesStart(const ChannelHeader* c) {
  return sonar::at(c, vsk::CHANNEL_HEADER_BYTES);
}
