// The ping count scan on the Scanner thread: the count, the progress bar and
// the verdict on the file.
#include "program_test.h"
#include "survey_files.h"

#include "app/ui_texts.h"
#include "core/converter_context.h"
#include "res/resource_ids.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>

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

// The survey's sample count pass reads up to 101 pings; a flaw it met must
// be met again by the scan, whatever the survey's size and whatever file the
// reader read before.
TEST_F(PingCount, ASmallSurveyWithAFlawAtItsEndIsRefusedLikeALargeOne) {
  start();
  const std::string good = writeSurvey("good.vsk", survey_files::twoPairsAndSubbottom(3000), 150);
  for (int pings : {3, 60, 100, 101, 150}) {
    for (const char* flaw : {"stray bytes", "last ping cut short"}) {
      SCOPED_TRACE(std::to_string(pings) + " pings, " + flaw);
      // A survey with big pings first, so the reader's buffers have grown.
      chooseSonarFile(good);
      ASSERT_EQ(context().sonarFileChecked, 1);
      const std::string name = "flawed-" + std::to_string(pings) + ".vsk";
      const std::string file = writeSurvey(name, survey_files::twoPairsAndSubbottom(50), pings);
      if (std::string(flaw) == "stray bytes") {
        std::ofstream(file, std::ios::binary | std::ios::app) << std::string(12, '\x01');
      } else {
        std::filesystem::resize_file(file, fileSize(file) - 1);
      }
      ui.clearRecords();
      chooseSonarFile(file);
      EXPECT_EQ(context().sonarFileChecked, 0);
      ASSERT_EQ(boxes().size(), 1u);
      EXPECT_EQ(boxes()[0].text, "The file [" + file + "] does't match VSK specifications.");
    }
  }
}

TEST_F(PingCount, ASurveyThatGrewWhileCountedConvertsWhatWasCounted) {
  start();
  const vsk::FileSpec spec = survey_files::twoPairsAndSubbottom(50);
  const std::string file = writeSurvey("growing.vsk", spec, 400);
  const std::vector<std::uint8_t> extra = vsk::encodePing(survey_files::pingOf(spec, 400));
  // Records appended once the scan has begun: the count includes them, and
  // the conversion checks the survey against the size the count reached.
  // Windows keeps every other writer out of the open survey, so there it
  // cannot grow at all.
  bool tried = false;
  bool grew = false;
  ui.setChangeObserver([&](HWND, int controlId) {
    if (controlId == IDC_SONAR_PING_COUNT && !tried && text(IDC_SONAR_PING_COUNT) == PING_COUNT_WAIT) {
      std::ofstream out(file, std::ios::binary | std::ios::app);
      for (int i = 0; i < 5; ++i)
        out.write(reinterpret_cast<const char*>(extra.data()), static_cast<std::streamsize>(extra.size()));
      out.close();
      tried = true;
      grew = !out.fail();
    }
  });
  chooseSonarFile(file);
  ui.setChangeObserver(nullptr);
  ASSERT_TRUE(tried);
#ifdef _WIN32
  EXPECT_FALSE(grew);
#else
  EXPECT_TRUE(grew);
#endif
  const unsigned pings = grew ? 405 : 400;
  EXPECT_EQ(text(IDC_SONAR_PING_COUNT), std::string(grew ? " 405" : " 400") + " (sonar/subbottom) ");
  EXPECT_EQ(context().sonarFileSize, fileSize(file));

  chooseSegyFile(path("growing.SEG"));
  click(IDC_PAIR_1);
  ui.clearRecords();
  click(IDC_PROCESS);
  EXPECT_TRUE(boxes().empty()) << (boxes().empty() ? "" : boxes()[0].text);
  EXPECT_EQ(context().tracesWritten, 2u * pings);
}

}  // namespace
