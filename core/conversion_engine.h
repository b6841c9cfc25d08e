// The conversion engine: the open VSK file into the open SEG-Y file for the
// chosen ChannelSelection, as a ConversionStep state machine.
// Converter thread only.
#pragma once

class ConverterEvents;
struct ConverterContext;

enum ConversionStep : int {
  STEP_IDLE = 0,
  STEP_REWIND = 1,
  STEP_BUILD_REEL_HEADER = 2,
  STEP_WRITE_REEL_HEADER = 3,
  STEP_READ_RECORD = 4,
  STEP_EXAMINE_RECORD = 5,
  STEP_WRITE_TRACES = 6,
  STEP_FINISH = 7,
};

// Called with conversionStep at STEP_IDLE; returns with it at STEP_IDLE once
// the reader delivers no further record, a write fails, or the sample buffer
// cannot be had. conversionOutcome / conversionError say which (a run that
// wrote no trace failed too); the output is cut at the end of what the run
// wrote, and emptied when the run failed. Progress, the processing
// information (while showProcessingInfo is on), pings without data and
// values outside its tables are told to `events` as they happen.
void runConversion(ConverterContext* context, ConverterEvents& events);
