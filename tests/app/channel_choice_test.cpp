// The channel choice and the options: which boxes the accepted survey
// enables, and the marks the program sets (a click never sets one itself).
#include "program_test.h"
#include "survey_files.h"

#include "core/converter_context.h"
#include "res/resource_ids.h"

#include <fstream>

namespace {

using survey_files::channel;
using survey_files::PORT;
using survey_files::STARBOARD;
using survey_files::SUBBOTTOM;

using ChannelChoice = ProgramTest;

constexpr int SINGLE_BOXES[] = {IDC_CHANNEL_1, IDC_CHANNEL_2, IDC_CHANNEL_3, IDC_CHANNEL_4,
                                IDC_CHANNEL_5, IDC_CHANNEL_6, IDC_CHANNEL_7, IDC_CHANNEL_8};
constexpr int ALL_BOXES[] = {IDC_PAIR_1,    IDC_PAIR_2,    IDC_PAIR_3,    IDC_PAIR_4,    IDC_SUBBOTTOM,
                             IDC_CHANNEL_1, IDC_CHANNEL_2, IDC_CHANNEL_3, IDC_CHANNEL_4, IDC_CHANNEL_5,
                             IDC_CHANNEL_6, IDC_CHANNEL_7, IDC_CHANNEL_8};

vsk::FileSpec tableOf(std::vector<vsk::ChannelSpec> channels) {
  vsk::FileSpec spec;
  spec.sonarChannels = std::move(channels);
  return spec;
}

int markedBoxes(const HeadlessFrontEnd& ui, HWND window) {
  int marked = 0;
  for (int box : ALL_BOXES) marked += ui.controlChecked(window, box) == BST_CHECKED ? 1 : 0;
  return marked;
}

TEST_F(ChannelChoice, TheAcceptedSurveyEnablesTheSetsItHolds) {
  start();
  EXPECT_FALSE(enabled(IDC_REVERSE_SAMPLES));
  chooseSonarFile(writeSurvey("line.vsk", survey_files::twoPairsAndSubbottom(10), 3));
  EXPECT_TRUE(enabled(IDC_PAIR_1));
  EXPECT_TRUE(enabled(IDC_PAIR_2));
  EXPECT_FALSE(enabled(IDC_PAIR_3));
  EXPECT_FALSE(enabled(IDC_PAIR_4));
  EXPECT_TRUE(enabled(IDC_SUBBOTTOM));
  for (int k = 0; k < 8; ++k) EXPECT_EQ(enabled(SINGLE_BOXES[k]), k < 5) << "ch" << k + 1;
  EXPECT_TRUE(enabled(IDC_REVERSE_SAMPLES));
  EXPECT_EQ(text(IDC_STATUS), " Ready");
}

TEST_F(ChannelChoice, APairNeedsPortThenStarboard) {
  start();
  chooseSonarFile(writeSurvey("swapped.vsk",
                              tableOf({channel(STARBOARD, 0, 100, 10), channel(PORT, 1, 100, 10),
                                       channel(PORT, 2, 400, 10), channel(STARBOARD, 3, 400, 10)}),
                              2));
  EXPECT_FALSE(enabled(IDC_PAIR_1));
  EXPECT_TRUE(enabled(IDC_PAIR_2));
  EXPECT_FALSE(enabled(IDC_SUBBOTTOM));
}

TEST_F(ChannelChoice, AClickOnTheChosenBoxKeepsItChosen) {
  start();
  chooseSonarFile(writeSurvey("line.vsk", survey_files::twoPairsAndSubbottom(10), 3));
  click(IDC_PAIR_2);
  click(IDC_PAIR_2);
  EXPECT_TRUE(checked(IDC_PAIR_2));
  EXPECT_EQ(markedBoxes(ui, window), 1);
  click(IDC_CHANNEL_3);
  EXPECT_TRUE(checked(IDC_CHANNEL_3));
  EXPECT_EQ(markedBoxes(ui, window), 1);
  EXPECT_EQ(context().channelSelection, 7);
}

TEST_F(ChannelChoice, ReverseSamplesOrderHoldsOnlyForASingleChannel) {
  start();
  chooseSonarFile(writeSurvey("line.vsk", survey_files::twoPairsAndSubbottom(10), 3));
  ui.clearRecords();
  click(IDC_REVERSE_SAMPLES);  // nothing chosen: undone, with a beep
  EXPECT_FALSE(checked(IDC_REVERSE_SAMPLES));
  EXPECT_EQ(beepCount(), 1u);
  click(IDC_PAIR_1);
  click(IDC_REVERSE_SAMPLES);
  EXPECT_FALSE(checked(IDC_REVERSE_SAMPLES));
  EXPECT_EQ(context().reverseSamples, 0);
  click(IDC_CHANNEL_2);
  click(IDC_REVERSE_SAMPLES);
  EXPECT_TRUE(checked(IDC_REVERSE_SAMPLES));
  click(IDC_CHANNEL_4);
  EXPECT_TRUE(checked(IDC_REVERSE_SAMPLES)) << "another single channel keeps it";
  click(IDC_SUBBOTTOM);
  EXPECT_FALSE(checked(IDC_REVERSE_SAMPLES));
  EXPECT_EQ(context().reverseSamples, 0);
  EXPECT_EQ(beepCount(), 1u);
}

TEST_F(ChannelChoice, ASetTheNextSurveyLacksIsDroppedButASingleChannelStays) {
  start();
  chooseSonarFile(writeSurvey("full.vsk", survey_files::twoPairsAndSubbottom(10), 3));
  const std::string small =
      writeSurvey("small.vsk", tableOf({channel(PORT, 0, 100, 10), channel(STARBOARD, 1, 100, 10)}), 2);
  click(IDC_PAIR_2);
  ui.clearRecords();
  chooseSonarFile(small);
  EXPECT_EQ(context().channelSelection, SELECTION_NONE);
  EXPECT_EQ(markedBoxes(ui, window), 0);
  EXPECT_FALSE(enabled(IDC_PAIR_2));
  EXPECT_EQ(beepCount(), 2u) << "the scan's end, then the drop to none";

  chooseSonarFile(writeSurvey("full2.vsk", survey_files::twoPairsAndSubbottom(10), 3));
  click(IDC_CHANNEL_5);
  chooseSonarFile(small);
  EXPECT_EQ(context().channelSelection, 9);
  EXPECT_TRUE(checked(IDC_CHANNEL_5));
  EXPECT_FALSE(enabled(IDC_CHANNEL_5));
}

TEST_F(ChannelChoice, TheBoxesStayAsTheLastAcceptedSurveyLeftThem) {
  start();
  chooseSonarFile(writeSurvey("full.vsk", survey_files::twoPairsAndSubbottom(10), 3));
  const std::string broken = path("broken.vsk");
  std::ofstream(broken) << "no survey at all";
  chooseSonarFile(broken);
  EXPECT_TRUE(enabled(IDC_PAIR_1));
  EXPECT_TRUE(enabled(IDC_SUBBOTTOM));
}

TEST_F(ChannelChoice, TheByteOrderButtonsFlipTheOrderWhicheverIsClicked) {
  start();
  click(IDC_LITTLE_ENDIAN);
  EXPECT_TRUE(checked(IDC_BIG_ENDIAN));
  EXPECT_FALSE(checked(IDC_LITTLE_ENDIAN));
  click(IDC_BIG_ENDIAN);
  EXPECT_TRUE(checked(IDC_LITTLE_ENDIAN));
  EXPECT_EQ(context().bigEndian, 0u);
}

TEST_F(ChannelChoice, TheCoordinateButtonsChooseTheirSource) {
  start();
  click(IDC_SENSOR);
  EXPECT_TRUE(checked(IDC_SENSOR));
  EXPECT_FALSE(checked(IDC_SHIP));
  EXPECT_EQ(context().useShipCoordinates, 0u);
  click(IDC_SHIP);
  EXPECT_TRUE(checked(IDC_SHIP));
  EXPECT_EQ(context().useShipCoordinates, 1u);
}

TEST_F(ChannelChoice, ProcessingInformationOffShowsNdAndOnEmptiesTheFields) {
  start();
  clickMenu(IDM_PROCESSING_INFO);
  EXPECT_FALSE(ui.menuItemChecked(window, IDM_PROCESSING_INFO));
  EXPECT_FALSE(checked(IDC_VERBOSE));
  for (int field :
       {IDC_PING_NUMBER, IDC_SHIP_POSITION_1, IDC_SHIP_POSITION_2, IDC_SENSOR_POSITION_1, IDC_SENSOR_POSITION_2}) {
    EXPECT_EQ(text(field), "ND") << field;
  }
  click(IDC_VERBOSE);
  EXPECT_TRUE(ui.menuItemChecked(window, IDM_PROCESSING_INFO));
  EXPECT_TRUE(checked(IDC_VERBOSE));
  EXPECT_EQ(text(IDC_SHIP_POSITION_1), "");
}

}  // namespace
