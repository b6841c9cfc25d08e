// The 240-byte SEG-Y trace header of one output trace, built in bytes 3600 to
// 3839 of headerBuffer. Converter thread, inside a conversion, after
// BuildReelHeader and the channel locator have run for the current ping.
#pragma once

#include <cstdint>

struct ConverterContext;

// traceNumber 1 or 2; channelPosition indexes channelData (a located
// channel); pairTrace nonzero for both traces of a port/starboard pair.
void BuildTraceHeader(ConverterContext* context, std::int16_t traceNumber, int channelPosition, int pairTrace);
