#include "survey/channel_survey.h"

#include "core/channel_locator.h"
#include "core/converter_context.h"
#include "core/converter_events.h"
#include "core/sonar_records.h"
#include "platform/files.h"
#include "vsktools/vsk_reader.h"

#include <algorithm>
#include <iterator>

namespace {

bool readRecord(ConverterContext* context) {
  return ReadNextVSKData(context->sonarFile, &context->recordBuffer, &context->recordBytes, VSK_READ_MODE) == VSK_OK;
}

bool findFirstSonarPing(ConverterContext* context) {
  while (readRecord(context)) {
    context->currentPing = static_cast<PingHeader*>(context->recordBuffer);
    if (isSonarPing(context->currentPing)) return true;
  }
  return false;
}

void markChannel(ConverterContext* context, int subChannel, int type, float frequency) {
  context->channelPresent[subChannel] = 1;
  context->channelType[subChannel] = type;
  context->channelFrequency[subChannel] = frequency;
}

// An entry of an unrecognised type becomes a subbottom channel built on the
// last recognised one: sub-channel number one above it, its frequency and
// sample width taken from the entry at that number's position. With no
// recognised entry before it, it becomes sub-channel 0 with its own values.
// Returns false when the result would not fit the tables: the entry is then
// left as the file has it and out of every table.
bool assumeSubbottom(ConverterContext* context, ChannelEntry* entry, int position, int lastRecognised) {
  SonarFileHeader* header = context->fileHeader;
  int source = position;
  int subChannel = 0;
  if (lastRecognised == NO_SUBCHANNEL) {
    if (context->channelPresent[0] != 0) return false;
  } else {
    source = lastRecognised;
    subChannel = lastRecognised + 1;
    if (source >= channelEntryCount(header) || subChannel >= MAX_CHANNELS) return false;
  }
  const ChannelEntry* model = channelEntry(header, source);
  setEntryType(entry, vsk::TYPE_SUBBOTTOM);
  setEntryFrequency(entry, entryFrequency(model));
  setEntrySubChannel(entry, static_cast<std::uint8_t>(subChannel));
  setEntryBytesPerSample(entry, entryBytesPerSample(model));
  markChannel(context, subChannel, vsk::TYPE_SUBBOTTOM, entryFrequency(entry));
  return true;
}

void readChannelTable(ConverterContext* context, ConverterEvents& events) {
  std::fill(std::begin(context->pairChannel), std::end(context->pairChannel), NO_SUBCHANNEL);
  context->subbottomChannel = NO_SUBCHANNEL;
  SonarFileHeader* header = context->fileHeader;
  int lastRecognised = NO_SUBCHANNEL;
  const int entries = channelEntryCount(header);
  for (int position = 0; position < entries; ++position) {
    ChannelEntry* entry = channelEntry(header, position);
    if (entryType(entry) <= vsk::TYPE_STARBOARD) {
      lastRecognised = entrySubChannel(entry);
      if (lastRecognised >= MAX_CHANNELS) continue;
      markChannel(context, lastRecognised, entryType(entry), entryFrequency(entry));
    } else {
      events.unrecognisedChannel(position);
      if (!assumeSubbottom(context, entry, position, lastRecognised)) continue;
    }
    const int subChannel = entrySubChannel(entry);
    if (entryType(entry) == vsk::TYPE_SUBBOTTOM) {
      context->subbottomChannel = subChannel;
    } else if (entryType(entry) == vsk::TYPE_PORT) {
      int* freePair = std::find(std::begin(context->pairChannel), std::end(context->pairChannel), NO_SUBCHANNEL);
      if (freePair != std::end(context->pairChannel)) *freePair = subChannel;
    }
  }
}

// For every channel position: the largest sample count seen and the duration
// of the ping that brought it; a count of 0 stands for the entry's own.
void measureChannels(ConverterContext* context) {
  const SonarFileHeader* header = context->fileHeader;
  const int entries = channelEntryCount(header);
  const int positions = std::min<int>(pingChannelCount(context->currentPing), MAX_CHANNELS);
  for (int position = 0; position < positions; ++position) {
    const ChannelHeader* channel = context->channelData[position];
    if (channel == nullptr) continue;
    const std::uint32_t samples = channelSampleCount(channel);
    if (samples == 0) {
      if (position >= entries) continue;
      context->channelSamples[position] = entrySamplesPerChannel(channelEntry(header, position));
      context->channelDuration[position] = channelTimeDuration(channel);
    } else if (samples > context->channelSamples[position]) {
      context->channelSamples[position] = samples;
      context->channelDuration[position] = channelTimeDuration(channel);
    }
  }
}

// Reads from byte 0 again: the reader passes over the header by itself.
void countSamples(ConverterContext* context) {
  context->pingCount = 0;
  SetFilePointer(context->sonarFile, 0, nullptr, FILE_BEGIN);
  while (readRecord(context)) {
    context->currentPing = static_cast<PingHeader*>(context->recordBuffer);
    if (!isSonarPing(context->currentPing)) continue;
    locateChannels(context);
    measureChannels(context);
    if (++context->pingCount > SURVEYED_PING_LIMIT) break;
  }
}

}  // namespace

SurveyResult surveySonarFile(ConverterContext* context, ConverterEvents& events) {
  DWORD unused = 0;
  if (ReadFullVSKHeader(context->sonarFile, &context->fileHeader, &unused) != VSK_OK) return SURVEY_HEADER_UNREADABLE;
  if (!findFirstSonarPing(context)) return SURVEY_NO_SONAR_PING;
  readChannelTable(context, events);
  countSamples(context);
  return SURVEY_OK;
}
