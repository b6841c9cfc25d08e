#include "survey_files.h"

namespace survey_files {

namespace {

constexpr float PING_DURATION = 0.1f;
const std::vector<std::uint8_t> NAVIGATION_BODY(20, 0x11);
constexpr std::uint32_t LARGE_PING_SAMPLES = 2000;

}  // namespace

vsk::ChannelSpec channel(std::uint8_t type, std::uint8_t subChannel, float frequencyKHz, std::uint32_t samples,
                         std::uint16_t bytesPerSample) {
  vsk::ChannelSpec spec;
  spec.type = type;
  spec.subChannel = subChannel;
  spec.frequencyKHz = frequencyKHz;
  spec.samplesPerChannel = samples;
  spec.bytesPerSample = bytesPerSample;
  return spec;
}

vsk::FileSpec twoPairsAndSubbottom(std::uint32_t samples) {
  vsk::FileSpec spec;
  spec.sonarChannels = {channel(PORT, 0, 100.0f, samples), channel(STARBOARD, 1, 100.0f, samples),
                        channel(PORT, 2, 400.0f, samples), channel(STARBOARD, 3, 400.0f, samples),
                        channel(SUBBOTTOM, 4, 3.5f, samples)};
  return spec;
}

std::uint16_t sampleValue(int ping, int position, std::uint32_t i) {
  return static_cast<std::uint16_t>((ping * 7 + position * 1000 + static_cast<int>(i) * 3) % 30000);
}

vsk::Ping pingOf(const vsk::FileSpec& spec, int ping) {
  vsk::Ping record;
  record.pingNumber = static_cast<std::uint32_t>(ping);
  record.shipX = 500000.0 + ping;
  record.shipY = 6000000.0 + ping;
  record.sensorX = record.shipX - 20.0;
  record.sensorY = record.shipY - 20.0;
  std::vector<vsk::ChannelSpec> table = spec.sonarChannels;
  table.insert(table.end(), spec.bathymetryChannels.begin(), spec.bathymetryChannels.end());
  for (std::size_t position = 0; position < table.size(); ++position) {
    const vsk::ChannelSpec& entry = table[position];
    vsk::PingChannel channel;
    channel.channelNumber = entry.subChannel;
    channel.timeDuration = PING_DURATION;
    channel.sampleCount = entry.samplesPerChannel;
    std::vector<std::uint16_t> values(entry.samplesPerChannel);
    for (std::uint32_t i = 0; i < entry.samplesPerChannel; ++i)
      values[i] = sampleValue(ping, static_cast<int>(position), i);
    if (entry.bytesPerSample == 1) {
      std::vector<std::uint8_t> bytes(values.begin(), values.end());
      channel.samples = vsk::samples8(bytes);
    } else {
      channel.samples = vsk::samples16(values);
    }
    record.channels.push_back(std::move(channel));
  }
  return record;
}

bool writeSurvey(const std::string& path, const vsk::FileSpec& spec, int pings, bool otherRecords) {
  vsk::Writer writer(path, spec);
  for (int ping = 0; ping < pings; ++ping) {
    if (otherRecords) writer.writeOtherRecord(NAVIGATION_RECORD, NAVIGATION_BODY);
    writer.writePing(pingOf(spec, ping));
  }
  return writer.close();
}

bool writeSurveyOfSize(const std::string& path, std::uint64_t bytes) {
  const vsk::FileSpec spec = twoPairsAndSubbottom(LARGE_PING_SAMPLES);
  const std::vector<std::uint8_t> ping = vsk::encodePing(pingOf(spec, 0));
  vsk::Writer writer(path, spec);
  for (std::uint64_t written = 0; written < bytes; written += ping.size()) writer.writeBytes(ping);
  return writer.close();
}

}  // namespace survey_files
