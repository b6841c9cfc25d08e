// Sonar records in memory, made by the project's VSK writer and handed to a
// ConverterContext the way the reader library hands them over.
#pragma once

#include "core/converter_context.h"
#include "vsktools/vsk_writer.h"

#include <cstdint>
#include <vector>

struct SonarMemory {
  std::vector<std::uint8_t> header;
  std::vector<std::uint8_t> record;

  SonarMemory(const vsk::FileSpec& file, const vsk::Ping& ping)
      : header(vsk::encodeFileHeader(file)), record(vsk::encodePing(ping)) {}

  // fileHeader, recordBuffer, recordBytes (the whole record) and currentPing.
  void attach(ConverterContext& context) {
    context.fileHeader = reinterpret_cast<SonarFileHeader*>(header.data());
    context.recordBuffer = record.data();
    context.recordBytes = static_cast<int>(record.size());
    context.currentPing = reinterpret_cast<PingHeader*>(record.data());
  }
};

inline vsk::ChannelSpec channelSpec(std::uint8_t type, std::uint8_t subChannel, std::uint16_t bytesPerSample = 2,
                                    std::uint32_t samplesPerChannel = 0) {
  vsk::ChannelSpec entry;
  entry.type = type;
  entry.subChannel = subChannel;
  entry.bytesPerSample = bytesPerSample;
  entry.samplesPerChannel = samplesPerChannel;
  return entry;
}

inline vsk::PingChannel pingChannel(std::uint16_t number, std::vector<std::uint8_t> samples,
                                    std::uint32_t sampleCount) {
  vsk::PingChannel channel;
  channel.channelNumber = number;
  channel.sampleCount = sampleCount;
  channel.samples = std::move(samples);
  return channel;
}
