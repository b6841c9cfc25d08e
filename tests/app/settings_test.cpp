// What the program keeps between runs in its settings file.
#include "program_test.h"
#include "survey_files.h"

#include "app/settings_file.h"
#include "platform/window.h"
#include "res/resource_ids.h"

#include <fstream>

namespace {

using Settings = ProgramTest;

RECT windowRect(HWND window) {
  RECT rect{};
  GetWindowRect(window, &rect);
  return rect;
}

TEST_F(Settings, AreSavedAtQuitInOrderAndRestoredAtTheNextStart) {
  start();
  const std::string survey = writeSurvey("line 7 [a=b];.vsk", survey_files::twoPairsAndSubbottom(10), 3);
  chooseSonarFile(survey);
  click(IDC_VERBOSE);
  click(IDC_BIG_ENDIAN);
  click(IDC_SENSOR);
  SetWindowPos(window, nullptr, 120, 80, 0, 0, SWP_NOZORDER | SWP_NOSIZE);  // the user moved it
  quit();

  EXPECT_EQ(settingsText(),
            "[VESKCONV]\n"
            "Window Coordinates - top=80\n"
            "Window Coordinates - left=120\n"
            "Last VSK File Name=" +
                survey +
                "\n"
                "Enable Processing Information=0\n"
                "MOTOROLA Memory Model=1\n"
                "Use Ship Coordinates=0\n");

  start();
  EXPECT_EQ(windowRect(window).left, 120);
  EXPECT_EQ(windowRect(window).top, 80);
  EXPECT_FALSE(ui.menuItemChecked(window, IDM_PROCESSING_INFO));
  EXPECT_FALSE(checked(IDC_VERBOSE));
  EXPECT_EQ(text(IDC_PING_NUMBER), "ND");
  EXPECT_EQ(text(IDC_SENSOR_POSITION_2), "ND");
  EXPECT_TRUE(checked(IDC_BIG_ENDIAN));
  EXPECT_TRUE(checked(IDC_SENSOR));
  EXPECT_EQ(text(IDC_SONAR_FILE_NAME), "") << "the saved file is not opened";
  cancelSonarFile();
  ASSERT_FALSE(ui.fileRequests().empty());
  EXPECT_EQ(ui.fileRequests().back().initialName, survey);
}

TEST_F(Settings, AnyNonzeroFlagReadsAsOnAndIsWrittenBackAsOne) {
  writeSettings("[VESKCONV]\nEnable Processing Information=2\nMOTOROLA Memory Model=2\nUse Ship Coordinates=7\n");
  start();
  EXPECT_TRUE(checked(IDC_VERBOSE));
  EXPECT_TRUE(checked(IDC_BIG_ENDIAN));
  EXPECT_TRUE(checked(IDC_SHIP));
  quit();
  const std::string saved = settingsText();
  EXPECT_NE(saved.find("Enable Processing Information=1\n"), std::string::npos) << saved;
  EXPECT_NE(saved.find("MOTOROLA Memory Model=1\n"), std::string::npos) << saved;
  EXPECT_NE(saved.find("Use Ship Coordinates=1\n"), std::string::npos) << saved;
}

TEST_F(Settings, APositionWithAZeroCoordinateIsNotRestored) {
  writeSettings("[VESKCONV]\nWindow Coordinates - top=0\nWindow Coordinates - left=300\n");
  start();
  EXPECT_EQ(windowRect(window).left, 0);
  EXPECT_EQ(windowRect(window).top, 0);
}

TEST_F(Settings, AFileNameWithALineBreakIsSavedEmptyAndInjectsNothing) {
  writeSettings("[VESKCONV]\nLast VSK File Name=/old/stale.vsk\n");
  start();
  const std::string hostile = path("x\n[Evil]\nkey=1.vsk");
  std::ofstream(hostile) << "not a survey";
  chooseSonarFile(hostile);
  ui.clearRecords();
  quit();
  const std::string saved = settingsText();
  EXPECT_NE(saved.find("Last VSK File Name=\n"), std::string::npos) << saved;
  EXPECT_EQ(saved.find("stale"), std::string::npos) << saved;
  EXPECT_EQ(saved.find("[Evil]"), std::string::npos) << saved;
  EXPECT_NE(saved.find("Use Ship Coordinates=1"), std::string::npos) << "the keys after it are still written";
}

}  // namespace
