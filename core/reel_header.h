// The 3600-byte SEG-Y reel header: the 3200-byte text header and the
// 400-byte binary header, built in bytes 0 to 3599 of headerBuffer.
// Converter thread, inside a conversion.
#pragma once

#include <cstdint>

struct ConverterContext;

// Where the text header states the whole sample count ("%d"), of which the
// binary header holds only the low 16 bits: line and column, from 1.
constexpr std::int16_t SAMPLE_COUNT_LINE = 6;
constexpr std::int16_t SAMPLE_COUNT_COLUMN = 43;

// Stores sampleCount into samplesPerTrace and duration into traceDuration,
// then rewrites every byte 0 to 3599 of headerBuffer from segyFileName and
// bigEndian. Cannot fail. A sample count of 0, or a duration that gives an
// interval below 1 us, stores 0 as the sample interval and the sampling
// rate. Line 10's alias figure is the Nyquist frequency in hertz (0 when
// undefined); control characters of the base name show as '?'.
void BuildReelHeader(ConverterContext* context, std::int32_t tracesPerRecord, std::uint32_t sampleCount,
                     float duration);

// Copies text (without its terminator) to line, column (both from 1) of the
// 3200-byte text header. No padding, no cut at column 80, no bounds check:
// callers place pieces that end within the 3200 bytes.
void PutHeaderText(std::int16_t line, unsigned char* textHeader, const char* text, std::int16_t column);

// The sample interval in microseconds that the reel and trace headers share:
// duration x 1000000 / sampleCount truncated, low 16 bits; 0 when undefined.
std::int16_t sampleIntervalMicroseconds(float duration, std::uint32_t sampleCount);
