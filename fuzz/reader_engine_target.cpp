// Fuzz target: the reader, the channel locator and the conversion engine on
// arbitrary bytes. The first RUN_PARAMETER_BYTES choose two conversion runs
// (selection, channel, options, samples per trace); the rest is the VSK
// file. Every record the reader hands back, every channel the locator finds
// and every SEG-Y file the engine leaves is checked against its contract.
#include "core/channel_locator.h"
#include "core/conversion_engine.h"
#include "core/converter_context.h"
#include "core/converter_events.h"
#include "core/sonar_records.h"
#include "fuzz/scratch_files.h"
#include "platform/files.h"
#include "vsktools/vsk_reader.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

constexpr std::size_t PARAMETER_BYTES_PER_RUN = 4;
constexpr int RUNS = 2;
constexpr std::size_t RUN_PARAMETER_BYTES = PARAMETER_BYTES_PER_RUN * RUNS;
constexpr int SELECTION_CHOICES = SELECTION_LAST + 2;  // -1 to 12
constexpr int CHANNEL_CHOICES = MAX_CHANNELS + 2;      // -1 to 8
constexpr unsigned BIG_ENDIAN_BIT = 1u;
constexpr unsigned REVERSE_BIT = 2u;
constexpr unsigned PROCESSING_INFO_BIT = 4u;
constexpr std::uint32_t SAMPLE_BYTES = 2;
constexpr std::uint32_t SAMPLES_STEP = 4;
constexpr float DURATION_STEP = 0.001f;
// Far more records than a small input can hold: a reader that stops moving would loop forever.
constexpr int RECORD_LIMIT = 1 << 20;

struct RunParameters {
  int selection;
  int channel;
  unsigned options;
  std::uint32_t samples;
};

RunParameters parametersAt(const std::uint8_t* bytes) {
  return {bytes[0] % SELECTION_CHOICES - 1, bytes[1] % CHANNEL_CHOICES - 1, bytes[2], bytes[3] * SAMPLES_STEP};
}

HANDLE openInput(const std::string& path) {
  return CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// What a run tells: a rising percentage of at most 100, pings counted one
// by one.
class CheckedEvents final : public ConverterEvents {
 public:
  void progressChanged(int percent) override {
    if (percent <= lastPercent_ || percent > 100) fuzz::fail("the progress did not rise within 0 to 100");
    lastPercent_ = percent;
  }
  void pingRead(const PingInformation& ping) override {
    if (ping.pingNumber != lastPing_ + 1) fuzz::fail("a ping number was not the next one");
    lastPing_ = ping.pingNumber;
  }
  void noData() override {}
  void valueOutsideTable() override {}
  void unrecognisedChannel(int) override { fuzz::fail("the engine told of the channel table"); }

 private:
  int lastPercent_ = 0;
  std::uint32_t lastPing_ = 0;
};

// Every located channel, header and samples, lies inside the record; the
// located ones come first.
void checkLocatedChannels(const ConverterContext& context) {
  const auto* record = static_cast<const unsigned char*>(context.recordBuffer);
  const auto* recordEnd = record + context.recordBytes;
  bool gap = false;
  for (int position = 0; position < MAX_CHANNELS; ++position) {
    const ChannelHeader* channel = context.channelData[position];
    if (channel == nullptr) {
      gap = true;
      continue;
    }
    if (gap) fuzz::fail("a channel located after a missing one");
    const auto* start = reinterpret_cast<const unsigned char*>(channel);
    if (start < record + vsk::PING_HEADER_BYTES) fuzz::fail("a channel inside the ping header");
    const std::uint64_t samples = channelStoredSamples(&context, position);
    const std::uint64_t width = sampleWidth(channelEntry(context.fileHeader, position));
    const auto available = static_cast<std::uint64_t>(recordEnd - start);
    if (vsk::CHANNEL_HEADER_BYTES + samples * width > available) fuzz::fail("a channel beyond its record");
  }
}

// The reader over the whole file, the locator on every sonar ping. False
// when the header is refused (no conversion can follow).
bool readEveryRecord(ConverterContext& context) {
  DWORD headerLength = 0;
  if (ReadFullVSKHeader(context.sonarFile, &context.fileHeader, &headerLength) != VSK_OK) return false;
  if (channelEntryCount(context.fileHeader) < 0) fuzz::fail("a negative channel count");
  int result = VSK_OK;
  for (int records = 0; records < RECORD_LIMIT; ++records) {
    result = ReadNextVSKData(context.sonarFile, &context.recordBuffer, &context.recordBytes, VSK_READ_MODE);
    if (result != VSK_OK) break;
    if (context.recordBytes < static_cast<int>(sizeof(std::uint16_t))) fuzz::fail("a record shorter than its marker");
    context.currentPing = static_cast<PingHeader*>(context.recordBuffer);
    if (!isSonarPing(context.currentPing)) continue;
    locateChannels(&context);
    checkLocatedChannels(context);
  }
  if (result == VSK_OK) fuzz::fail("the reader did not come to an end");
  return true;
}

// What the engine leaves: STEP_IDLE, and an output that is either empty
// (nothing to write, or a failed run) or the reel header and whole traces.
void checkRun(const ConverterContext& context, const std::string& segyPath) {
  if (context.conversionStep != STEP_IDLE) fuzz::fail("the engine did not return to STEP_IDLE");
  const long long size = fuzz::fileSize(segyPath);
  if (context.conversionOutcome != CONVERSION_OK) {
    if (size != 0) fuzz::fail("a failed run left output behind");
    return;
  }
  if (static_cast<std::uint64_t>(size) != context.bytesWritten) fuzz::fail("the output is not what the run wrote");
  if (size == 0) return;
  const std::uint64_t traceBytes = TRACE_HEADER_BYTES + std::uint64_t{context.samplesPerTrace} * SAMPLE_BYTES;
  if (static_cast<std::uint64_t>(size) != REEL_HEADER_BYTES + context.tracesWritten * traceBytes) {
    fuzz::fail("the output is not the reel header and whole traces");
  }
}

void convert(ConverterContext& context, const RunParameters& run, const std::string& segyPath) {
  context.channelSelection = run.selection;
  context.selectedChannel = run.channel;
  context.tracesPerRecord = run.selection >= SELECTION_FIRST_PAIR && run.selection < SELECTION_SUBBOTTOM ? 2 : 1;
  context.bigEndian = (run.options & BIG_ENDIAN_BIT) != 0 ? 1 : 0;
  context.reverseSamples = (run.options & REVERSE_BIT) != 0 ? 1 : 0;
  context.showProcessingInfo.store((run.options & PROCESSING_INFO_BIT) != 0 ? 1 : 0, std::memory_order_relaxed);
  if (run.channel >= 0 && run.channel < MAX_CHANNELS) {
    context.channelSamples[run.channel] = run.samples;
    context.channelDuration[run.channel] = static_cast<float>(run.samples) * DURATION_STEP;
  }
  context.conversionStep = STEP_IDLE;
  CheckedEvents events;
  runConversion(&context, events);
  checkRun(context, segyPath);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < RUN_PARAMETER_BYTES) return 0;
  static const std::string sonarPath = fuzz::scratchPath("input.vsk");
  static const std::string segyPath = fuzz::scratchPath("output.SEG");
  const std::uint8_t* file = data + RUN_PARAMETER_BYTES;
  const std::size_t fileBytes = size - RUN_PARAMETER_BYTES;
  if (!fuzz::writeBytes(sonarPath, file, fileBytes)) fuzz::fail("the scratch input cannot be written");

  auto context = std::make_unique<ConverterContext>();
  context->sonarFile = openInput(sonarPath);
  if (context->sonarFile == INVALID_HANDLE_VALUE) fuzz::fail("the scratch input cannot be opened");
  context->sonarFileSize = fileSize64(context->sonarFile);
  if (readEveryRecord(*context)) {
    context->segyFile =
        CreateFileA(segyPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (context->segyFile == INVALID_HANDLE_VALUE) fuzz::fail("the scratch output cannot be created");
    for (int run = 0; run < RUNS; ++run)
      convert(*context, parametersAt(data + run * PARAMETER_BYTES_PER_RUN), segyPath);
    CloseHandle(context->segyFile);
  }
  CloseHandle(context->sonarFile);
  std::free(context->traceSamples);

  // The input is read only: its bytes are still the ones given.
  if (fuzz::readBytes(sonarPath) != std::vector<std::uint8_t>(file, file + fileBytes)) fuzz::fail("the input changed");
  return 0;
}
