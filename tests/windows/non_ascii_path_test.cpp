// Names are the active code page's bytes, as the program's A functions take
// them: names with letters beyond ASCII work end to end, and a name the code
// page cannot hold is never turned into another (a look-alike or a '?').
#include "program_test.h"
#include "survey_files.h"

#include "platform/code_page_text.h"
#include "res/resource_ids.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>

namespace {

constexpr unsigned UTF8_CODE_PAGE = 65001;
constexpr unsigned WESTERN_CODE_PAGE = 1252;

class NonAsciiPath : public ProgramTest {};

TEST_F(NonAsciiPath, ASurveyInAFolderWithAccentsConvertsBesideItAndIsRemembered) {
  const std::filesystem::path survey = folder / L"\u00dcberfahrt" / L"l\u00ednea 7.vsk";
  const std::optional<std::string> surveyBytes = codepage::fromWide(survey.wstring());
  if (!surveyBytes) GTEST_SKIP() << "code page " << codepage::active() << " cannot hold " << survey.string();
  const std::string segyBytes = *codepage::fromWide((folder / L"\u00dcberfahrt" / L"l\u00ednea 7.SEG").wstring());
  std::filesystem::create_directories(survey.parent_path());
  ASSERT_TRUE(survey_files::writeSurvey(*surveyBytes, survey_files::twoPairsAndSubbottom(10), 5));

  start();
  chooseSonarFile(*surveyBytes);
  EXPECT_EQ(text(IDC_SONAR_FILE_NAME), *surveyBytes);
  EXPECT_EQ(text(IDC_SONAR_PING_COUNT), " 5 (sonar/subbottom) ");
  chooseSegyFile(segyBytes);
  EXPECT_EQ(ui.fileRequests().back().initialName, segyBytes) << "the default name keeps every letter";
  click(IDC_PAIR_1);
  click(IDC_PROCESS);
  EXPECT_TRUE(boxes().empty());
  quit();

  const std::filesystem::path segy = survey.parent_path() / L"l\u00ednea 7.SEG";
  ASSERT_TRUE(std::filesystem::exists(segy));
  EXPECT_GT(std::filesystem::file_size(segy), 3600u);
  EXPECT_NE(settingsText().find("Last VSK File Name=" + *surveyBytes + "\n"), std::string::npos) << settingsText();
  start();
  ui.cancelFileDialog();
  click(IDC_BROWSE_SONAR);
  EXPECT_EQ(ui.fileRequests().back().initialName, *surveyBytes) << "the dialog starts on the name read back";
}

TEST(CodePageNames, ANameTheCodePageCannotHoldIsRefusedNotApproximated) {
  // Best fit would make "Lodz" of it: another file's name.
  const std::wstring polish = L"C:\\survey\\\u0141\u00f3d\u017a.vsk";
  const std::wstring greek = L"C:\\survey\\\u03b3\u03c1\u03b1\u03bc\u03bc\u03ae.vsk";
  if (codepage::active() == UTF8_CODE_PAGE) {
    EXPECT_TRUE(codepage::fromWide(polish).has_value());
    EXPECT_TRUE(codepage::fromWide(greek).has_value());
    return;
  }
  if (codepage::active() == WESTERN_CODE_PAGE) {
    EXPECT_FALSE(codepage::fromWide(polish).has_value());
    EXPECT_FALSE(codepage::fromWide(greek).has_value());
  }
  for (const std::wstring& name : {polish, greek}) {
    const std::optional<std::string> bytes = codepage::fromWide(name);
    if (bytes) {
      EXPECT_EQ(codepage::toWide(*bytes), name) << "code page " << codepage::active();
    }
  }
  EXPECT_EQ(codepage::toWide("C:\\survey\\line7.vsk"), L"C:\\survey\\line7.vsk");
}

}  // namespace
