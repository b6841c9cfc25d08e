// Starting the program, the order in which commands run, and the ways out.
#include "program_test.h"
#include "survey_files.h"

#include "app/commands.h"
#include "app/deferred_command.h"
#include "app/program_state.h"
#include "app/settings_file.h"
#include "app/ui_texts.h"
#include "core/converter_context.h"
#include "platform/messages.h"
#include "platform/window.h"
#include "platform/window_model.h"
#include "res/resource_ids.h"

#include <algorithm>
#include <functional>

namespace {

using StartAndQuit = ProgramTest;

constexpr int FIRST_CONTROL_ID = 1000;
constexpr int LAST_CONTROL_ID = 1728;
constexpr int UNHANDLED_COMMAND = 112;
constexpr WPARAM UNKNOWN_WORKER_COMMAND = 150;

// Everything a user could see of the controls.
std::vector<std::string> snapshot(const HeadlessFrontEnd& ui, HWND window) {
  std::vector<std::string> seen;
  for (int id = FIRST_CONTROL_ID; id <= LAST_CONTROL_ID; ++id) {
    seen.push_back(ui.controlText(window, id) + "|" + std::to_string(ui.controlEnabled(window, id)) + "|" +
                   std::to_string(ui.controlChecked(window, id)));
  }
  return seen;
}

TEST_F(StartAndQuit, FirstStartWithoutSettingsShowsTheDefaults) {
  start();
  WindowModel* model = windowModel(window);
  ASSERT_NE(model, nullptr);
  EXPECT_EQ(model->title, "VESKCONV - VSK to SEGY file format conversion tool");
  EXPECT_EQ(model->className, "VESKCONV");
  EXPECT_EQ(model->iconId, IDI_VESKCONV);
  EXPECT_TRUE(model->visible);
  RECT rect{};
  GetWindowRect(window, &rect);
  EXPECT_EQ(rect.left, 0);
  EXPECT_EQ(rect.top, 0);
  EXPECT_TRUE(ui.systemMenuItemGrayed(window, SC_MAXIMIZE));
  EXPECT_TRUE(ui.systemMenuItemGrayed(window, SC_SIZE));
  EXPECT_FALSE(ui.systemMenuItemGrayed(window, SC_MOVE));

  EXPECT_EQ(text(IDC_STATUS), " Ready");
  EXPECT_TRUE(ui.menuItemChecked(window, IDM_PROCESSING_INFO));
  EXPECT_TRUE(checked(IDC_VERBOSE));
  for (int field :
       {IDC_PING_NUMBER, IDC_SHIP_POSITION_1, IDC_SHIP_POSITION_2, IDC_SENSOR_POSITION_1, IDC_SENSOR_POSITION_2}) {
    EXPECT_EQ(text(field), "") << field;
  }
  EXPECT_TRUE(checked(IDC_LITTLE_ENDIAN));
  EXPECT_FALSE(checked(IDC_BIG_ENDIAN));
  EXPECT_TRUE(checked(IDC_SHIP));
  EXPECT_FALSE(checked(IDC_SENSOR));
  EXPECT_FALSE(enabled(IDC_PAIR_1));
  EXPECT_EQ(context().channelSelection, SELECTION_NONE);

  cancelSonarFile();
  ASSERT_EQ(ui.fileRequests().size(), 1u);
  EXPECT_EQ(ui.fileRequests()[0].initialName, "");
  EXPECT_TRUE(beepCount() == 0 && boxes().empty());
}

TEST_F(StartAndQuit, ADeferredCommandRunsAfterTheCommandsPostedBeforeIt) {
  start();
  // Both show commands then change their marks, so each leaves a trace.
  context().useShipCoordinates = 0;
  context().bigEndian = 1;
  std::vector<int> changed;
  ui.setChangeObserver([&](HWND, int controlId) { changed.push_back(controlId); });
  armDeferredCommand(window, CMD_SHOW_COORDINATE_SOURCE);
  postCommand(window, CMD_SHOW_BYTE_ORDER);
  settle();
  const auto byteOrder = std::find(changed.begin(), changed.end(), IDC_BIG_ENDIAN);
  const auto coordinates = std::find(changed.begin(), changed.end(), IDC_SENSOR);
  ASSERT_NE(byteOrder, changed.end());
  ASSERT_NE(coordinates, changed.end());
  EXPECT_LT(byteOrder, coordinates);
}

TEST_F(StartAndQuit, ADeferredCommandArmedTwiceRunsOnce) {
  start();
  // With nothing chosen, showing the selection beeps once per run.
  armDeferredCommand(window, CMD_SHOW_CHANNEL_SELECTION);
  armDeferredCommand(window, CMD_SHOW_CHANNEL_SELECTION);
  settle();
  EXPECT_EQ(beepCount(), 1u);
}

TEST_F(StartAndQuit, CommandsWithoutAHandlerAtTheWindowChangeNothing) {
  start();
  const auto before = snapshot(ui, window);
  for (int command :
       {UNHANDLED_COMMAND, 118, CMD_CONVERTER_EXIT, CMD_CONVERTER_RUN, CMD_SCANNER_EXIT, CMD_SCANNER_RUN}) {
    postCommand(window, command);
  }
  settle();
  EXPECT_EQ(snapshot(ui, window), before);
  EXPECT_EQ(beepCount(), 0u);
  EXPECT_TRUE(boxes().empty());
  EXPECT_TRUE(IsWindow(window));
}

// Each way out goes through the handshake: " Quitting" while the window
// still stands, the settings saved, then the window destroyed.
void expectHandshake(HeadlessFrontEnd& ui, HWND window, const std::function<void()>& leave) {
  std::vector<std::string> statuses;
  ui.setChangeObserver([&](HWND changedWindow, int controlId) {
    if (controlId == IDC_STATUS) statuses.push_back(ui.controlText(changedWindow, IDC_STATUS));
  });
  leave();
  EXPECT_TRUE(IsWindow(window)) << "destroyed before the handshake";
  ASSERT_TRUE(ui.runUntilIdle());
  EXPECT_TRUE(ui.quitReceived());
  EXPECT_EQ(ui.exitCode(), 0);
  EXPECT_FALSE(IsWindow(window));
  EXPECT_NE(std::find(statuses.begin(), statuses.end(), " Quitting"), statuses.end());
}

TEST_F(StartAndQuit, TheTitleBarCloseQuitsThroughTheHandshake) {
  start();
  expectHandshake(ui, window, [&] { ui.close(window); });
  EXPECT_NE(settingsText().find("Use Ship Coordinates=1"), std::string::npos);
}

TEST_F(StartAndQuit, ExitQuitsThroughTheHandshakeEvenWhenPressedTwice) {
  start();
  expectHandshake(ui, window, [&] {
    ui.click(window, IDC_EXIT);
    ui.click(window, IDC_EXIT);
  });
  EXPECT_NE(settingsText().find("Use Ship Coordinates=1"), std::string::npos);
}

TEST_F(StartAndQuit, TheExitMenuItemQuitsThroughTheHandshake) {
  start();
  expectHandshake(ui, window, [&] { ui.clickMenu(window, IDM_EXIT); });
  EXPECT_NE(settingsText().find("Use Ship Coordinates=1"), std::string::npos);
}

TEST_F(StartAndQuit, QuittingDuringAConversionWaitsForTheWholeSegyFile) {
  constexpr std::uint32_t samples = 2000;
  constexpr int pings = 400;
  start();
  const std::string segy = path("line.SEG");
  prepare(writeSurvey("line.vsk", survey_files::twoPairsAndSubbottom(samples), pings), segy, IDC_PAIR_1);

  std::vector<std::string> statuses;
  ui.setChangeObserver([&](HWND changedWindow, int controlId) {
    if (controlId == IDC_STATUS) statuses.push_back(ui.controlText(changedWindow, IDC_STATUS));
  });
  {
    WorkerGate gate(programState().converterThreadId, WorkerGate::At::Write);
    ui.click(window, IDC_PROCESS);
    ASSERT_TRUE(pumpUntilHeld(gate));
    ui.click(window, IDC_EXIT);
    pump();
    EXPECT_TRUE(IsWindow(window)) << "the window waits for the conversion";
  }
  settle();
  EXPECT_TRUE(ui.quitReceived());
  EXPECT_EQ(fileSize(segy), 3600u + pings * 2u * (240u + 2u * samples));
  const auto quitting = std::find(statuses.begin(), statuses.end(), " Quitting");
  ASSERT_NE(quitting, statuses.end());
  const auto ready = std::find(quitting, statuses.end(), " Ready");
  ASSERT_NE(ready, statuses.end()) << "the conversion's end came before the quit finished";
  EXPECT_NE(std::find(ready, statuses.end(), " Quitting"), statuses.end());
  EXPECT_EQ(statuses.back(), " Quitting");
}

TEST_F(StartAndQuit, AWorkerTakesNoWorkAfterItsExitCommand) {
  start();
  const std::string segy = path("line.SEG");
  prepare(writeSurvey("line.vsk", survey_files::twoPairsAndSubbottom(100), 5), segy, IDC_PAIR_1);
  ui.clearRecords();
  const DWORD converter = programState().converterThreadId;
  PostThreadMessageA(converter, WM_COMMAND, CMD_CONVERTER_EXIT, 0);
  PostThreadMessageA(converter, WM_COMMAND, CMD_CONVERTER_RUN, 0);
  settle();
  EXPECT_EQ(programState().converterThreadId, NO_THREAD);
  EXPECT_EQ(fileSize(segy), 0u) << "a run started behind the exit command";
  EXPECT_EQ(beepCount(), 0u) << "no conversion end may be reported";
  EXPECT_TRUE(IsWindow(window)) << "the Scanner thread has not answered yet";
  EXPECT_FALSE(PostThreadMessageA(converter, WM_COMMAND, CMD_CONVERTER_RUN, 0));
  quit();
}

TEST_F(StartAndQuit, AnUnknownCommandMakesTheConverterThreadBeepAndTheScannerThreadNothing) {
  start();
  PostThreadMessageA(programState().converterThreadId, WM_COMMAND, UNKNOWN_WORKER_COMMAND, 0);
  PostThreadMessageA(programState().converterThreadId, WM_USER, CMD_CONVERTER_RUN, 0);
  settle();
  EXPECT_EQ(beepCount(), 1u);
  PostThreadMessageA(programState().scannerThreadId, WM_COMMAND, UNKNOWN_WORKER_COMMAND, 0);
  PostThreadMessageA(programState().scannerThreadId, WM_USER, CMD_SCANNER_RUN, 0);
  settle();
  EXPECT_EQ(beepCount(), 1u);
  EXPECT_TRUE(boxes().empty());
  quit();
}

TEST_F(StartAndQuit, TheProgramStartsAgainInTheSameProcess) {
  start();
  quit();
  start();
  EXPECT_EQ(text(IDC_STATUS), " Ready");
  EXPECT_NE(programState().converterThreadId, NO_THREAD);
  EXPECT_NE(programState().scannerThreadId, NO_THREAD);
  quit();
}

}  // namespace
