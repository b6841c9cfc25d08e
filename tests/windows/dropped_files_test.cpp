// A survey dropped onto the real window (WM_DROPFILES, as the shell sends it)
// is taken as BROWSE would take it; while the ping count holds the files the
// window takes no drop at all.
#include "program_test.h"
#include "shown_controls.h"
#include "survey_files.h"

#include "app/commands.h"
#include "app/program.h"
#include "app/program_state.h"
#include "platform/code_page_text.h"
#include "platform/front_end.h"
#include "platform/messages.h"
#include "platform/program_entry.h"
#include "platform/win32/win32_front_end.h"
#include "res/resource_ids.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>

namespace {

constexpr int WAIT_MS = 50;
constexpr int GIVE_UP_AFTER_WAITS = 2400;  // two minutes: the count never showed

bool pumpUntil(Win32FrontEnd& shown, const std::function<bool()>& done) {
  for (int wait = 0; wait < GIVE_UP_AFTER_WAITS; ++wait) {
    processPendingMessages();
    if (done()) return true;
    shown.waitForEvents(WAIT_MS);
  }
  return false;
}

TEST(Win32Drops, ADroppedSurveyIsTakenAndNoneWhileTheFilesAreHeld) {
  const std::filesystem::path folder = std::filesystem::temp_directory_path() / "veskconv-win32-drops";
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
  const std::wstring small = (folder / "line7.vsk").wstring();
  const std::wstring big = (folder / "big.vsk").wstring();
  ASSERT_TRUE(survey_files::writeSurvey(*codepage::fromWide(small), survey_files::twoPairsAndSubbottom(10), 3));
  ASSERT_TRUE(survey_files::writeSurvey(*codepage::fromWide(big), survey_files::twoPairsAndSubbottom(2000), 1000));

  Win32FrontEnd shown;
  setFrontEnd(&shown);
  HWND window = startProgram(programInstance(), SW_SHOWNORMAL);
  ASSERT_NE(window, nullptr);
  const std::uintptr_t real = shown.realWindow(window);
  ASSERT_NE(real, 0u) << "no real window (no X server?)";
  const auto shows = [&](int id, const std::string& text) { return [=] { return shownText(real, id) == text; }; };
  EXPECT_TRUE(pumpUntil(shown, shows(IDC_STATUS, " Ready")));
  EXPECT_TRUE(takesDrops(real));

  dropOnto(real, small);
  EXPECT_TRUE(pumpUntil(shown, shows(IDC_SONAR_PING_COUNT, " 3 (sonar/subbottom) ")));
  EXPECT_EQ(shownText(real, IDC_SONAR_FILE_NAME), *codepage::fromWide(small));
  {
    WorkerGate gate(programState().scannerThreadId, WorkerGate::At::Read);
    dropOnto(real, big);
    ASSERT_TRUE(pumpUntil(shown, [&] { return gate.held(); }));
    EXPECT_FALSE(takesDrops(real)) << "BROWSE is greyed: no drop either";
  }
  EXPECT_TRUE(pumpUntil(shown, shows(IDC_SONAR_PING_COUNT, " 1000 (sonar/subbottom) ")));
  EXPECT_TRUE(takesDrops(real));

  PostMessageA(window, WM_COMMAND, CMD_QUIT, 0);
  runMessageLoop();
  endProgram(programInstance());
  setFrontEnd(nullptr);
  std::filesystem::remove_all(folder);
}

}  // namespace
