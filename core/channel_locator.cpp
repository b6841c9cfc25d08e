#include "core/channel_locator.h"

#include "core/converter_context.h"
#include "core/sonar_records.h"

#include <algorithm>
#include <cstdint>

namespace {

// The samples a channel holds, by its header's count or, for a count of 0,
// its entry's samples per channel.
std::uint32_t storedSamples(const ChannelHeader* channel, const ChannelEntry* entry) {
  const std::uint32_t count = channelSampleCount(channel);
  return count != 0 ? count : entrySamplesPerChannel(entry);
}

}  // namespace

void locateChannels(ConverterContext* context) {
  std::fill(std::begin(context->channelData), std::end(context->channelData), nullptr);
  auto* record = static_cast<unsigned char*>(context->recordBuffer);
  const std::uint64_t recordEnd = context->recordBytes > 0 ? static_cast<std::uint64_t>(context->recordBytes) : 0;
  const int located = std::min(
      {static_cast<int>(pingChannelCount(context->currentPing)), MAX_CHANNELS, channelEntryCount(context->fileHeader)});

  std::uint64_t offset = vsk::PING_HEADER_BYTES;
  for (int position = 0; position < located; ++position) {
    if (offset + vsk::CHANNEL_HEADER_BYTES > recordEnd) return;
    auto* channel = reinterpret_cast<ChannelHeader*>(record + offset);
    const ChannelEntry* entry = channelEntry(context->fileHeader, position);
    const std::uint64_t samples = storedSamples(channel, entry);
    // The header and every sample as the engine reads them must lie inside the record.
    if (offset + vsk::CHANNEL_HEADER_BYTES + samples * sampleWidth(entry) > recordEnd) return;
    context->channelData[position] = channel;
    // The next channel follows by this one's count and its entry's bytes per sample, as recorded.
    offset += vsk::CHANNEL_HEADER_BYTES + samples * entryBytesPerSample(entry);
  }
}

unsigned channelStoredSamples(const ConverterContext* context, int position) {
  return storedSamples(context->channelData[position], channelEntry(context->fileHeader, position));
}
