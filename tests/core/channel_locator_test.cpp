#include "core/channel_locator.h"
#include "core/converter_context.h"
#include "core/sonar_records.h"
#include "sonar_memory.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <memory>

namespace {

struct ChannelLocator : ::testing::Test {
  std::unique_ptr<ConverterContext> context = std::make_unique<ConverterContext>();
  std::unique_ptr<SonarMemory> memory;

  void locate(const std::vector<vsk::ChannelSpec>& entries, const std::vector<vsk::PingChannel>& channels) {
    vsk::FileSpec file;
    file.sonarChannels = entries;
    vsk::Ping ping;
    ping.channels = channels;
    memory = std::make_unique<SonarMemory>(file, ping);
    memory->attach(*context);
    locateChannels(context.get());
  }
  // Byte offset of a located channel's header inside the record, -1 when absent.
  std::ptrdiff_t offset(int position) const {
    const ChannelHeader* channel = context->channelData[position];
    if (channel == nullptr) return -1;
    return reinterpret_cast<const unsigned char*>(channel) - memory->record.data();
  }
  void relocateWithRecordBytes(int recordBytes) {
    context->recordBytes = recordBytes;
    locateChannels(context.get());
  }
};

std::vector<std::uint8_t> bytes(std::size_t count) { return std::vector<std::uint8_t>(count, 0x5A); }

TEST_F(ChannelLocator, OneChannelSitsBehindThePingHeader) {
  locate({channelSpec(0, 0)}, {pingChannel(0, bytes(20), 10)});
  EXPECT_EQ(offset(0), 256);
  for (int position = 1; position < MAX_CHANNELS; ++position) EXPECT_EQ(offset(position), -1);
}

TEST_F(ChannelLocator, StepsByThePreviousChannelsCountAndWidth) {
  locate({channelSpec(1, 0, 1), channelSpec(2, 1, 1)},
         {pingChannel(0, bytes(1000), 1000), pingChannel(1, bytes(5), 5)});
  EXPECT_EQ(offset(1), 256 + 64 + 1000);

  locate({channelSpec(1, 0, 2), channelSpec(2, 1, 2)},
         {pingChannel(0, bytes(4000), 2000), pingChannel(1, bytes(2), 1)});
  EXPECT_EQ(offset(1), 256 + 64 + 4000);
  EXPECT_EQ(channelNumber(context->channelData[1]), 1);
}

TEST_F(ChannelLocator, CountZeroStepsByTheEntrysSamplesPerChannel) {
  locate({channelSpec(1, 0, 2, 300), channelSpec(2, 1, 2, 7)},
         {pingChannel(0, bytes(600), 0), pingChannel(1, bytes(14), 0)});
  EXPECT_EQ(offset(1), 256 + 64 + 600);
  EXPECT_EQ(channelStoredSamples(context.get(), 0), 300u);
  EXPECT_EQ(channelStoredSamples(context.get(), 1), 7u);
}

TEST_F(ChannelLocator, NoChannelsLeavesTheTableEmpty) {
  locate({channelSpec(0, 0)}, {});
  for (int position = 0; position < MAX_CHANNELS; ++position) EXPECT_EQ(offset(position), -1);
}

TEST_F(ChannelLocator, EntriesOfAnEarlierPingAreCleared) {
  locate({channelSpec(1, 0), channelSpec(2, 1), channelSpec(0, 2)},
         {pingChannel(0, bytes(2), 1), pingChannel(1, bytes(2), 1), pingChannel(2, bytes(2), 1)});
  EXPECT_EQ(offset(2), 256 + 2 * (64 + 2));
  locate({channelSpec(1, 0), channelSpec(2, 1), channelSpec(0, 2)}, {pingChannel(0, bytes(2), 1)});
  EXPECT_EQ(offset(0), 256);
  EXPECT_EQ(offset(1), -1);
  EXPECT_EQ(offset(2), -1);
}

TEST_F(ChannelLocator, ChannelsThatDoNotFitTheRecordAreAbsent) {
  locate({channelSpec(1, 0), channelSpec(2, 1), channelSpec(0, 2)},
         {pingChannel(0, bytes(200), 100), pingChannel(1, bytes(200), 100), pingChannel(2, bytes(200), 100)});
  const int whole = context->recordBytes;
  ASSERT_EQ(whole, 256 + 3 * (64 + 200));
  EXPECT_EQ(offset(2), 256 + 2 * 264);

  relocateWithRecordBytes(whole - 1);  // the last sample of the last channel is missing
  EXPECT_EQ(offset(1), 256 + 264);
  EXPECT_EQ(offset(2), -1);

  relocateWithRecordBytes(256 + 264 + 63);  // the second header is cut
  EXPECT_EQ(offset(0), 256);
  EXPECT_EQ(offset(1), -1);

  relocateWithRecordBytes(256 + 64 + 199);
  EXPECT_EQ(offset(0), -1);

  relocateWithRecordBytes(0);
  EXPECT_EQ(offset(0), -1);
}

TEST_F(ChannelLocator, CountsFromTheRecordAreNotTrusted) {
  // A header claiming far more samples than the record holds, then channels
  // the ping count announces but the record does not have.
  locate({channelSpec(1, 0), channelSpec(2, 1)},
         {pingChannel(0, bytes(20), 0xFFFFFFFFu), pingChannel(1, bytes(20), 10)});
  EXPECT_EQ(offset(0), -1);
  EXPECT_EQ(offset(1), -1);

  locate({channelSpec(1, 0, 2, 0xFFFFFFFFu), channelSpec(2, 1)},
         {pingChannel(0, bytes(20), 0), pingChannel(1, bytes(20), 10)});
  EXPECT_EQ(offset(0), -1);

  locate({channelSpec(1, 0), channelSpec(2, 1), channelSpec(0, 2)}, {pingChannel(0, bytes(20), 10)});
  vsk::store16(memory->record.data() + vsk::RECORD_CHANNEL_COUNT, 3);
  locateChannels(context.get());
  EXPECT_EQ(offset(0), 256);
  EXPECT_EQ(offset(1), -1);
}

TEST_F(ChannelLocator, SixteenBitSamplesAreCheckedAtTwoBytesWhateverTheEntrySays) {
  // An entry of 3 bytes per sample: the engine reads two bytes per sample,
  // the next channel follows by three.
  locate({channelSpec(1, 0, 3), channelSpec(2, 1)}, {pingChannel(0, bytes(30), 10), pingChannel(1, bytes(2), 1)});
  EXPECT_EQ(offset(1), 256 + 64 + 30);
  relocateWithRecordBytes(256 + 64 + 20);
  EXPECT_EQ(offset(0), 256);
  relocateWithRecordBytes(256 + 64 + 19);
  EXPECT_EQ(offset(0), -1);
}

TEST_F(ChannelLocator, AtMostEightChannelsAndNoneBeyondTheChannelTable) {
  std::vector<vsk::ChannelSpec> entries;
  std::vector<vsk::PingChannel> channels;
  for (std::uint8_t i = 0; i < 10; ++i) {
    entries.push_back(channelSpec(0, i));
    channels.push_back(pingChannel(i, bytes(2), 1));
  }
  locate(entries, channels);
  for (int position = 0; position < MAX_CHANNELS; ++position) EXPECT_EQ(offset(position), 256 + position * 66);

  entries.resize(3);
  locate(entries, channels);
  EXPECT_EQ(offset(2), 256 + 2 * 66);
  EXPECT_EQ(offset(3), -1);
}

}  // namespace
