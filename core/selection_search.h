// Which channels of the current sonar ping a ChannelSelection writes, and in
// which direction the first trace runs. Converter thread, after the channel
// locator has run for the ping.
#pragma once

struct ConverterContext;

// Selections 0 to 3 are the port/starboard pairs.
bool isPairSelection(int channelSelection);

// The channel position of the first trace, or -1 when the ping holds no data
// for the selection. The last located channel carrying selectedChannel
// decides; for a pair only when the channel right after it carries
// selectedChannel + 1.
int findSelection(const ConverterContext* context);

// A port channel is reversed for a pair or the subbottom selection, any
// channel when reverseSamples is set.
bool firstTraceReversed(const ConverterContext* context, int position);
