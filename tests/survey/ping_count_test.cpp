// The ping count scan on the Scanner thread: the count, the progress bar and
// the verdict on the file.
#include "program_test.h"
#include "survey_files.h"

#include "app/ui_texts.h"
#include "core/converter_context.h"
#include "res/resource_ids.h"

#include <algorithm>
#include <fstream>

namespace {

using PingCount = ProgramTest;

TEST_F(PingCount, CountsEverySonarPingOfTheFileOnceAndNothingElse) {
  start();
  const std::string file = writeSurvey("long.vsk", survey_files::twoPairsAndSubbottom(50), 1000, true);
  std::vector<int> positions;
  ui.setChangeObserver([&](HWND changed, int controlId) {
    if (controlId == IDC_PROGRESS) positions.push_back(ui.progressPosition(changed, IDC_PROGRESS));
  });
  chooseSonarFile(file);
  EXPECT_EQ(text(IDC_SONAR_PING_COUNT), " 1000 (sonar/subbottom) ");
  EXPECT_EQ(context().sonarFileChecked, 1);
  EXPECT_EQ(text(IDC_STATUS), " Ready");
  EXPECT_EQ(beepCount(), 1u);
  ASSERT_GE(positions.size(), 2u);
  EXPECT_EQ(positions.back(), 0) << "back to 0 at the end";
  positions.pop_back();
  EXPECT_TRUE(std::is_sorted(positions.begin(), positions.end())) << "the bar only rises during the scan";
  EXPECT_EQ(positions.back(), 100);
  EXPECT_LE(positions.size(), 101u);
  EXPECT_TRUE(enabled(IDC_PAIR_1)) << "the channel sets follow an accepted file";
}

TEST_F(PingCount, AFileTheReaderRefusesHalfwayIsNotAccepted) {
  start();
  const std::string file = writeSurvey("broken.vsk", survey_files::twoPairsAndSubbottom(50), 300);
  std::ofstream(file, std::ios::binary | std::ios::app) << std::string(40, '\x07');
  chooseSonarFile(file);
  ASSERT_EQ(boxes().size(), 1u);
  EXPECT_EQ(boxes()[0].text, "The file [" + file + "] does't match VSK specifications.");
  EXPECT_EQ(boxes()[0].caption, "ERROR");
  EXPECT_EQ(boxes()[0].type & MB_ICONMASK, MB_ICONERROR);
  EXPECT_EQ(text(IDC_SONAR_PING_COUNT), "");
  EXPECT_EQ(text(IDC_CHANNEL_LIST), "");
  EXPECT_EQ(ui.progressPosition(window, IDC_PROGRESS), 0);
  EXPECT_EQ(text(IDC_STATUS), " Ready");
  EXPECT_EQ(beepCount(), 1u);
  EXPECT_TRUE(enabled(IDC_BROWSE_SONAR)) << "another file can be chosen";
  EXPECT_FALSE(enabled(IDC_PAIR_1));

  chooseSegyFile(path("broken.SEG"));
  ui.clearRecords();
  click(IDC_PROCESS);
  ASSERT_FALSE(boxes().empty());
  EXPECT_EQ(boxes()[0].text, FILES_MISSING);
}

}  // namespace
