// Writes the seed corpora of the fuzz targets: fuzz_seed_corpus
// CORPUS_FOLDER (fuzz/corpus). The survey seeds come from the project's VSK
// writer, each a small survey of one kind the program meets: pairs and
// subbottom, 8-bit samples, degrees, counts of 0, unrecognised entries, pings
// that differ, too many channels, no ping at all and a cut last record. The
// reader target's seeds carry the run parameters in front (see
// reader_engine_target.cpp). The picture's seeds are small SEG-Y files laid
// out as the program writes them: a pair, a big-endian single channel, a
// reel header alone, a stated count that disagrees, a cut last trace.
#include "vsktools/vsk_writer.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::uint8_t SUBBOTTOM = 0;
constexpr std::uint8_t PORT = 1;
constexpr std::uint8_t STARBOARD = 2;
constexpr std::uint8_t UNRECOGNISED = 5;
constexpr std::uint8_t NAVIGATION = 3;
constexpr std::uint16_t DEGREES = 1;
constexpr std::size_t CUT_BYTES = 7;

vsk::ChannelSpec channel(std::uint8_t type, std::uint8_t subChannel, std::uint32_t samples, std::uint16_t width = 2) {
  vsk::ChannelSpec spec;
  spec.type = type;
  spec.subChannel = subChannel;
  spec.bytesPerSample = width;
  spec.samplesPerChannel = samples;
  spec.frequencyKHz = 100.0f + 50.0f * subChannel;
  return spec;
}

Bytes samplesOf(std::uint32_t count, std::uint16_t width, int seed) {
  Bytes bytes;
  for (std::uint32_t i = 0; i < count; ++i) {
    const auto value = static_cast<std::uint16_t>(seed * 977 + i * 31);
    bytes.push_back(static_cast<std::uint8_t>(value));
    if (width != 1) bytes.push_back(static_cast<std::uint8_t>(value >> 8));
  }
  return bytes;
}

// Every channel of the table, in table order; stored count 0 when `zeroCounts`.
vsk::Ping pingOf(const vsk::FileSpec& spec, int number, bool zeroCounts = false) {
  vsk::Ping ping;
  ping.pingNumber = static_cast<std::uint32_t>(number);
  ping.shipX = 500000.0 + number;
  ping.shipY = 6000000.0 + number;
  ping.sensorX = ping.shipX - 10.0;
  ping.sensorY = ping.shipY - 10.0;
  for (const vsk::ChannelSpec& entry : spec.sonarChannels) {
    vsk::PingChannel data;
    data.channelNumber = entry.subChannel;
    data.timeDuration = 0.05f;
    data.sampleCount = zeroCounts ? 0 : entry.samplesPerChannel;
    data.samples = samplesOf(entry.samplesPerChannel, entry.bytesPerSample, number + entry.subChannel);
    ping.channels.push_back(data);
  }
  return ping;
}

Bytes survey(const vsk::FileSpec& spec, const std::vector<vsk::Ping>& pings, bool navigation = false) {
  Bytes bytes = vsk::encodeFileHeader(spec);
  for (const vsk::Ping& ping : pings) {
    if (navigation) {
      const Bytes record = vsk::encodeOtherRecord(NAVIGATION, Bytes(16, 0x11));
      bytes.insert(bytes.end(), record.begin(), record.end());
    }
    const Bytes record = vsk::encodePing(ping);
    bytes.insert(bytes.end(), record.begin(), record.end());
  }
  return bytes;
}

vsk::FileSpec pairsAndSubbottom(std::uint32_t samples) {
  vsk::FileSpec spec;
  spec.sonarChannels = {channel(PORT, 0, samples), channel(STARBOARD, 1, samples), channel(PORT, 2, samples),
                        channel(STARBOARD, 3, samples), channel(SUBBOTTOM, 4, samples)};
  return spec;
}

struct Seed {
  std::string name;
  Bytes bytes;
};

std::vector<Seed> surveys() {
  std::vector<Seed> seeds;
  {
    const vsk::FileSpec spec = pairsAndSubbottom(24);
    seeds.push_back({"pairs_and_subbottom", survey(spec, {pingOf(spec, 1), pingOf(spec, 2), pingOf(spec, 3)}, true)});
  }
  {
    vsk::FileSpec spec;
    spec.navigationUnits = DEGREES;
    spec.sonarChannels = {channel(PORT, 0, 32, 1), channel(STARBOARD, 1, 32, 1), channel(SUBBOTTOM, 2, 16)};
    seeds.push_back({"eight_bit_degrees", survey(spec, {pingOf(spec, 1), pingOf(spec, 2)})});
  }
  {
    const vsk::FileSpec spec = pairsAndSubbottom(12);
    seeds.push_back({"counts_of_zero", survey(spec, {pingOf(spec, 1, true), pingOf(spec, 2)})});
  }
  {
    vsk::FileSpec spec;
    spec.extraHeaderBytes = 40;
    spec.sonarChannels = {channel(PORT, 0, 10), channel(STARBOARD, 1, 10), channel(UNRECOGNISED, 7, 10)};
    spec.bathymetryChannels = {channel(UNRECOGNISED, 3, 4)};
    seeds.push_back({"unrecognised_entries", survey(spec, {pingOf(spec, 1), pingOf(spec, 2)})});
  }
  {
    const vsk::FileSpec spec = pairsAndSubbottom(10);
    vsk::Ping longer = pingOf(spec, 2);
    longer.channels[0].sampleCount = 20;
    longer.channels[0].samples = samplesOf(20, 2, 9);
    vsk::Ping fewer = pingOf(spec, 3);
    fewer.channels.resize(2);
    vsk::Ping swapped = pingOf(spec, 4);
    std::swap(swapped.channels[0].channelNumber, swapped.channels[1].channelNumber);
    seeds.push_back({"pings_that_differ", survey(spec, {pingOf(spec, 1), longer, fewer, swapped})});
  }
  {
    vsk::FileSpec spec;
    for (std::uint8_t k = 0; k < 9; ++k) spec.sonarChannels.push_back(channel(k % 2 == 0 ? PORT : STARBOARD, k, 4));
    seeds.push_back({"nine_channels", survey(spec, {pingOf(spec, 1)})});
  }
  {
    const vsk::FileSpec spec = pairsAndSubbottom(8);
    seeds.push_back({"no_ping", survey(spec, {})});
  }
  {
    const vsk::FileSpec spec = pairsAndSubbottom(8);
    Bytes bytes = survey(spec, {pingOf(spec, 1), pingOf(spec, 2)});
    bytes.resize(bytes.size() - CUT_BYTES);
    seeds.push_back({"cut_last_record", bytes});
  }
  return seeds;
}

// Run parameters in front of a survey: selection + 1, channel + 1, option
// bits, samples per trace / 4; two runs.
const std::vector<Bytes> RUN_PARAMETERS = {
    {2, 3, 0, 6, 6, 1, 1, 6},     // pair 2, channel 2; then the subbottom position
    {1, 1, 3, 3, 6, 1, 6, 40},    // pair 1 big-endian reversed; then channel 1, longer traces
    {10, 5, 4, 2, 5, 5, 0, 250},  // channel 5 with processing information; then the subbottom, long
    {0, 0, 1, 0, 14, 9, 7, 1},    // no selection; then channel 8 of a missing position
};

// A SEG-Y file as the program lays it out, with only the fields that the
// picture's reader reads filled in; the text header states the count in
// line 6 as the program does.
struct SegySeed {
  std::string name;
  bool bigEndian;
  std::uint16_t tracesPerRecord;
  std::uint16_t samples;
  int records;
  const char* statedCount;
};

void put(Bytes& bytes, std::size_t at, std::uint32_t value, std::size_t width, bool bigEndian) {
  for (std::size_t i = 0; i < width; ++i) {
    const std::size_t shift = 8 * (bigEndian ? width - 1 - i : i);
    bytes[at + i] = static_cast<std::uint8_t>(value >> shift);
  }
}

Bytes segyOf(const SegySeed& seed) {
  constexpr std::size_t REEL_HEADER = 3600;
  constexpr std::size_t TRACE_HEADER = 240;
  constexpr std::size_t STATED_COUNT_AT = 5 * 80 + 42;
  Bytes bytes(REEL_HEADER, ' ');
  std::fill(bytes.begin() + 3200, bytes.end(), 0);
  for (std::size_t i = 0; seed.statedCount[i] != '\0'; ++i) {
    bytes[STATED_COUNT_AT + i] = static_cast<std::uint8_t>(seed.statedCount[i]);
  }
  put(bytes, 3212, seed.tracesPerRecord, 2, seed.bigEndian);
  put(bytes, 3216, 100, 2, seed.bigEndian);
  put(bytes, 3220, seed.samples, 2, seed.bigEndian);
  put(bytes, 3224, 3, 2, seed.bigEndian);
  for (int record = 1; record <= seed.records; ++record) {
    for (std::uint16_t trace = 1; trace <= seed.tracesPerRecord; ++trace) {
      const std::size_t at = bytes.size();
      bytes.resize(at + TRACE_HEADER + 2 * std::size_t{seed.samples}, 0);
      put(bytes, at + 8, static_cast<std::uint32_t>(record), 4, seed.bigEndian);
      put(bytes, at + 12, trace, 4, seed.bigEndian);
      put(bytes, at + 114, seed.samples, 2, seed.bigEndian);
      for (std::uint16_t i = 0; i < seed.samples; ++i) {
        const auto value = static_cast<std::uint32_t>(record * 4001 + trace * 977 + i * 613) & 0xFFFF;
        put(bytes, at + TRACE_HEADER + 2 * std::size_t{i}, value, 2, seed.bigEndian);
      }
    }
  }
  return bytes;
}

std::vector<Seed> segyFiles() {
  std::vector<Seed> seeds;
  for (const SegySeed& seed : {SegySeed{"pair", false, 2, 8, 3, "8"}, SegySeed{"big_endian_single", true, 1, 5, 4, "5"},
                               SegySeed{"reel_header_alone", false, 2, 8, 0, "8"},
                               SegySeed{"stated_count_disagrees", false, 1, 6, 2, "70006"}}) {
    seeds.push_back({seed.name, segyOf(seed)});
  }
  Bytes cut = segyOf({"", false, 2, 8, 3, "8"});
  cut.resize(cut.size() - CUT_BYTES);
  seeds.push_back({"cut_last_trace", cut});
  return seeds;
}

void write(const std::filesystem::path& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!out) std::fprintf(stderr, "cannot write %s\n", path.c_str());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s CORPUS_FOLDER\n", argv[0]);
    return 2;
  }
  const std::filesystem::path root = argv[1];
  const std::filesystem::path program = root / "fuzz_whole_program";
  const std::filesystem::path engine = root / "fuzz_reader_engine";
  std::filesystem::create_directories(program);
  std::filesystem::create_directories(engine);
  const std::vector<Seed> seeds = surveys();
  for (std::size_t s = 0; s < seeds.size(); ++s) {
    write(program / ("seed_" + seeds[s].name + ".vsk"), seeds[s].bytes);
    Bytes withRuns = RUN_PARAMETERS[s % RUN_PARAMETERS.size()];
    withRuns.insert(withRuns.end(), seeds[s].bytes.begin(), seeds[s].bytes.end());
    write(engine / ("seed_" + seeds[s].name + ".bin"), withRuns);
  }
  const std::filesystem::path preview = root / "fuzz_segy_preview";
  std::filesystem::create_directories(preview);
  for (const Seed& seed : segyFiles()) write(preview / ("seed_" + seed.name + ".SEG"), seed.bytes);
  return 0;
}
