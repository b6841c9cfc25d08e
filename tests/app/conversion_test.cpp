// PROCESS: whole conversions read back by segyio, refusals, the busy rules
// and the failures a run can end with.
#include "program_test.h"
#include "segy_check.h"
#include "survey_files.h"

#include "app/commands.h"
#include "app/program_state.h"
#include "app/ui_texts.h"
#include "core/converter_context.h"
#include "platform/files.h"
#include "platform/messages.h"
#include "res/resource_ids.h"

#include <algorithm>
#include <atomic>
#include <fstream>

namespace {

using survey_files::channel;
using survey_files::PORT;
using survey_files::STARBOARD;

using Conversion = ProgramTest;

constexpr std::uint32_t SAMPLES = 200;
constexpr int PINGS = 12;

void expectQuietEnd(const HeadlessFrontEnd& ui, HWND window) {
  EXPECT_EQ(ui.controlText(window, IDC_STATUS), " Ready");
  EXPECT_EQ(ui.progressPosition(window, IDC_PROGRESS), 0);
  for (int button : {IDC_BROWSE_SONAR, IDC_BROWSE_SEGY, IDC_PROCESS}) EXPECT_TRUE(ui.controlEnabled(window, button));
  EXPECT_FALSE(ui.menuItemGrayed(window, IDM_SELECT_SONAR_FILE));
  EXPECT_FALSE(ui.menuItemGrayed(window, IDM_SELECT_SEGY_FILE));
}

class WholeConversion : public Conversion {
 protected:
  void convert(const vsk::FileSpec& spec, int box) {
    start();
    segy = path("line.SEG");
    prepare(writeSurvey("line.vsk", spec, PINGS, true), segy, box);
  }
  void process() {
    ui.clearRecords();
    click(IDC_PROCESS);
    EXPECT_TRUE(boxes().empty());
    EXPECT_EQ(beepCount(), 1u);
    expectQuietEnd(ui, window);
    EXPECT_EQ(context().busy, 0);
  }
  std::string segy;
};

TEST_F(WholeConversion, APairGivesThePortTraceReversedThenTheStarboardTrace) {
  convert(survey_files::twoPairsAndSubbottom(SAMPLES), IDC_PAIR_2);
  process();
  EXPECT_EQ(segyioDifferences(segy, expectedSegy(false, SAMPLES, PINGS, {{2, true}, {3, false}})), "");
  EXPECT_EQ(text(IDC_PING_NUMBER), "12");
}

TEST_F(WholeConversion, TheSubbottomInBigEndianOrder) {
  convert(survey_files::twoPairsAndSubbottom(SAMPLES), IDC_SUBBOTTOM);
  click(IDC_BIG_ENDIAN);
  process();
  EXPECT_EQ(segyioDifferences(segy, expectedSegy(true, SAMPLES, PINGS, {{4, false}})), "");
}

TEST_F(WholeConversion, ASingleChannelIsReversedOnlyWhenAsked) {
  convert(survey_files::twoPairsAndSubbottom(SAMPLES), IDC_CHANNEL_1);
  process();
  EXPECT_EQ(segyioDifferences(segy, expectedSegy(false, SAMPLES, PINGS, {{0, false}})), "");
  click(IDC_REVERSE_SAMPLES);
  process();
  EXPECT_EQ(segyioDifferences(segy, expectedSegy(false, SAMPLES, PINGS, {{0, true}})), "");
}

TEST_F(WholeConversion, EightBitSamplesAreScaled) {
  vsk::FileSpec spec;
  spec.sonarChannels = {channel(PORT, 0, 100, SAMPLES, 1), channel(STARBOARD, 1, 100, SAMPLES, 1)};
  convert(spec, IDC_CHANNEL_2);
  process();
  EXPECT_EQ(segyioDifferences(segy, expectedSegy(false, SAMPLES, PINGS, {{1, false}}, true)), "");
}

TEST_F(Conversion, ProcessWithNothingReadyTellsWhatIsMissing) {
  start();
  click(IDC_PROCESS);
  const auto shown = boxes();
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[0].text, "VSK and/or SEG file are missing or unavailable.");
  EXPECT_EQ(shown[1].text, "There is no channels selected for processing.");
  for (const MessageBoxRecord& box : shown) {
    EXPECT_EQ(box.caption, "ERROR");
    EXPECT_EQ(box.type & MB_ICONMASK, MB_ICONERROR);
    EXPECT_EQ(box.owner, window);
  }
  EXPECT_EQ(beepCount(), 1u);
  expectQuietEnd(ui, window);
  EXPECT_EQ(context().busy, 0);
}

TEST_F(Conversion, APairWhosePortChannelIsNotInTheTableIsRefused) {
  start();
  vsk::FileSpec spec;
  spec.sonarChannels = {channel(PORT, 2, 100, SAMPLES), channel(STARBOARD, 3, 100, SAMPLES)};
  const std::string survey = writeSurvey("odd.vsk", spec, 3);
  const std::string segy = path("odd.SEG");
  prepare(survey, segy, IDC_PAIR_2);
  ASSERT_TRUE(enabled(IDC_PAIR_2));
  ui.clearRecords();
  click(IDC_PROCESS);
  ASSERT_EQ(boxes().size(), 1u);
  EXPECT_EQ(boxes()[0].text, "The chosen channel set is not in the file [" + survey + "].");
  EXPECT_EQ(boxes()[0].caption, "ERROR");
  EXPECT_EQ(boxes()[0].type & MB_ICONMASK, MB_ICONERROR);
  EXPECT_EQ(fileSize(segy), 0u);
  EXPECT_EQ(beepCount(), 1u);
  expectQuietEnd(ui, window);
}

TEST_F(Conversion, WhileBusyOnlyVerboseAndTheMenuAct) {
  constexpr std::uint32_t samples = 2000;
  constexpr int pings = 300;
  start();
  const std::string segy = path("line.SEG");
  prepare(writeSurvey("line.vsk", survey_files::twoPairsAndSubbottom(samples), pings), segy, IDC_PAIR_1);
  {
    // The Converter held at its first write: the run is under way.
    WorkerGate gate(programState().converterThreadId, WorkerGate::At::Write);
    ui.click(window, IDC_PROCESS);
    ASSERT_TRUE(pumpUntilHeld(gate));
    for (int button : {IDC_BROWSE_SONAR, IDC_BROWSE_SEGY, IDC_PROCESS}) EXPECT_FALSE(enabled(button));
    EXPECT_TRUE(ui.menuItemGrayed(window, IDM_SELECT_SONAR_FILE));
    EXPECT_TRUE(ui.menuItemGrayed(window, IDM_SELECT_SEGY_FILE));
    EXPECT_TRUE(enabled(IDC_EXIT));
    for (int control : {IDC_PAIR_2, IDC_CHANNEL_3, IDC_SUBBOTTOM, IDC_REVERSE_SAMPLES, IDC_BIG_ENDIAN, IDC_SENSOR}) {
      ui.click(window, control);
    }
    ui.click(window, IDC_VERBOSE);
    pump();
    EXPECT_EQ(context().busy, 1);
  }
  settle();
  EXPECT_EQ(context().channelSelection, 0);
  EXPECT_TRUE(checked(IDC_PAIR_1));
  EXPECT_FALSE(checked(IDC_PAIR_2));
  EXPECT_TRUE(checked(IDC_LITTLE_ENDIAN));
  EXPECT_TRUE(checked(IDC_SHIP));
  EXPECT_EQ(context().showProcessingInfo.load(), 0u);
  EXPECT_FALSE(checked(IDC_VERBOSE));
  EXPECT_FALSE(ui.menuItemChecked(window, IDM_PROCESSING_INFO));
  EXPECT_EQ(fileSize(segy), 3600u + pings * 2u * (240u + 2u * samples));
  click(IDC_SENSOR);
  EXPECT_TRUE(checked(IDC_SENSOR)) << "the options act again once the run is over";
}

TEST_F(Conversion, AFailedWriteIsReportedAndTheSegyFileEmptied) {
  start();
  const std::string segy = path("full disk.SEG");
  prepare(writeSurvey("line.vsk", survey_files::twoPairsAndSubbottom(SAMPLES), PINGS), segy, IDC_PAIR_1);
  // The disk fills up a little after the reel header, however the run groups its writes.
  std::atomic<DWORD> room{REEL_HEADER_BYTES + 100};
  setWriteFaultHook([&room](HANDLE, DWORD bytes) -> DWORD {
    const DWORD written = std::min(bytes, room.load());
    room -= written;
    return written;
  });
  ui.clearRecords();
  click(IDC_PROCESS);
  setWriteFaultHook({});
  ASSERT_EQ(boxes().size(), 1u);
  EXPECT_EQ(boxes()[0].text, "Error writing file [" + segy +
                                 "].\nCheck for DISK FULL or WRITE PROTECT state.\nThe SEG file was emptied.");
  EXPECT_EQ(boxes()[0].caption, "ERROR");
  EXPECT_EQ(boxes()[0].type & MB_ICONMASK, MB_ICONERROR);
  EXPECT_EQ(fileSize(segy), 0u);
  EXPECT_EQ(beepCount(), 1u);
  expectQuietEnd(ui, window);
}

TEST_F(Conversion, ARecordTheReaderRefusesDuringTheRunIsReported) {
  start();
  const std::string survey = writeSurvey("line.vsk", survey_files::twoPairsAndSubbottom(SAMPLES), PINGS);
  const std::string segy = path("line.SEG");
  prepare(survey, segy, IDC_SUBBOTTOM);
  // Spoiled after it was accepted: the run meets a record without its marker.
  std::ofstream(survey, std::ios::binary | std::ios::app) << std::string(20, '\xFF');
  ui.clearRecords();
  click(IDC_PROCESS);
  ASSERT_EQ(boxes().size(), 1u);
  EXPECT_EQ(boxes()[0].text, "Error reading file [" + survey + "] during the conversion.\nThe SEG file was emptied.");
  EXPECT_EQ(fileSize(segy), 0u);
}

// A single channel stays chosen in a greyed box when the next survey lacks
// it: converting it gives no trace, which is a failure, not a success.
TEST_F(Conversion, ARunWithoutATraceIsReportedAndTheSegyFileEmptied) {
  start();
  chooseSonarFile(writeSurvey("full.vsk", survey_files::twoPairsAndSubbottom(SAMPLES), 3));
  click(IDC_CHANNEL_5);
  vsk::FileSpec pairOnly;
  pairOnly.sonarChannels = {channel(PORT, 0, 100, SAMPLES), channel(STARBOARD, 1, 100, SAMPLES)};
  const std::string survey = writeSurvey("pair.vsk", pairOnly, PINGS);
  const std::string segy = path("pair.SEG");
  chooseSonarFile(survey);
  chooseSegyFile(segy);
  ASSERT_EQ(context().channelSelection, 9);
  ui.clearRecords();
  click(IDC_PROCESS);
  ASSERT_EQ(boxes().size(), 1u);
  EXPECT_EQ(boxes()[0].text, "No sonar ping of [" + survey +
                                 "] holds the chosen channels.\nThe SEG file holds no trace; it was emptied.");
  EXPECT_EQ(boxes()[0].caption, "ERROR");
  EXPECT_EQ(boxes()[0].type & MB_ICONMASK, MB_ICONERROR);
  EXPECT_EQ(fileSize(segy), 0u);
  expectQuietEnd(ui, window);

  click(IDC_PAIR_1);
  ui.clearRecords();
  click(IDC_PROCESS);
  EXPECT_TRUE(boxes().empty()) << "the next run converts";
  EXPECT_EQ(context().tracesWritten, 2u * PINGS);
}

// The enabling rules armed by the end of a count may come while a PROCESS
// pressed during that count is under way: they wait for the run's end.
TEST_F(Conversion, TheEnablingRulesNeverChangeTheChoiceOfARun) {
  start();
  prepare(writeSurvey("line.vsk", survey_files::twoPairsAndSubbottom(SAMPLES), PINGS), path("line.SEG"), IDC_PAIR_2);
  context().pairChannel[1] = -1;
  context().channelPresent[3] = 0;  // the rules would now drop pair 2
  context().busy = 1;
  PostMessageA(window, WM_COMMAND, CMD_UPDATE_CHANNEL_SETS, 0);
  settle();
  EXPECT_EQ(context().channelSelection, 1) << "held back while busy";
  EXPECT_TRUE(enabled(IDC_PAIR_2));
  PostMessageA(window, WM_COMMAND, CMD_CONVERSION_DONE, 0);
  settle();
  EXPECT_EQ(context().busy, 0);
  EXPECT_EQ(context().channelSelection, SELECTION_NONE) << "carried out once the run has ended";
  EXPECT_FALSE(enabled(IDC_PAIR_2));
}

}  // namespace
