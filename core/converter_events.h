// What the conversion, the channel survey and the ping count tell whoever
// runs them, as values; the caller decides what the user sees of them and
// when. The conversion and the count call these on their worker thread, the
// survey on the main thread; the work goes on once a call has returned.
#pragma once

#include <cstdint>

struct ConverterContext;

// The processing information of one sonar ping: the PingHeader's positions
// as read, in the file's navigation units.
struct PingInformation {
  std::uint32_t pingNumber;  // sonar pings of this run so far, this one included
  bool degrees;              // navigation units nonzero; else metres
  double shipX;
  double shipY;
  double sensorX;
  double sensorY;
};

class ConverterEvents {
 public:
  // The whole percentage of the input read (0 to 100) differs from the last
  // one told in this run or count.
  virtual void progressChanged(int percent) = 0;
  // A sonar ping was read while showProcessingInfo is on.
  virtual void pingRead(const PingInformation& ping) = 0;
  // The sonar ping just read holds no data for the selection: it gets no trace.
  virtual void noData() = 0;
  // A value outside the engine's tables (a ChannelSelection, a step): ignored.
  virtual void valueOutsideTable() = 0;
  // Channel table entry `position` (from 0) has an unrecognised type; the
  // survey takes it for a subbottom channel.
  virtual void unrecognisedChannel(int position) = 0;

 protected:
  ~ConverterEvents() = default;
};

// After sonarFilePosition has moved: the whole percentage of sonarFileSize
// it stands at (at most 100; 0 for an empty size), told and stored in
// progressPercent when it differs from progressPercent.
void reportProgress(ConverterContext* context, ConverterEvents& events);
