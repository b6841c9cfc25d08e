#include "app/window_events.h"

#include "app/feedback.h"
#include "app/number_text.h"
#include "app/ui_texts.h"
#include "platform/dialogs.h"
#include "platform/window.h"
#include "res/resource_ids.h"

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <string_view>

namespace {

struct PositionText {
  int controlId;
  std::string_view prefix;
  FixedFormat format;
  double PingInformation::*value;
};

constexpr FixedFormat METRES_FORMAT = {10, 2};    // "%010.2f"
constexpr FixedFormat LATITUDE_FORMAT = {10, 6};  // "%010.6f"
constexpr FixedFormat LONGITUDE_FORMAT = {9, 6};  // "%09.6f"
constexpr std::size_t LONGEST_PREFIX = 4;         // "Lat=", "Lon="
// Any double fits whole: a text cut short would show another number.
constexpr std::size_t PROCESSING_TEXT_BYTES = LONGEST_PREFIX + FIXED_TEXT_BYTES + 1;
static_assert(LONG_TEXT_BYTES < PROCESSING_TEXT_BYTES);

// In the order the texts are set, after the ping number.
constexpr PositionText METRES_TEXTS[] = {
    {IDC_SHIP_POSITION_1, "E=", METRES_FORMAT, &PingInformation::shipX},
    {IDC_SHIP_POSITION_2, "N=", METRES_FORMAT, &PingInformation::shipY},
    {IDC_SENSOR_POSITION_1, "E=", METRES_FORMAT, &PingInformation::sensorX},
    {IDC_SENSOR_POSITION_2, "N=", METRES_FORMAT, &PingInformation::sensorY},
};
constexpr PositionText DEGREES_TEXTS[] = {
    {IDC_SHIP_POSITION_1, "Lat=", LATITUDE_FORMAT, &PingInformation::shipY},
    {IDC_SHIP_POSITION_2, "Lon=", LONGITUDE_FORMAT, &PingInformation::shipX},
    {IDC_SENSOR_POSITION_1, "Lat=", LATITUDE_FORMAT, &PingInformation::sensorY},
    {IDC_SENSOR_POSITION_2, "Lon=", LONGITUDE_FORMAT, &PingInformation::sensorX},
};

}  // namespace

void WindowEvents::progressChanged(int percent) {
  SendDlgItemMessageA(window_, IDC_PROGRESS, PBM_SETPOS, static_cast<WPARAM>(percent), 0);
}

void showPingInformation(HWND window, const PingInformation& ping) {
  char text[PROCESSING_TEXT_BYTES];
  char* const textEnd = std::end(text) - 1;  // room for the terminating zero
  *writeLong(text, textEnd, static_cast<long>(ping.pingNumber)) = '\0';
  SetDlgItemTextA(window, IDC_PING_NUMBER, text);
  for (const PositionText& shown : ping.degrees ? DEGREES_TEXTS : METRES_TEXTS) {
    char* const number = std::copy(shown.prefix.begin(), shown.prefix.end(), text);
    *writeFixed(number, textEnd, ping.*shown.value, shown.format) = '\0';
    SetDlgItemTextA(window, shown.controlId, text);
  }
}

WindowEvents::~WindowEvents() { cancelControlRefresh(this); }

void WindowEvents::pingRead(const PingInformation& ping) {
  {
    std::lock_guard<std::mutex> lock(latestMutex_);
    latest_ = ping;
    latestShown_ = false;
  }
  // The values are stored before the flag is looked at: a refresh that
  // clears the flag after this reads them.
  if (!refreshAsked_.exchange(true, std::memory_order_acq_rel)) requestControlRefresh(window_, this);
}

void WindowEvents::refresh() {
  refreshAsked_.store(false, std::memory_order_release);
  PingInformation ping;
  {
    std::lock_guard<std::mutex> lock(latestMutex_);
    if (latestShown_) return;
    ping = latest_;
    latestShown_ = true;
  }
  showPingInformation(window_, ping);
}

void WindowEvents::showLastPing() {
  cancelControlRefresh(this);
  refreshAsked_.store(false, std::memory_order_release);
  refresh();
}

void WindowEvents::noData() { setStatus(window_, NO_DATA); }

void WindowEvents::valueOutsideTable() { beep(); }

void WindowEvents::unrecognisedChannel(int position) {
  char text[MESSAGE_TEXT_BYTES];
  std::snprintf(text, sizeof text, UNRECOGNIZED_CHANNEL_TYPE, position + 1);
  MessageBoxA(window_, text, CHANNEL_TYPE_CAPTION, MB_OK);
}
