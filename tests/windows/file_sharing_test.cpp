// Share mode 0 as kernel32 means it: another opener, in this process or in
// another, gets a sharing violation, and the window says "IN USE".
#include "other_process.h"
#include "program_test.h"
#include "survey_files.h"

#include "app/ui_texts.h"
#include "core/converter_context.h"
#include "platform/files.h"
#include "res/resource_ids.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

namespace {

constexpr unsigned READ_ACCESS = GENERIC_READ;
constexpr unsigned SHARE_READ = 0x1;   // FILE_SHARE_READ
constexpr unsigned SHARE_WRITE = 0x2;  // FILE_SHARE_WRITE

std::string contents(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

HANDLE openSurvey(const std::string& path) {
  return CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

HANDLE createSegy(const std::string& path) {
  return CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
}

class FileSharing : public ProgramTest {};

TEST_F(FileSharing, ASecondOpenerInThisProcessGetsASharingViolationAndTruncatesNothing) {
  const std::string survey = writeSurvey("line7.vsk", survey_files::twoPairsAndSubbottom(10), 3);
  const std::string bytes = contents(survey);
  HANDLE first = openSurvey(survey);
  ASSERT_NE(first, INVALID_HANDLE_VALUE);
  EXPECT_EQ(openSurvey(survey), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
  EXPECT_EQ(createSegy(survey), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
  EXPECT_EQ(contents(survey), "") << "not even a reader of another kind gets in";
  CloseHandle(first);
  EXPECT_EQ(contents(survey), bytes);
  HANDLE again = openSurvey(survey);
  EXPECT_NE(again, INVALID_HANDLE_VALUE) << "closing lets the file go";
  CloseHandle(again);
}

TEST_F(FileSharing, ASurveyAnotherProgramReadsGetsTheInUseBoxUntilItLetsGo) {
  start();
  const std::string survey = writeSurvey("line7.vsk", survey_files::twoPairsAndSubbottom(10), 3);
  {
    const FileHeldElsewhere viewer(survey, READ_ACCESS, SHARE_READ | SHARE_WRITE);
    ASSERT_TRUE(viewer.held());
    chooseSonarFile(survey);
    ASSERT_EQ(boxes().size(), 1u);
    EXPECT_EQ(boxes()[0].caption, ERROR_CAPTION);
    EXPECT_EQ(boxes()[0].type & MB_ICONMASK, MB_ICONERROR);
    EXPECT_EQ(boxes()[0].text, "Error opening file [" + survey + "].\nCheck for IN USE state.");
    EXPECT_EQ(text(IDC_SONAR_PING_COUNT), "");
  }
  ui.clearRecords();
  chooseSonarFile(survey);
  EXPECT_TRUE(boxes().empty());
  EXPECT_EQ(text(IDC_SONAR_PING_COUNT), " 3 (sonar/subbottom) ");
}

TEST_F(FileSharing, ASegyFileAnotherProgramHoldsIsNeitherReplacedNorEmptied) {
  start();
  const std::string segy = path("line7.SEG");
  std::ofstream(segy, std::ios::binary) << "an earlier conversion someone is looking at";
  const std::string before = contents(segy);
  {
    const FileHeldElsewhere viewer(segy, READ_ACCESS, SHARE_READ | SHARE_WRITE);
    ASSERT_TRUE(viewer.held());
    chooseSegyFile(segy);
    ASSERT_EQ(boxes().size(), 1u);
    EXPECT_EQ(boxes()[0].text, "Error opening file [" + segy + "].\nCheck for WRITE PROTECT or IN USE state.");
    EXPECT_EQ(context().segyFileReady, 0);
    EXPECT_EQ(contents(segy), before);
  }
  ui.clearRecords();
  chooseSegyFile(segy);
  EXPECT_TRUE(boxes().empty());
  EXPECT_EQ(context().segyFileReady, 1);
  EXPECT_EQ(fileSize(segy), 0u) << "once let go it is replaced as usual";
}

TEST_F(FileSharing, TheOpenSurveyIsRefusedToAnotherProcess) {
  start();
  const std::string survey = writeSurvey("line7.vsk", survey_files::twoPairsAndSubbottom(10), 3);
  chooseSonarFile(survey);
  ASSERT_EQ(context().sonarFileChecked, 1);
  const FileHeldElsewhere reader(survey, READ_ACCESS, SHARE_READ | SHARE_WRITE);
  EXPECT_FALSE(reader.held()) << "the program opened it with share mode 0";
}

}  // namespace
