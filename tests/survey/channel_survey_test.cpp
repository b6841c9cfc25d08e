// The channel survey of a chosen VSK file, seen through the window: the
// channel list, the boxes it leads to and the tables it fills.
#include "program_test.h"
#include "survey_files.h"

#include "core/converter_context.h"
#include "core/sonar_records.h"
#include "res/resource_ids.h"

#include <fstream>

namespace {

using survey_files::channel;
using survey_files::PORT;
using survey_files::STARBOARD;
using survey_files::SUBBOTTOM;

using ChannelSurvey = ProgramTest;

constexpr std::uint8_t UNRECOGNISED = 5;

vsk::FileSpec tableOf(std::vector<vsk::ChannelSpec> channels) {
  vsk::FileSpec spec;
  spec.sonarChannels = std::move(channels);
  return spec;
}

TEST_F(ChannelSurvey, ListsPairsOnOneLineAndTheSubbottomBelow) {
  start();
  chooseSonarFile(writeSurvey("line.vsk", survey_files::twoPairsAndSubbottom(10), 3));
  EXPECT_EQ(text(IDC_CHANNEL_LIST),
            "(1) PORT 100kHz - (2) STBD 100kHz\n(3) PORT 400kHz - (4) STBD 400kHz\n(5) SUBBOTTOM");
  EXPECT_TRUE(boxes().empty());
}

TEST_F(ChannelSurvey, APortChannelAtTheEndLeavesTheDash) {
  start();
  chooseSonarFile(writeSurvey("port.vsk", tableOf({channel(PORT, 0, 99.6f, 10)}), 2));
  EXPECT_EQ(text(IDC_CHANNEL_LIST), "(1) PORT 100kHz -");
}

TEST_F(ChannelSurvey, AnEmptyChannelTableStillGoesOnToTheCount) {
  start();
  chooseSonarFile(writeSurvey("empty.vsk", tableOf({}), 4));
  EXPECT_EQ(text(IDC_CHANNEL_LIST), "");
  EXPECT_EQ(text(IDC_SONAR_PING_COUNT), " 4 (sonar/subbottom) ");
}

TEST_F(ChannelSurvey, AnUnrecognisedTypeBecomesASubbottomBuiltOnTheLastRecognisedEntry) {
  start();
  const auto spec =
      tableOf({channel(PORT, 0, 100, 10), channel(STARBOARD, 1, 120, 10, 1), channel(UNRECOGNISED, 6, 9, 10)});
  chooseSonarFile(writeSurvey("odd.vsk", spec, 3));
  ASSERT_EQ(boxes().size(), 1u);
  EXPECT_EQ(boxes()[0].text, "Unrecognized file type in channel 3.  Assuming subbottom.");
  EXPECT_EQ(boxes()[0].caption, "Channel type");
  EXPECT_EQ(boxes()[0].type & MB_ICONMASK, 0u);
  EXPECT_EQ(text(IDC_CHANNEL_LIST), "(1) PORT 100kHz - (2) STBD 120kHz\n(3) SUBBOTTOM");
  EXPECT_EQ(context().subbottomChannel, 2);
  const ChannelEntry* entry = channelEntry(context().fileHeader, 2);
  EXPECT_EQ(entryType(entry), 0);
  EXPECT_EQ(entrySubChannel(entry), 2);
  EXPECT_FLOAT_EQ(entryFrequency(entry), 120.0f);
  EXPECT_EQ(entryBytesPerSample(entry), 1);
  EXPECT_TRUE(enabled(IDC_SUBBOTTOM));
}

TEST_F(ChannelSurvey, AnUnrecognisedFirstEntryBecomesSubChannelZeroOnce) {
  start();
  const auto spec = tableOf({channel(UNRECOGNISED, 3, 50, 10), channel(UNRECOGNISED + 1, 4, 60, 10),
                             channel(PORT, 1, 100, 10), channel(STARBOARD, 2, 100, 10)});
  chooseSonarFile(writeSurvey("odd.vsk", spec, 3));
  ASSERT_GE(boxes().size(), 2u);
  EXPECT_EQ(boxes()[1].text, "Unrecognized file type in channel 2.  Assuming subbottom.");
  EXPECT_EQ(text(IDC_CHANNEL_LIST), "(1) SUBBOTTOM\n(2) PORT 100kHz - (3) STBD 100kHz");
  EXPECT_EQ(context().subbottomChannel, 0);
  EXPECT_FLOAT_EQ(context().channelFrequency[0], 50.0f);
  EXPECT_EQ(entryType(channelEntry(context().fileHeader, 1)), UNRECOGNISED + 1) << "left out, left as it was";
}

TEST_F(ChannelSurvey, FivePortEntriesFillFourPairsAndTheLaterSubbottomCounts) {
  start();
  const auto spec = tableOf({channel(PORT, 0, 100, 10), channel(SUBBOTTOM, 1, 3, 10), channel(PORT, 2, 100, 10),
                             channel(SUBBOTTOM, 3, 3, 10), channel(PORT, 4, 100, 10), channel(PORT, 6, 100, 10),
                             channel(PORT, 7, 100, 10)});
  chooseSonarFile(writeSurvey("ports.vsk", spec, 2));
  EXPECT_EQ(context().pairChannel[0], 0);
  EXPECT_EQ(context().pairChannel[1], 2);
  EXPECT_EQ(context().pairChannel[2], 4);
  EXPECT_EQ(context().pairChannel[3], 6);
  EXPECT_EQ(context().subbottomChannel, 3);
  EXPECT_NE(text(IDC_CHANNEL_LIST).find("(8) PORT 100kHz -"), std::string::npos);
}

// Sub-channel numbers from 8 on have no room in the tables: such channels
// are left out and the rest of the file converts.
TEST_F(ChannelSurvey, SubChannelsFromEightOnAreLeftOut) {
  start();
  const auto spec = tableOf({channel(PORT, 0, 100, 10), channel(STARBOARD, 1, 100, 10), channel(SUBBOTTOM, 8, 3, 10),
                             channel(PORT, 12, 400, 10), channel(UNRECOGNISED, 2, 1, 10)});
  const std::string segy = path("out.SEG");
  prepare(writeSurvey("wide.vsk", spec, 4), segy, IDC_PAIR_1);
  EXPECT_EQ(text(IDC_CHANNEL_LIST), "(1) PORT 100kHz - (2) STBD 100kHz");
  EXPECT_EQ(context().pairChannel[1], -1);
  EXPECT_EQ(context().subbottomChannel, -1);
  EXPECT_FALSE(enabled(IDC_SUBBOTTOM));
  ui.clearRecords();
  click(IDC_PROCESS);
  EXPECT_TRUE(boxes().empty());
  EXPECT_EQ(fileSize(segy), 3600u + 4u * 2u * (240u + 2u * 10u));
}

TEST_F(ChannelSurvey, PingsOfMoreThanEightChannelsKeepTheFirstEight) {
  start();
  std::vector<vsk::ChannelSpec> channels;
  for (std::uint8_t k = 0; k < 8; ++k) channels.push_back(channel(k % 2 == 0 ? PORT : STARBOARD, k, 100, 10));
  channels.push_back(channel(UNRECOGNISED, 0, 1, 10));  // would become sub-channel 8
  channels.push_back(channel(STARBOARD, 3, 1, 10));
  const std::string segy = path("out.SEG");
  prepare(writeSurvey("ten.vsk", tableOf(channels), 5), segy, IDC_CHANNEL_8);
  EXPECT_EQ(boxes().size(), 1u);
  EXPECT_EQ(context().subbottomChannel, -1);
  ui.clearRecords();
  click(IDC_PROCESS);
  EXPECT_TRUE(boxes().empty());
  EXPECT_EQ(fileSize(segy), 3600u + 5u * (240u + 2u * 10u));
}

// Sample counts: the largest count seen in the first 101 pings and the
// duration of the ping that first had it; a count of 0 stands for the entry's.
TEST_F(ChannelSurvey, TheSampleCountPassKeepsTheLargestCountOfTheFirstPings) {
  start();
  const auto spec = tableOf({channel(PORT, 0, 100, 1000), channel(STARBOARD, 1, 100, 300)});
  const std::string file = path("counts.vsk");
  {
    vsk::Writer writer(file, spec);
    for (int ping = 0; ping < 150; ++ping) {
      vsk::Ping record = survey_files::pingOf(spec, ping);
      auto resize = [](vsk::PingChannel& c, std::uint32_t count, float duration) {
        c.sampleCount = count;
        c.samples.assign(2u * count, 0x01);
        c.timeDuration = duration;
      };
      if (ping == 9) resize(record.channels[0], 1200, 0.2f);
      if (ping == 12) resize(record.channels[0], 1200, 0.3f);
      if (ping == 120) resize(record.channels[0], 5000, 0.4f);  // beyond the pass
      if (ping == 3) resize(record.channels[1], 500, 0.5f);
      if (ping == 5) {
        resize(record.channels[1], 300, 0.6f);
        record.channels[1].sampleCount = 0;
      }
      writer.writePing(record);
    }
    ASSERT_TRUE(writer.close());
  }
  chooseSonarFile(file);
  EXPECT_EQ(context().channelSamples[0], 1200u);
  EXPECT_FLOAT_EQ(context().channelDuration[0], 0.2f);
  EXPECT_EQ(context().channelSamples[1], 300u) << "a count of 0 sets the entry's count, even below an earlier one";
  EXPECT_EQ(text(IDC_SONAR_PING_COUNT), " 150 (sonar/subbottom) ");
}

TEST_F(ChannelSurvey, AFileWithoutSonarPingsIsRefused) {
  start();
  const std::string file = path("navigation.vsk");
  {
    vsk::Writer writer(file, survey_files::twoPairsAndSubbottom(10));
    for (int i = 0; i < 5; ++i) writer.writeOtherRecord(survey_files::NAVIGATION_RECORD, {1, 2, 3, 4});
    ASSERT_TRUE(writer.close());
  }
  chooseSonarFile(file);
  ASSERT_EQ(boxes().size(), 1u);
  EXPECT_EQ(boxes()[0].text, "Error reading [" + file + "] data.");
  EXPECT_EQ(boxes()[0].caption, "ERROR");
  EXPECT_EQ(boxes()[0].type & MB_ICONMASK, MB_ICONERROR);
  EXPECT_EQ(text(IDC_SONAR_PING_COUNT), "");
  EXPECT_EQ(text(IDC_CHANNEL_LIST), "");
  EXPECT_EQ(beepCount(), 0u) << "no count followed";
  EXPECT_EQ(context().sonarFileChecked, 0);
}

TEST_F(ChannelSurvey, AFileWithoutAHeaderIsRefused) {
  start();
  const std::string file = path("text.vsk");
  std::ofstream(file) << "this is not a survey";
  chooseSonarFile(file);
  ASSERT_EQ(boxes().size(), 1u);
  EXPECT_EQ(boxes()[0].text, "Error reading [" + file + "] header.");
  EXPECT_EQ(text(IDC_SONAR_FILE_NAME), file);
}

}  // namespace
