// The converter's events as the main window shows them: the controls, the
// texts and the order the program has always used.
#include "program_test.h"

#include "app/window_events.h"
#include "res/resource_ids.h"

#include <string>
#include <utility>
#include <vector>

namespace {

using WindowEventsShown = ProgramTest;

TEST_F(WindowEventsShown, EachEventReachesItsControlsInOrderWithTheProgramsTexts) {
  start();
  ui.clearRecords();
  std::vector<std::pair<int, std::string>> changes;
  ui.setChangeObserver([&](HWND, int controlId) {
    const std::string shown =
        controlId == IDC_PROGRESS ? std::to_string(ui.progressPosition(window, IDC_PROGRESS)) : text(controlId);
    changes.emplace_back(controlId, shown);
  });
  WindowEvents events(window);
  events.progressChanged(37);
  events.pingRead({1, false, 512345.678, 5000000.25, 12.5, -3.25});
  events.pingRead({2, true, -3.5, 12.5, 7.25, 48.123456789});
  events.noData();
  const std::vector<std::pair<int, std::string>> expected = {
      {IDC_PROGRESS, "37"},
      {IDC_PING_NUMBER, "1"},
      {IDC_SHIP_POSITION_1, "E=0512345.68"},
      {IDC_SHIP_POSITION_2, "N=5000000.25"},
      {IDC_SENSOR_POSITION_1, "E=0000012.50"},
      {IDC_SENSOR_POSITION_2, "N=-000003.25"},
      {IDC_PING_NUMBER, "2"},
      {IDC_SHIP_POSITION_1, "Lat=012.500000"},
      {IDC_SHIP_POSITION_2, "Lon=-3.500000"},
      {IDC_SENSOR_POSITION_1, "Lat=048.123457"},
      {IDC_SENSOR_POSITION_2, "Lon=07.250000"},
      {IDC_STATUS, "No Data"},
  };
  EXPECT_EQ(changes, expected);
  EXPECT_TRUE(boxes().empty());
  EXPECT_EQ(beepCount(), 0u);

  events.valueOutsideTable();
  ASSERT_EQ(ui.beeps().size(), 1u);
  EXPECT_EQ(ui.beeps()[0], 0xFFFFFFFFu) << "the simple beep";
  events.unrecognisedChannel(2);
  ASSERT_EQ(boxes().size(), 1u);
  EXPECT_EQ(boxes()[0].text, "Unrecognized file type in channel 3.  Assuming subbottom.");
  EXPECT_EQ(boxes()[0].caption, "Channel type");
  EXPECT_EQ(boxes()[0].type, static_cast<UINT>(MB_OK));
  EXPECT_EQ(changes.size(), expected.size()) << "neither changes a control";
}

}  // namespace
