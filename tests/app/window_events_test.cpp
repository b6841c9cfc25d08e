// The converter's events as the main window shows them: the controls, the
// texts and the order the program has always used.
#include "program_test.h"

#include "app/window_events.h"
#include "platform/front_end.h"
#include "platform/message_queue_state.h"
#include "platform/messages.h"
#include "res/resource_ids.h"

#include <atomic>
#include <cstdio>
#include <string>
#include <thread>
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
  pump();
  // Ping 1 was never due to be shown: only the latest ping's texts are formed.
  std::vector<std::pair<int, std::string>> expected = {
      {IDC_PROGRESS, "37"},
      {IDC_STATUS, "No Data"},
      {IDC_PING_NUMBER, "2"},
      {IDC_SHIP_POSITION_1, "Lat=012.500000"},
      {IDC_SHIP_POSITION_2, "Lon=-3.500000"},
      {IDC_SENSOR_POSITION_1, "Lat=048.123457"},
      {IDC_SENSOR_POSITION_2, "Lon=07.250000"},
  };
  EXPECT_EQ(changes, expected);
  events.showLastPing();
  EXPECT_EQ(changes, expected) << "ping 2 is shown already";
  events.pingRead({3, false, 512345.678, 5000000.25, 12.5, -3.25});
  events.showLastPing();
  expected.insert(expected.end(), {
                                      {IDC_PING_NUMBER, "3"},
                                      {IDC_SHIP_POSITION_1, "E=0512345.68"},
                                      {IDC_SHIP_POSITION_2, "N=5000000.25"},
                                      {IDC_SENSOR_POSITION_1, "E=0000012.50"},
                                      {IDC_SENSOR_POSITION_2, "N=-000003.25"},
                                  });
  EXPECT_EQ(changes, expected) << "the end of a run shows its last ping at once";
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

// A worker's pings as the view sees them: at every report the five fields
// hold one ping's texts, exactly as setting them on every ping would have left
// them, the pings shown only move on, and the run ends on its last ping.
TEST_F(WindowEventsShown, EveryRefreshShowsTheLatestWholePingAndTheRunEndsOnItsLast) {
  start();
  constexpr std::uint32_t PINGS = 200000;
  const auto pingOf = [](std::uint32_t number) {
    const double at = static_cast<double>(number);
    return PingInformation{number, false, at * 1.5, at * 2.25, -at * 0.5, at * 0.125};
  };
  const auto textsOf = [](const PingInformation& ping) {
    std::vector<std::string> texts = {std::to_string(ping.pingNumber)};
    for (const auto& [prefix, value] : {std::pair{"E=", ping.shipX}, std::pair{"N=", ping.shipY},
                                        std::pair{"E=", ping.sensorX}, std::pair{"N=", ping.sensorY}}) {
      char text[64];
      std::snprintf(text, sizeof text, "%s%010.2f", prefix, value);
      texts.emplace_back(text);
    }
    return texts;
  };
  std::vector<std::vector<std::string>> reports;
  ui.setChangeObserver([&](HWND, int controlId) {
    if (controlId != IDC_SENSOR_POSITION_2) return;
    reports.push_back({text(IDC_PING_NUMBER), text(IDC_SHIP_POSITION_1), text(IDC_SHIP_POSITION_2),
                       text(IDC_SENSOR_POSITION_1), text(IDC_SENSOR_POSITION_2)});
  });
  std::atomic<bool> ended{false};
  std::thread worker([&] {
    WindowEvents events(window);
    for (std::uint32_t number = 1; number <= PINGS; ++number) events.pingRead(pingOf(number));
    events.showLastPing();
    ended = true;
  });
  while (!ended) {
    processPendingMessages();
    waitForMessages(CHANGE_REPORT_INTERVAL_MS);
  }
  worker.join();
  pump();
  ASSERT_FALSE(reports.empty());
  std::uint32_t previous = 0;
  for (const std::vector<std::string>& shown : reports) {
    const auto number = static_cast<std::uint32_t>(std::stoul(shown.front()));
    EXPECT_GT(number, previous) << "a ping is shown once, and later pings after it";
    EXPECT_EQ(shown, textsOf(pingOf(number)));
    previous = number;
  }
  EXPECT_EQ(previous, PINGS) << "the last ping is what the fields hold";
  EXPECT_LT(reports.size(), PINGS / 2) << "texts are formed for what can be shown, not for every ping";
}

}  // namespace
