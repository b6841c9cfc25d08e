// The forming of one trace's samples. Converter thread, inside a conversion.
#pragma once

#include <cstdint>

struct ConverterContext;

// Needs a located channel at position (channelData) and room for
// samplesPerTrace values at out. Sets sampleCursor to the channel's first
// sample and fills out with samplesPerTrace values in the output byte order:
// the channel's first samples, or when reversed its last ones, last first;
// 8-bit samples times 128, 16-bit ones copied; zeros behind a channel with
// fewer samples. Never reads past the samples the channel holds.
void formTraceSamples(ConverterContext* context, int position, bool reversed, std::uint16_t* out);
