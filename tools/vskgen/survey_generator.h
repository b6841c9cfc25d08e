// Synthetic VSK surveys that look like a real survey line: a ship on a line
// with a slowly changing heading, a towed sensor behind it, a seabed of
// varying depth, side-scan pings with a water column, first return, textured
// seabed and target shadows, a subbottom profile with layered reflectors, and
// navigation, attitude and annotation records between the pings.
//
// Everything follows from the options and the seed: the same options give
// the same bytes. Any thread; a generator is used by one thread at a time.
#pragma once

#include "vsktools/vsk_writer.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace vskgen {

enum class ChannelKind : std::uint8_t { Subbottom = 0, Port = 1, Starboard = 2, Other = 3 };

struct ChannelChoice {
  ChannelKind kind = ChannelKind::Port;
  float frequencyKHz = 0.0f;
};

struct SurveyOptions {
  std::uint64_t seed = 1;
  std::uint32_t pingCount = 200;  // sonar pings to write, when targetBytes is 0
  // When above 0: records are written while the file stays within this size.
  std::uint64_t targetBytes = 0;
  std::vector<float> pairFrequencies = {100.0f, 400.0f};  // one port/starboard pair each, kHz
  bool subbottom = true;
  float subbottomFrequency = 4.0f;
  std::vector<ChannelChoice> singles;      // extra sonar channels, after the subbottom
  std::vector<ChannelChoice> bathymetry;   // bathymetry channels, after the sonar channels
  std::uint32_t samplesPerChannel = 1500;  // nominal; pings vary around it
  std::uint16_t bytesPerSample = 2;        // 1 or 2
  bool degrees = false;                    // latitude/longitude instead of metres
};

constexpr std::size_t MAX_SURVEY_CHANNELS = 8;  // sub-channel numbers 0 to 7
constexpr std::uint32_t MIN_SAMPLES = 16;
constexpr std::uint32_t MAX_SAMPLES = 65536;

// Empty when the options can be generated, else what is wrong with them.
std::string checkOptions(const SurveyOptions& options);

class SurveyGenerator {
 public:
  // Needs options that checkOptions accepts.
  explicit SurveyGenerator(const SurveyOptions& options);
  ~SurveyGenerator();
  SurveyGenerator(const SurveyGenerator&) = delete;
  SurveyGenerator& operator=(const SurveyGenerator&) = delete;

  const vsk::FileSpec& fileSpec() const;
  // Puts the next record's bytes into `record` (replacing them). Returns
  // false, leaving `record` empty, once pingCount pings have been made; with
  // a targetBytes the caller decides when to stop.
  bool nextRecord(std::vector<std::uint8_t>& record);
  std::uint32_t pingsMade() const;

 private:
  struct Model;
  std::unique_ptr<Model> model_;
};

// Writes a whole survey to `path`. Empty on success, else a message.
std::string writeSurvey(const std::string& path, const SurveyOptions& options);

}  // namespace vskgen
