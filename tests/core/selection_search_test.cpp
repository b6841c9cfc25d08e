#include "core/selection_search.h"
#include "core/channel_locator.h"
#include "core/converter_context.h"
#include "sonar_memory.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

constexpr int PAIR_1 = 0;
constexpr int PAIR_4 = 3;
constexpr int SUBBOTTOM = 4;
constexpr int SINGLE_1 = 5;
constexpr int SINGLE_8 = 12;

struct SelectionSearch : ::testing::Test {
  std::unique_ptr<ConverterContext> context = std::make_unique<ConverterContext>();
  std::unique_ptr<SonarMemory> memory;

  // A ping whose channel positions carry these channel numbers; entry types
  // follow the numbers' order in the table (port, starboard, ...).
  void ping(const std::vector<std::uint16_t>& numbers, const std::vector<std::uint8_t>& types = {}) {
    vsk::FileSpec file;
    vsk::Ping record;
    for (std::size_t i = 0; i < numbers.size(); ++i) {
      const std::uint8_t type = i < types.size() ? types[i] : static_cast<std::uint8_t>(1 + i % 2);
      file.sonarChannels.push_back(channelSpec(type, static_cast<std::uint8_t>(i)));
      record.channels.push_back(pingChannel(numbers[i], vsk::samples16({0}), 1));
    }
    memory = std::make_unique<SonarMemory>(file, record);
    memory->attach(*context);
    locateChannels(context.get());
  }
  int find(int selection, int selectedChannel) {
    context->channelSelection = selection;
    context->selectedChannel = selectedChannel;
    return findSelection(context.get());
  }
};

TEST_F(SelectionSearch, SingleChannelIsFoundByItsNumber) {
  ping({0, 1, 2, 3});
  EXPECT_EQ(find(SINGLE_1 + 2, 2), 2);
  EXPECT_EQ(find(SINGLE_8, 7), -1);
  EXPECT_EQ(find(SUBBOTTOM, 3), 3);
}

TEST_F(SelectionSearch, TheLaterChannelCarryingTheNumberDecides) {
  ping({4, 1, 4, 2});
  EXPECT_EQ(find(SINGLE_1 + 4, 4), 2);
}

TEST_F(SelectionSearch, PairNeedsTheStarboardRightAfterThePort) {
  ping({0, 1, 2, 3});
  EXPECT_EQ(find(PAIR_1, 0), 0);
  EXPECT_EQ(find(PAIR_1 + 1, 2), 2);
  EXPECT_EQ(find(PAIR_4, 3), -1);  // the port channel is the ping's last

  ping({0, 5, 1});
  EXPECT_EQ(find(PAIR_1, 0), -1);  // the next channel carries another number
}

TEST_F(SelectionSearch, ALaterFailedPairCancelsAnEarlierGoodOne) {
  ping({0, 1, 0, 2});
  EXPECT_EQ(find(PAIR_1, 0), -1);
  ping({0, 2, 0, 1});
  EXPECT_EQ(find(PAIR_1, 0), 2);
}

TEST_F(SelectionSearch, ChannelsOutsideTheRecordAreNotSearched) {
  ping({0, 1});
  context->recordBytes -= 1;  // the starboard's sample is cut off
  locateChannels(context.get());
  EXPECT_EQ(find(PAIR_1, 0), -1);
  EXPECT_EQ(find(SINGLE_1, 0), 0);
  EXPECT_EQ(find(SINGLE_1 + 1, 1), -1);
}

TEST_F(SelectionSearch, ReversalRules) {
  ping({0, 1, 2}, {1, 2, 0});
  context->reverseSamples = 0;
  context->channelSelection = PAIR_1;
  EXPECT_TRUE(firstTraceReversed(context.get(), 0));  // the port of a pair
  context->channelSelection = SUBBOTTOM;
  EXPECT_TRUE(firstTraceReversed(context.get(), 0));  // a port entry chosen as subbottom
  EXPECT_FALSE(firstTraceReversed(context.get(), 2));
  context->channelSelection = SINGLE_1;
  EXPECT_FALSE(firstTraceReversed(context.get(), 0));  // a single port channel by itself

  context->reverseSamples = 1;
  for (int selection : {PAIR_1, SUBBOTTOM, SINGLE_1, SINGLE_8}) {
    context->channelSelection = selection;
    for (int position : {0, 1, 2})
      EXPECT_TRUE(firstTraceReversed(context.get(), position)) << selection << " " << position;
  }
}

TEST_F(SelectionSearch, PairSelections) {
  for (int selection = PAIR_1; selection <= PAIR_4; ++selection) EXPECT_TRUE(isPairSelection(selection));
  for (int selection : {-1, SUBBOTTOM, SINGLE_1, SINGLE_8}) EXPECT_FALSE(isPairSelection(selection));
}

}  // namespace
