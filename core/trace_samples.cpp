#include "core/trace_samples.h"

#include "core/byte_order.h"
#include "core/channel_locator.h"
#include "core/converter_context.h"
#include "core/sonar_records.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace {

constexpr int EIGHT_BIT_SHIFT = 7;  // 0..255 becomes 0..32640
constexpr std::size_t SAMPLE_BYTES = sizeof(std::uint16_t);

using FormFunction = void (*)(const unsigned char* in, std::uint32_t stored, std::uint32_t count, std::uint16_t* out);

// Blocks of a fixed length, so the compiler turns each into vector code even
// where it vectorises only loops whose trip count it knows; then the rest.
constexpr std::size_t BLOCK = 16;

template <typename Convert>
inline void convertAll(std::size_t count, std::uint16_t* __restrict out, Convert convert) {
  std::size_t i = 0;
  for (; i + BLOCK <= count; i += BLOCK) {
    for (std::size_t j = 0; j < BLOCK; ++j) out[i + j] = convert(i + j);
  }
  for (; i < count; ++i) out[i] = convert(i);
}

// One loop per width, order and direction, so no sample pays for a choice.
template <std::uint32_t ORDER, bool REVERSED>
void formEightBit(const unsigned char* in, std::uint32_t stored, std::uint32_t count, std::uint16_t* out) {
  const unsigned char* __restrict first = REVERSED ? in + stored - 1 : in;
  convertAll(count, out, [first](std::size_t i) {
    const unsigned value = REVERSED ? *(first - i) : first[i];
    return OrderShort(ORDER ^ HOST_BIG_ENDIAN, static_cast<std::uint16_t>(value << EIGHT_BIT_SHIFT));
  });
}

template <std::uint32_t ORDER, bool REVERSED>
void formSixteenBit(const unsigned char* in, std::uint32_t stored, std::uint32_t count, std::uint16_t* out) {
  if constexpr (ORDER == 0 && !REVERSED) {
    std::memcpy(out, in, std::size_t{count} * SAMPLE_BYTES);
  } else {
    const unsigned char* __restrict first = REVERSED ? in + std::size_t{stored - 1} * SAMPLE_BYTES : in;
    convertAll(count, out, [first](std::size_t i) {
      std::uint16_t value;
      std::memcpy(&value, REVERSED ? first - i * SAMPLE_BYTES : first + i * SAMPLE_BYTES, SAMPLE_BYTES);
      return OrderShort(ORDER, value);
    });
  }
}

// [8-bit][big-endian][reversed]
constexpr FormFunction FORMS[2][2][2] = {
    {{formSixteenBit<0, false>, formSixteenBit<0, true>}, {formSixteenBit<1, false>, formSixteenBit<1, true>}},
    {{formEightBit<0, false>, formEightBit<0, true>}, {formEightBit<1, false>, formEightBit<1, true>}},
};

}  // namespace

void formTraceSamples(ConverterContext* context, int position, bool reversed, std::uint16_t* out) {
  const ChannelHeader* channel = context->channelData[position];
  const ChannelEntry* entry = channelEntry(context->fileHeader, position);
  context->sampleCursor = const_cast<unsigned char*>(channelSamplesStart(channel));

  const std::uint32_t samplesPerTrace = context->samplesPerTrace;
  // A header count of 0 takes exactly samplesPerTrace samples, but never more
  // than the channel holds (its entry's samples per channel).
  const std::uint32_t stored = channelStoredSamples(context, position);
  const std::uint32_t taken = channelSampleCount(channel) != 0 ? stored : std::min(samplesPerTrace, stored);
  const std::uint32_t count = std::min(samplesPerTrace, taken);
  const bool eightBit = sampleWidth(entry) == 1;
  FORMS[eightBit][context->bigEndian != 0][reversed](context->sampleCursor, taken, count, out);
  std::fill(out + count, out + samplesPerTrace, std::uint16_t{0});
}
