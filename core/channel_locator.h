// Finds each channel's header inside the current sonar ping.
#pragma once

struct ConverterContext;

// Requires recordBuffer / recordBytes / currentPing to hold a sonar ping and
// fileHeader the file's header. Fills channelData[0..7]: entry i designates
// the ChannelHeader of position i, or is nullptr when the ping has no such
// position, when the channel table has no entry for it, or when the channel's
// header or samples (at 1 byte each for 8-bit entries, 2 otherwise) do not
// fit inside the record (and then every later position is nullptr too). At
// most 8 channels are located. Any thread that owns the record.
void locateChannels(ConverterContext* context);

// Samples a located channel really holds (its header's count, or the entry's
// samples per channel when the count is 0).
unsigned channelStoredSamples(const ConverterContext* context, int position);
