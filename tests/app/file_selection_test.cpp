// Choosing the VSK and SEG-Y files through the dialogs.
#include "program_test.h"
#include "survey_files.h"

#include "app/program.h"
#include "app/program_state.h"
#include "app/ui_texts.h"
#include "core/converter_context.h"
#include "platform/dialogs.h"
#include "platform/file_drops.h"
#include "platform/files.h"
#include "platform/program_entry.h"
#include "res/resource_ids.h"

#include <fcntl.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace {

using FileSelection = ProgramTest;

constexpr DWORD OPEN_DIALOG_FLAGS = 0x81804;
constexpr DWORD SAVE_DIALOG_FLAGS = 0x80806;

TEST_F(FileSelection, TheDialogsAskForTheRightKindOfFile) {
  start();
  cancelSonarFile();
  ui.cancelFileDialog();
  click(IDC_BROWSE_SEGY);
  const auto requests = ui.fileRequests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_FALSE(requests[0].save);
  EXPECT_EQ(requests[0].title, "Select VSK file");
  EXPECT_EQ(requests[0].defaultExtension, "VSK");
  EXPECT_EQ(requests[0].flags, OPEN_DIALOG_FLAGS);
  ASSERT_EQ(requests[0].filters.size(), 1u);
  EXPECT_EQ(requests[0].filters[0].first, "Vesk Sonar Format (*.VSK)");
  EXPECT_EQ(requests[0].filters[0].second, "*.VSK");
  EXPECT_TRUE(requests[1].save);
  EXPECT_EQ(requests[1].title, "Select SEGY file");
  EXPECT_EQ(requests[1].defaultExtension, "SEG");
  EXPECT_EQ(requests[1].flags, SAVE_DIALOG_FLAGS);
  ASSERT_EQ(requests[1].filters.size(), 1u);
  EXPECT_EQ(requests[1].filters[0].first, "SEGY Files (*.SEG)");
  EXPECT_EQ(requests[1].filters[0].second, "*.SEG");
}

TEST_F(FileSelection, TheMenuItemsSelectLikeTheButtons) {
  start();
  ui.cancelFileDialog();
  clickMenu(IDM_SELECT_SONAR_FILE);
  ui.cancelFileDialog();
  clickMenu(IDM_SELECT_SEGY_FILE);
  const auto requests = ui.fileRequests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_FALSE(requests[0].save);
  EXPECT_TRUE(requests[1].save);
}

TEST_F(FileSelection, AnAcceptedSurveyShowsItsNameAndOffersTheSegyNameBesideIt) {
  start();
  const std::string survey = writeSurvey("line7.vsk", survey_files::twoPairsAndSubbottom(10), 3);
  ui.cancelFileDialog();
  click(IDC_BROWSE_SEGY);
  EXPECT_EQ(ui.fileRequests().back().initialName, "") << "no name before a survey is accepted";
  chooseSonarFile(survey);
  EXPECT_EQ(text(IDC_SONAR_FILE_NAME), survey);
  EXPECT_EQ(text(IDC_SONAR_PING_COUNT), " 3 (sonar/subbottom) ");
  ui.cancelFileDialog();
  click(IDC_BROWSE_SEGY);
  EXPECT_EQ(ui.fileRequests().back().initialName, path("line7.SEG"));
  EXPECT_EQ(text(IDC_SEGY_FILE_NAME), "") << "a cancel leaves no SEG-Y file";
}

TEST_F(FileSelection, CancellingTheVskDialogDropsTheCurrentSurvey) {
  start();
  chooseSonarFile(writeSurvey("line.vsk", survey_files::twoPairsAndSubbottom(10), 3));
  chooseSegyFile(path("line.SEG"));
  click(IDC_PAIR_1);
  cancelSonarFile();
  EXPECT_EQ(text(IDC_SONAR_FILE_NAME), "");
  EXPECT_EQ(text(IDC_CHANNEL_LIST), "");
  EXPECT_EQ(text(IDC_SONAR_PING_COUNT), "");
  EXPECT_EQ(context().sonarFileOpen, 0);
  ui.clearRecords();
  click(IDC_PROCESS);
  ASSERT_EQ(boxes().size(), 1u);
  EXPECT_EQ(boxes()[0].text, FILES_MISSING);
}

TEST_F(FileSelection, ChoosingAnExistingSegyFileEmptiesItAtOnce) {
  start();
  const std::string segy = path("old.SEG");
  std::ofstream(segy) << "an earlier conversion";
  chooseSegyFile(segy);
  EXPECT_EQ(ui.overwritePrompts().size(), 1u);
  EXPECT_EQ(fileSize(segy), 0u);
  EXPECT_EQ(text(IDC_SEGY_FILE_NAME), segy);
  EXPECT_EQ(context().segyFileReady, 1);
  EXPECT_EQ(text(IDC_STATUS), " Ready");
}

TEST_F(FileSelection, TheOpenSurveyCannotBeChosenAsTheOutput) {
  start();
  const std::string survey = writeSurvey("line.vsk", survey_files::twoPairsAndSubbottom(10), 3);
  const std::uintmax_t surveyBytes = fileSize(survey);
  chooseSonarFile(survey);
  const std::string channels = text(IDC_CHANNEL_LIST);
  chooseSegyFile(survey);
  ASSERT_EQ(boxes().size(), 1u);
  EXPECT_EQ(boxes()[0].caption, "ERROR");
  EXPECT_EQ(boxes()[0].type & MB_ICONMASK, MB_ICONERROR);
  EXPECT_EQ(boxes()[0].text, "Error opening file [" + survey + "].\nCheck for WRITE PROTECT or IN USE state.");
  EXPECT_EQ(fileSize(survey), surveyBytes);
  EXPECT_EQ(context().segyFileReady, 0);
  EXPECT_EQ(text(IDC_SEGY_FILE_NAME), survey) << "the name stays shown";
  EXPECT_EQ(text(IDC_CHANNEL_LIST), channels);
  EXPECT_EQ(context().sonarFileChecked, 1);
}

TEST_F(FileSelection, ASurveyHeldOpenElsewhereCannotBeOpened) {
  start();
  const std::string survey = writeSurvey("line.vsk", survey_files::twoPairsAndSubbottom(10), 3);
  HANDLE elsewhere =
      CreateFileA(survey.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(elsewhere, INVALID_HANDLE_VALUE);
  chooseSonarFile(survey);
  CloseHandle(elsewhere);
  ASSERT_EQ(boxes().size(), 1u);
  EXPECT_EQ(boxes()[0].text, "Error opening file [" + survey + "].\nCheck for IN USE state.");
  EXPECT_EQ(text(IDC_SONAR_FILE_NAME), survey);
  EXPECT_EQ(context().sonarFileOpen, 0);
  EXPECT_EQ(text(IDC_SONAR_PING_COUNT), "") << "nothing further ran";
}

// Other programs: a recorder still writing the survey, a viewer reading the
// output. Neither file is touched, and the window stays usable.
TEST_F(FileSelection, FilesOtherProgramsHoldAreInUse) {
  start();
  const std::string survey = writeSurvey("line.vsk", survey_files::twoPairsAndSubbottom(10), 3);
  const int recorder = ::open(survey.c_str(), O_WRONLY | O_APPEND);
  ASSERT_GE(recorder, 0);
  chooseSonarFile(survey);
  ::close(recorder);
  ASSERT_EQ(boxes().size(), 1u);
  EXPECT_EQ(boxes()[0].text, "Error opening file [" + survey + "].\nCheck for IN USE state.");
  EXPECT_EQ(context().sonarFileOpen, 0);

  const std::string output = path("line.SEG");
  std::ofstream(output) << "an earlier conversion";
  const int viewer = ::open(output.c_str(), O_RDONLY);
  ui.clearRecords();
  chooseSegyFile(output);
  ::close(viewer);
  ASSERT_EQ(boxes().size(), 1u);
  EXPECT_EQ(boxes()[0].text, "Error opening file [" + output + "].\nCheck for WRITE PROTECT or IN USE state.");
  EXPECT_EQ(fileSize(output), 21u);
  EXPECT_EQ(context().segyFileReady, 0);
}

// While the Scanner thread reads the survey no new file can be chosen.
TEST_F(FileSelection, IsGreyedWhileTheScanRunsAndComesBackAfterIt) {
  start();
  const std::string survey = writeSurvey("line.vsk", survey_files::twoPairsAndSubbottom(500), 400);
  int checks = 0;
  ui.setChangeObserver([&](HWND changedWindow, int controlId) {
    if (controlId != IDC_PROGRESS || ui.progressPosition(changedWindow, IDC_PROGRESS) == 0) return;
    ++checks;
    EXPECT_FALSE(ui.controlEnabled(changedWindow, IDC_BROWSE_SONAR));
    EXPECT_FALSE(ui.controlEnabled(changedWindow, IDC_BROWSE_SEGY));
    EXPECT_TRUE(ui.menuItemGrayed(changedWindow, IDM_SELECT_SONAR_FILE));
    EXPECT_TRUE(ui.menuItemGrayed(changedWindow, IDM_SELECT_SEGY_FILE));
    EXPECT_FALSE(ui.clickMenu(changedWindow, IDM_SELECT_SONAR_FILE));
  });
  chooseSonarFile(survey);
  EXPECT_GT(checks, 0);
  EXPECT_EQ(text(IDC_SONAR_PING_COUNT), " 400 (sonar/subbottom) ");
  EXPECT_TRUE(enabled(IDC_BROWSE_SONAR));
  EXPECT_TRUE(enabled(IDC_BROWSE_SEGY));
  EXPECT_FALSE(ui.menuItemGrayed(window, IDM_SELECT_SONAR_FILE));
  EXPECT_FALSE(ui.menuItemGrayed(window, IDM_SELECT_SEGY_FILE));
}

TEST_F(FileSelection, ARefusedProcessDuringTheScanLeavesTheSelectionGreyed) {
  start();
  const std::string survey = writeSurvey("line.vsk", survey_files::twoPairsAndSubbottom(2000), 1000);
  {
    // The Scanner held in a read: the count is under way.
    WorkerGate gate(programState().scannerThreadId, WorkerGate::At::Read);
    ui.answerFileDialog(survey);
    ui.click(window, IDC_BROWSE_SONAR);
    ASSERT_TRUE(pumpUntilHeld(gate));
    ui.click(window, IDC_PROCESS);
    pump();
    // The refusal re-enables PROCESS; the scan still holds the files.
    EXPECT_TRUE(enabled(IDC_PROCESS));
    EXPECT_FALSE(enabled(IDC_BROWSE_SONAR));
    EXPECT_TRUE(ui.menuItemGrayed(window, IDM_SELECT_SONAR_FILE));
    EXPECT_EQ(context().sonarFileChecked, 0);
  }
  settle();
  EXPECT_TRUE(enabled(IDC_BROWSE_SONAR)) << "back once the scan has reported";
  EXPECT_EQ(context().sonarFileChecked, 1);
}

// A name from the command line or a drop goes the way of one the dialog returned.
TEST_F(FileSelection, AGivenOrDroppedSurveyIsTakenAsBrowseWouldTakeIt) {
  start();
  const std::string survey = writeSurvey("line7.vsk", survey_files::twoPairsAndSubbottom(10), 3);
  const std::string other = writeSurvey("line8.vsk", survey_files::twoPairsAndSubbottom(10), 2);
  giveSonarFileName(window, survey.c_str());
  settle();
  EXPECT_EQ(text(IDC_SONAR_FILE_NAME), survey);
  EXPECT_EQ(text(IDC_SONAR_PING_COUNT), " 3 (sonar/subbottom) ");
  EXPECT_TRUE(ui.fileRequests().empty()) << "no dialog for a given name";

  ASSERT_TRUE(dropFiles(window, {other}));
  settle();
  EXPECT_EQ(text(IDC_SONAR_PING_COUNT), " 2 (sonar/subbottom) ");
  const std::size_t beeps = beepCount();
  ASSERT_TRUE(dropFiles(window, {survey, other}));
  settle();
  EXPECT_EQ(beepCount(), beeps + 1) << "two files at once: refused";
  EXPECT_EQ(text(IDC_SONAR_FILE_NAME), other);

  // A file that is no survey: the same box as through the dialog.
  const std::string notSurvey = path("notes.vsk");
  std::ofstream(notSurvey) << "not a survey";
  chooseSonarFile(notSurvey);
  ASSERT_EQ(boxes().size(), 1u);
  ASSERT_TRUE(dropFiles(window, {notSurvey}));
  settle();
  ASSERT_EQ(boxes().size(), 2u);
  EXPECT_EQ(boxes()[1].text, boxes()[0].text);
  const std::string missing = path("gone.vsk");
  ASSERT_TRUE(dropFiles(window, {missing}));
  settle();
  EXPECT_EQ(boxes().back().text, "Error opening file [" + missing + "].\nCheck for IN USE state.");

  const std::string big = writeSurvey("big.vsk", survey_files::twoPairsAndSubbottom(2000), 1000);
  {
    // While the count holds the files a drop is not taken, as BROWSE is greyed.
    WorkerGate gate(programState().scannerThreadId, WorkerGate::At::Read);
    ASSERT_TRUE(dropFiles(window, {big}));
    ASSERT_TRUE(pumpUntilHeld(gate));
    EXPECT_FALSE(dropFiles(window, {survey}));
    // One already on its way when the count began is refused with the beep.
    DragAcceptFiles(window, TRUE);
    const std::size_t before = beepCount();
    ASSERT_TRUE(dropFiles(window, {survey}));
    pump();
    EXPECT_EQ(beepCount(), before + 1);
    EXPECT_EQ(text(IDC_SONAR_FILE_NAME), big);
  }
  settle();
  EXPECT_EQ(text(IDC_SONAR_PING_COUNT), " 1000 (sonar/subbottom) ");
  EXPECT_TRUE(dropFiles(window, {survey})) << "taken again once the count has reported";
}

// What the window program makes of its arguments once the front end has taken its own.
TEST(WindowCommandLine, OneFileAtMostAndNoOptionOfItsOwn) {
  int survey = -1;
  const char* none[] = {"veskconv"};
  EXPECT_EQ(findSurveyArgument(1, none, &survey), -1);
  EXPECT_EQ(survey, 0);
  const char* one[] = {"veskconv", "--", "-line.vsk"};
  EXPECT_EQ(findSurveyArgument(3, one, &survey), -1);
  EXPECT_EQ(survey, 2);
  testing::internal::CaptureStderr();
  const char* unknown[] = {"veskconv", "--frobnicate", "line.vsk"};
  EXPECT_EQ(findSurveyArgument(3, unknown, &survey), 2);
  const char* two[] = {"veskconv", "a.vsk", "b.vsk"};
  EXPECT_EQ(findSurveyArgument(3, two, &survey), 2);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "veskconv: unknown option '--frobnicate'\nTry 'veskconv --help' for more information.\n"
            "veskconv: one FILE at most, 'b.vsk' is a second\nTry 'veskconv --help' for more information.\n");
}

}  // namespace
