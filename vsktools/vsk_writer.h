// Writes VSK files in the layout the reader reads (vsktools/vsk_layout.h has
// the offsets). Used by tests, the fuzzers' seeds, tools/vskgen and the
// benchmarks. Encoding is separate from output so tests can corrupt bytes;
// nothing is checked, so a test can write any field, odd values included.
// Any thread; a Writer is used by one thread at a time.
#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace vsk {

struct ChannelSpec {
  std::uint8_t type = 0;  // 0 subbottom, 1 port, 2 starboard, other: unrecognised
  std::uint8_t subChannel = 0;
  std::uint16_t bytesPerSample = 2;  // 1: 8-bit unsigned, 2: 16-bit
  std::uint32_t samplesPerChannel = 0;
  float frequencyKHz = 0.0f;
  std::string name;  // up to 16 characters are stored
};

struct FileSpec {
  std::uint16_t navigationUnits = 0;  // 0 metres, other degrees
  std::vector<ChannelSpec> sonarChannels;
  std::vector<ChannelSpec> bathymetryChannels;
  std::uint32_t extraHeaderBytes = 0;       // zero bytes between the channel table and the first record
  std::string recordingProgram = "vskgen";  // up to 32 characters are stored
  std::string surveyNote;                   // up to 64 characters are stored
  // Stored instead of the computed header length (table + extra bytes); the
  // bytes written stay those of the table and the extra bytes.
  std::optional<std::uint32_t> headerLength;
};

struct PingChannel {
  std::uint16_t channelNumber = 0;
  float timeDelay = 0.0f;
  float timeDuration = 0.0f;
  float slantRange = 0.0f;
  // The header's number of samples; 0 stands for the entry's samples per channel.
  std::uint32_t sampleCount = 0;
  // Raw sample bytes as stored (little-endian 16-bit or 8-bit).
  std::vector<std::uint8_t> samples;
};

struct Ping {
  std::uint16_t year = 2026;
  std::uint8_t month = 1, day = 1, hour = 0, minute = 0, second = 0, hundredths = 0;
  std::uint16_t dayOfYear = 1;
  std::uint32_t pingNumber = 0;
  double shipY = 0, shipX = 0;
  float shipHeading = 0, shipSpeed = 0;
  double sensorY = 0, sensorX = 0;
  float sensorHeading = 0;
  float sensorDepth = 0, primaryAltitude = 0, auxiliaryAltitude = 0;
  // Channel count = channels.size(), in this order, however many the table has.
  std::vector<PingChannel> channels;
  // Stored instead of the computed record length; the bytes written stay
  // those of the header and the channels.
  std::optional<std::uint32_t> recordLength;
};

// Bytes of the file header and channel table.
std::vector<std::uint8_t> encodeFileHeader(const FileSpec& spec);
// A sonar ping record; the record length is computed from its channels' sample
// bytes: 256 + the sum of (64 + samples.size()).
std::vector<std::uint8_t> encodePing(const Ping& ping);
// The same into `out` (replaced; its capacity is reused).
void encodePingInto(const Ping& ping, std::vector<std::uint8_t>& out);
// A record of another header type (navigation, attitude, ...) with an opaque body.
std::vector<std::uint8_t> encodeOtherRecord(std::uint8_t headerType, const std::vector<std::uint8_t>& body);

// Helpers for sample bytes (16-bit values stored little-endian).
std::vector<std::uint8_t> samples16(const std::vector<std::uint16_t>& values);
std::vector<std::uint8_t> samples8(const std::vector<std::uint8_t>& values);

// Streams a file: the header first (written by the constructor), then records
// in order. Every write is checked; ok() turns false at the first failure
// (or when the file cannot be created) and later writes do nothing.
class Writer {
 public:
  Writer(const std::string& path, const FileSpec& spec);
  ~Writer();
  Writer(const Writer&) = delete;
  Writer& operator=(const Writer&) = delete;
  void writePing(const Ping& ping);
  void writeOtherRecord(std::uint8_t headerType, const std::vector<std::uint8_t>& body);
  void writeBytes(const std::vector<std::uint8_t>& bytes);
  bool close();  // flushes and closes; true when every write succeeded
  bool ok() const { return ok_; }
  std::uint64_t bytesWritten() const { return written_; }

 private:
  std::FILE* file_ = nullptr;
  bool ok_ = false;
  std::uint64_t written_ = 0;
  std::vector<std::uint8_t> scratch_;
};

}  // namespace vsk
