#include "vsktools/vsk_writer.h"

#include "vsktools/vsk_layout.h"

#include <algorithm>
#include <cstring>

namespace vsk {

namespace {

// Large enough that a survey of a gigabyte streams at disk speed.
constexpr std::size_t STREAM_BUFFER_BYTES = 1 << 20;

void storeText(unsigned char* at, std::size_t width, const std::string& text) {
  std::memcpy(at, text.data(), std::min(width, text.size()));
}

void encodeEntry(unsigned char* at, const ChannelSpec& channel) {
  at[ENTRY_TYPE] = channel.type;
  at[ENTRY_SUBCHANNEL] = channel.subChannel;
  store16(at + ENTRY_BYTES_PER_SAMPLE, channel.bytesPerSample);
  store32(at + ENTRY_SAMPLES_PER_CHANNEL, channel.samplesPerChannel);
  storeFloat(at + ENTRY_FREQUENCY, channel.frequencyKHz);
  storeText(at + ENTRY_NAME, ENTRY_NAME_BYTES, channel.name);
}

void encodeRecordStart(unsigned char* at, std::uint8_t headerType, std::uint16_t channelCount, std::uint32_t length) {
  store16(at + RECORD_MARKER, RECORD_MARKER_VALUE);
  at[RECORD_HEADER_TYPE] = headerType;
  store16(at + RECORD_CHANNEL_COUNT, channelCount);
  store32(at + RECORD_LENGTH, length);
}

void encodePingHeader(unsigned char* at, const Ping& ping, std::uint32_t length) {
  encodeRecordStart(at, HEADER_TYPE_PING, static_cast<std::uint16_t>(ping.channels.size()), length);
  store16(at + PING_YEAR, ping.year);
  at[PING_MONTH] = ping.month;
  at[PING_DAY] = ping.day;
  at[PING_HOUR] = ping.hour;
  at[PING_MINUTE] = ping.minute;
  at[PING_SECOND] = ping.second;
  at[PING_HUNDREDTHS] = ping.hundredths;
  store16(at + PING_DAY_OF_YEAR, ping.dayOfYear);
  store32(at + PING_NUMBER, ping.pingNumber);
  storeDouble(at + PING_SHIP_Y, ping.shipY);
  storeDouble(at + PING_SHIP_X, ping.shipX);
  storeFloat(at + PING_SHIP_HEADING, ping.shipHeading);
  storeFloat(at + PING_SHIP_SPEED, ping.shipSpeed);
  storeDouble(at + PING_SENSOR_Y, ping.sensorY);
  storeDouble(at + PING_SENSOR_X, ping.sensorX);
  storeFloat(at + PING_SENSOR_HEADING, ping.sensorHeading);
  storeFloat(at + PING_SENSOR_DEPTH, ping.sensorDepth);
  storeFloat(at + PING_PRIMARY_ALTITUDE, ping.primaryAltitude);
  storeFloat(at + PING_AUXILIARY_ALTITUDE, ping.auxiliaryAltitude);
}

void encodeChannelHeader(unsigned char* at, const PingChannel& channel) {
  store16(at + CHANNEL_NUMBER, channel.channelNumber);
  storeFloat(at + CHANNEL_TIME_DELAY, channel.timeDelay);
  storeFloat(at + CHANNEL_TIME_DURATION, channel.timeDuration);
  storeFloat(at + CHANNEL_SLANT_RANGE, channel.slantRange);
  store32(at + CHANNEL_SAMPLE_COUNT, channel.sampleCount);
}

}  // namespace

std::vector<std::uint8_t> encodeFileHeader(const FileSpec& spec) {
  const std::size_t entries = spec.sonarChannels.size() + spec.bathymetryChannels.size();
  const std::size_t tableEnd = FILE_CHANNEL_TABLE + entries * ENTRY_BYTES;
  std::vector<std::uint8_t> bytes(tableEnd + spec.extraHeaderBytes, 0);
  unsigned char* at = bytes.data();
  std::memcpy(at + FILE_SIGNATURE, SIGNATURE, SIGNATURE_BYTES);
  at[FILE_VERSION] = FORMAT_VERSION;
  store32(at + FILE_HEADER_LENGTH, spec.headerLength.value_or(static_cast<std::uint32_t>(bytes.size())));
  storeText(at + FILE_RECORDING_PROGRAM, RECORDING_PROGRAM_BYTES, spec.recordingProgram);
  storeText(at + FILE_SURVEY_NOTE, SURVEY_NOTE_BYTES, spec.surveyNote);
  store16(at + FILE_NAVIGATION_UNITS, spec.navigationUnits);
  store16(at + FILE_SONAR_CHANNELS, static_cast<std::uint16_t>(spec.sonarChannels.size()));
  store16(at + FILE_BATHYMETRY_CHANNELS, static_cast<std::uint16_t>(spec.bathymetryChannels.size()));
  unsigned char* entry = at + FILE_CHANNEL_TABLE;
  for (const ChannelSpec& channel : spec.sonarChannels) {
    encodeEntry(entry, channel);
    entry += ENTRY_BYTES;
  }
  for (const ChannelSpec& channel : spec.bathymetryChannels) {
    encodeEntry(entry, channel);
    entry += ENTRY_BYTES;
  }
  return bytes;
}

void encodePingInto(const Ping& ping, std::vector<std::uint8_t>& out) {
  std::size_t length = PING_HEADER_BYTES;
  for (const PingChannel& channel : ping.channels) length += CHANNEL_HEADER_BYTES + channel.samples.size();
  out.assign(length, 0);
  unsigned char* at = out.data();
  encodePingHeader(at, ping, ping.recordLength.value_or(static_cast<std::uint32_t>(length)));
  at += PING_HEADER_BYTES;
  for (const PingChannel& channel : ping.channels) {
    encodeChannelHeader(at, channel);
    at += CHANNEL_HEADER_BYTES;
    if (!channel.samples.empty()) std::memcpy(at, channel.samples.data(), channel.samples.size());
    at += channel.samples.size();
  }
}

std::vector<std::uint8_t> encodePing(const Ping& ping) {
  std::vector<std::uint8_t> bytes;
  encodePingInto(ping, bytes);
  return bytes;
}

std::vector<std::uint8_t> encodeOtherRecord(std::uint8_t headerType, const std::vector<std::uint8_t>& body) {
  std::vector<std::uint8_t> bytes(RECORD_START_BYTES + body.size(), 0);
  encodeRecordStart(bytes.data(), headerType, 0, static_cast<std::uint32_t>(bytes.size()));
  std::copy(body.begin(), body.end(), bytes.begin() + RECORD_START_BYTES);
  return bytes;
}

std::vector<std::uint8_t> samples16(const std::vector<std::uint16_t>& values) {
  std::vector<std::uint8_t> bytes(values.size() * 2);
  for (std::size_t i = 0; i < values.size(); ++i) store16(bytes.data() + 2 * i, values[i]);
  return bytes;
}

std::vector<std::uint8_t> samples8(const std::vector<std::uint8_t>& values) { return values; }

Writer::Writer(const std::string& path, const FileSpec& spec) : file_(std::fopen(path.c_str(), "wb")) {
  ok_ = file_ != nullptr;
  if (ok_) std::setvbuf(file_, nullptr, _IOFBF, STREAM_BUFFER_BYTES);
  writeBytes(encodeFileHeader(spec));
}

Writer::~Writer() {
  if (file_ != nullptr) std::fclose(file_);
}

void Writer::writePing(const Ping& ping) {
  encodePingInto(ping, scratch_);
  writeBytes(scratch_);
}

void Writer::writeOtherRecord(std::uint8_t headerType, const std::vector<std::uint8_t>& body) {
  writeBytes(encodeOtherRecord(headerType, body));
}

void Writer::writeBytes(const std::vector<std::uint8_t>& bytes) {
  if (!ok_ || file_ == nullptr || bytes.empty()) return;
  if (std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size()) {
    ok_ = false;
    return;
  }
  written_ += bytes.size();
}

bool Writer::close() {
  if (file_ == nullptr) return false;
  const bool closed = std::fclose(file_) == 0;
  file_ = nullptr;
  ok_ = ok_ && closed;
  return ok_;
}

}  // namespace vsk
