#include "core/trace_samples.h"
#include "core/channel_locator.h"
#include "core/converter_context.h"
#include "sonar_memory.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

struct TraceSamples : ::testing::Test {
  std::unique_ptr<ConverterContext> context = std::make_unique<ConverterContext>();
  std::unique_ptr<SonarMemory> memory;

  std::vector<std::uint16_t> out;

  // One channel at position 0, then forms samplesPerTrace values from it.
  std::vector<std::uint16_t> form(std::uint32_t samplesPerTrace, const vsk::ChannelSpec& entry,
                                  const vsk::PingChannel& channel, bool reversed, std::uint32_t bigEndian = 0) {
    vsk::FileSpec file;
    file.sonarChannels = {entry};
    vsk::Ping ping;
    ping.channels = {channel};
    memory = std::make_unique<SonarMemory>(file, ping);
    memory->attach(*context);
    locateChannels(context.get());
    context->samplesPerTrace = samplesPerTrace;
    context->bigEndian = bigEndian;
    // Whatever the buffer held before must not show through.
    out.assign(samplesPerTrace + 1, 0xEEEE);
    formTraceSamples(context.get(), 0, reversed, out.data());
    EXPECT_EQ(context->sampleCursor, memory->record.data() + 256 + 64);
    EXPECT_EQ(out.back(), 0xEEEE) << "written past the trace";
    return std::vector<std::uint16_t>(out.begin(), out.end() - 1);
  }
  // The bytes of the trace as they go to the file.
  std::vector<int> fileBytes() const {
    const auto* at = reinterpret_cast<const unsigned char*>(out.data());
    return std::vector<int>(at, at + 2 * context->samplesPerTrace);
  }
};

vsk::PingChannel sixteenBit(const std::vector<std::uint16_t>& values, std::uint32_t count) {
  return pingChannel(0, vsk::samples16(values), count);
}

TEST_F(TraceSamples, EightBitSamplesAreScaledBy128) {
  const vsk::ChannelSpec entry = channelSpec(0, 0, 1);
  EXPECT_EQ(form(3, entry, pingChannel(0, vsk::samples8({255, 1, 0}), 3), false),
            (std::vector<std::uint16_t>{0x7F80, 128, 0}));
  EXPECT_EQ(fileBytes(), (std::vector<int>{0x80, 0x7F, 0x80, 0x00, 0x00, 0x00}));
  form(3, entry, pingChannel(0, vsk::samples8({255, 1, 0}), 3), false, 1);
  EXPECT_EQ(fileBytes(), (std::vector<int>{0x7F, 0x80, 0x00, 0x80, 0x00, 0x00}));
  EXPECT_EQ(form(3, entry, pingChannel(0, vsk::samples8({255, 1, 7}), 3), true),
            (std::vector<std::uint16_t>{896, 128, 0x7F80}));
}

TEST_F(TraceSamples, SixteenBitSamplesAreCopiedUnscaled) {
  const vsk::ChannelSpec entry = channelSpec(0, 0, 2);
  EXPECT_EQ(form(2, entry, sixteenBit({0xFFFF, 0x1234}, 2), false), (std::vector<std::uint16_t>{0xFFFF, 0x1234}));
  form(2, entry, sixteenBit({0xFFFF, 0x1234}, 2), false, 1);
  EXPECT_EQ(fileBytes(), (std::vector<int>{0xFF, 0xFF, 0x12, 0x34}));
  form(2, entry, sixteenBit({0xFFFF, 0x1234}, 2), true, 1);
  EXPECT_EQ(fileBytes(), (std::vector<int>{0x12, 0x34, 0xFF, 0xFF}));
  // Any width other than 1 means 16-bit.
  EXPECT_EQ(form(2, channelSpec(0, 0, 0), sixteenBit({5, 6}, 2), false), (std::vector<std::uint16_t>{5, 6}));
}

TEST_F(TraceSamples, LongerChannelIsCutShorterOneIsPaddedWithZeros) {
  const vsk::ChannelSpec entry = channelSpec(0, 0, 2);
  const vsk::PingChannel five = sixteenBit({10, 11, 12, 13, 14}, 5);
  EXPECT_EQ(form(3, entry, five, false), (std::vector<std::uint16_t>{10, 11, 12}));
  EXPECT_EQ(form(3, entry, five, true), (std::vector<std::uint16_t>{14, 13, 12}));

  const vsk::PingChannel two = sixteenBit({20, 21}, 2);
  EXPECT_EQ(form(4, entry, two, false), (std::vector<std::uint16_t>{20, 21, 0, 0}));
  EXPECT_EQ(form(4, entry, two, true), (std::vector<std::uint16_t>{21, 20, 0, 0}));

  const vsk::ChannelSpec eightBit = channelSpec(0, 0, 1);
  EXPECT_EQ(form(4, eightBit, pingChannel(0, vsk::samples8({1, 2}), 2), true),
            (std::vector<std::uint16_t>{256, 128, 0, 0}));
}

TEST_F(TraceSamples, CountZeroTakesTheEntrysSamples) {
  const vsk::ChannelSpec entry = channelSpec(0, 0, 2, 3);
  const vsk::PingChannel channel = sixteenBit({1, 2, 3}, 0);
  EXPECT_EQ(form(3, entry, channel, false), (std::vector<std::uint16_t>{1, 2, 3}));
  EXPECT_EQ(form(3, entry, channel, true), (std::vector<std::uint16_t>{3, 2, 1}));
  // The channel holds no more than its entry says: nothing is read behind it.
  EXPECT_EQ(form(5, entry, channel, true), (std::vector<std::uint16_t>{3, 2, 1, 0, 0}));
  // Count 0 takes exactly samplesPerTrace samples: reversed, the first S of the channel, last first.
  const vsk::ChannelSpec five = channelSpec(0, 0, 2, 5);
  const vsk::PingChannel longer = sixteenBit({1, 2, 3, 4, 5}, 0);
  EXPECT_EQ(form(3, five, longer, true), (std::vector<std::uint16_t>{3, 2, 1}));
  EXPECT_EQ(form(3, five, longer, false), (std::vector<std::uint16_t>{1, 2, 3}));
}

TEST_F(TraceSamples, EveryFormOverSeveralBlocks) {
  constexpr std::uint32_t STORED = 37;
  constexpr std::uint32_t SAMPLES = 35;
  std::vector<std::uint8_t> bytes8;
  std::vector<std::uint16_t> values16;
  for (std::uint32_t i = 0; i < STORED; ++i) {
    bytes8.push_back(static_cast<std::uint8_t>(i * 7 + 1));
    values16.push_back(static_cast<std::uint16_t>(0x8000 + i * 301));
  }
  for (bool eightBit : {false, true}) {
    for (bool reversed : {false, true}) {
      for (std::uint32_t bigEndian : {0u, 1u}) {
        const vsk::PingChannel channel =
            eightBit ? pingChannel(0, vsk::samples8(bytes8), STORED) : sixteenBit(values16, STORED);
        const std::vector<std::uint16_t> got =
            form(SAMPLES, channelSpec(0, 0, eightBit ? 1 : 2), channel, reversed, bigEndian);
        for (std::uint32_t i = 0; i < SAMPLES; ++i) {
          const std::uint32_t from = reversed ? STORED - 1 - i : i;
          std::uint16_t want = eightBit ? static_cast<std::uint16_t>(bytes8[from] << 7) : values16[from];
          if (bigEndian != 0) want = static_cast<std::uint16_t>((want >> 8) | (want << 8));
          ASSERT_EQ(got[i], want) << eightBit << reversed << bigEndian << " sample " << i;
        }
      }
    }
  }
}

TEST_F(TraceSamples, NoSamplesPerTraceFormsNothing) {
  EXPECT_TRUE(form(0, channelSpec(0, 0, 2), sixteenBit({1, 2}, 2), true).empty());
}

}  // namespace
