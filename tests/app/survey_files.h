// VSK surveys for the window tests, written with the project's writer: a
// channel table, then pings of every channel with a sample pattern that
// differs by ping and channel, so each output trace can be told apart.
#pragma once

#include "vsktools/vsk_writer.h"

#include <cstdint>
#include <string>
#include <vector>

namespace survey_files {

constexpr std::uint8_t PORT = 1;
constexpr std::uint8_t STARBOARD = 2;
constexpr std::uint8_t SUBBOTTOM = 0;
constexpr std::uint8_t NAVIGATION_RECORD = 3;  // any header type but 0

vsk::ChannelSpec channel(std::uint8_t type, std::uint8_t subChannel, float frequencyKHz, std::uint32_t samples,
                         std::uint16_t bytesPerSample = 2);

// Sub-channels 0 port 100 kHz, 1 starboard 100 kHz, 2 port 400 kHz,
// 3 starboard 400 kHz, 4 subbottom; `samples` samples each.
vsk::FileSpec twoPairsAndSubbottom(std::uint32_t samples);

// The stored value of sample i of table position `position` in ping `ping`
// (16-bit channels; 8-bit channels store its low byte).
std::uint16_t sampleValue(int ping, int position, std::uint32_t i);

// A ping holding every channel of the table in table order, each with its
// entry's samples per channel, and duration 0.1 s.
vsk::Ping pingOf(const vsk::FileSpec& spec, int ping);

// The header of `spec`, then `pings` pings; with `otherRecords` a navigation record
// before every ping. Returns false when the file could not be written.
bool writeSurvey(const std::string& path, const vsk::FileSpec& spec, int pings, bool otherRecords = false);
// Pings of twoPairsAndSubbottom(2000) until the file holds about `bytes`.
bool writeSurveyOfSize(const std::string& path, std::uint64_t bytes);

}  // namespace survey_files
