// The converter's events shown in the main window: the progress bar, the
// processing information fields, "No Data" in the status line, the beep and
// the "Channel type" box, with the window calls and texts the program has
// always made for them. Any thread: from a worker the calls are sends,
// carried out by the main thread (the box: main thread only).
#pragma once

#include "core/converter_events.h"
#include "platform/control_refresh.h"
#include "platform/win_types.h"

#include <atomic>
#include <mutex>

class WindowEvents final : public ConverterEvents, private ControlRefresh {
 public:
  explicit WindowEvents(HWND window) : window_(window) {}
  ~WindowEvents();
  WindowEvents(const WindowEvents&) = delete;
  WindowEvents& operator=(const WindowEvents&) = delete;

  void progressChanged(int percent) override;
  // Keeps the ping's values; its texts are formed only when the window can
  // next show them (a screen shows no more than one ping a frame): the
  // window's thread sets them just before it shows the changed controls.
  void pingRead(const PingInformation& ping) override;
  // The thread that called pingRead, at the end of a run: the fields hold
  // the last ping read, whatever the window has shown of it yet.
  void showLastPing();
  void noData() override;
  void valueOutsideTable() override;
  void unrecognisedChannel(int position) override;

 private:
  void refresh() override;

  HWND window_;
  std::mutex latestMutex_;
  PingInformation latest_ = {};
  bool latestShown_ = true;
  std::atomic<bool> refreshAsked_{false};
};

// Sets 1722, 1723, 1726, 1724 and 1727, in this order, to the ping's texts.
void showPingInformation(HWND window, const PingInformation& ping);
