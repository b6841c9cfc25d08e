// The converter's events shown in the main window: the progress bar, the
// processing information fields, "No Data" in the status line, the beep and
// the "Channel type" box, with the window calls and texts the program has
// always made for them. Any thread: from a worker the calls are sends,
// carried out by the main thread (the box: main thread only).
#pragma once

#include "core/converter_events.h"
#include "platform/win_types.h"

class WindowEvents final : public ConverterEvents {
 public:
  explicit WindowEvents(HWND window) : window_(window) {}

  void progressChanged(int percent) override;
  // Sets 1722, 1723, 1726, 1724 and 1727, in this order.
  void pingRead(const PingInformation& ping) override;
  void noData() override;
  void valueOutsideTable() override;
  void unrecognisedChannel(int position) override;

 private:
  HWND window_;
};
