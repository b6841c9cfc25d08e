#include "core/conversion_engine.h"

#include "core/channel_locator.h"
#include "core/converter_context.h"
#include "core/converter_events.h"
#include "core/reel_header.h"
#include "core/selection_search.h"
#include "core/sonar_records.h"
#include "core/trace_header.h"
#include "core/trace_output.h"
#include "core/trace_samples.h"
#include "platform/files.h"
#include "vsktools/vsk_reader.h"

#include <cstdint>

namespace {

// Data that belongs to one run, not to the context.
struct Run {
  ConverterContext* context;
  ConverterEvents& events;
  int reelHeaderWritten = 0;
  TraceOutput output = {};
  unsigned char headerScratch[VSK_HEADER_SCRATCH_BYTES] = {};
};

void updateProgress(ConverterContext* context, ConverterEvents& events) {
  const std::uint64_t position = filePosition64(context->sonarFile);
  if (position == UINT64_MAX) return;
  context->sonarFilePosition = position;
  reportProgress(context, events);
}

void tellPingRead(const ConverterContext* context, ConverterEvents& events) {
  const PingHeader* ping = context->currentPing;
  events.pingRead({context->pingCount, navigationUnits(context->fileHeader) != 0, pingShipX(ping), pingShipY(ping),
                   pingSensorX(ping), pingSensorY(ping)});
}

void addTrace(ConverterContext* context, TraceOutput& output, std::int16_t traceNumber, int position, int pairTrace,
              bool reversed) {
  BuildTraceHeader(context, traceNumber, position, pairTrace);
  formTraceSamples(context, position, reversed, stageTrace(context, output));
}

void startRun(Run& run) {
  ConverterContext* context = run.context;
  run.reelHeaderWritten = 0;
  run.output = TraceOutput{};
  context->conversionOutcome = CONVERSION_OK;
  context->conversionError = 0;
  context->bytesWritten = 0;
  context->tracesWritten = 0;
  context->conversionStep = STEP_REWIND;
}

void rewindFiles(Run& run) {
  ConverterContext* context = run.context;
  SetFilePointer(context->sonarFile, 0, nullptr, FILE_BEGIN);
  ReadVSKHeader(context->sonarFile, run.headerScratch);
  SetFilePointer(context->segyFile, 0, nullptr, FILE_BEGIN);
  context->pingCount = 0;
  context->progressPercent = 0;
  context->conversionStep = STEP_READ_RECORD;
}

bool inputChangedSinceChecked(const ConverterContext* context) {
  return context->sonarFileSize != 0 && filePosition64(context->sonarFile) != context->sonarFileSize;
}

void readRecord(ConverterContext* context, ConverterEvents& events) {
  const int result = ReadNextVSKData(context->sonarFile, &context->recordBuffer, &context->recordBytes, VSK_READ_MODE);
  if (result != VSK_OK) {
    // An end of file where the checked file did not end means someone cut or
    // rewrote the survey after the ping count: the traces would not be the
    // survey the user saw, so the run fails like a read error.
    if (result != VSK_END_OF_FILE || inputChangedSinceChecked(context)) {
      context->conversionOutcome = CONVERSION_READ_FAILED;
      context->conversionError = result;
    }
    context->conversionStep = STEP_FINISH;
    return;
  }
  context->currentPing = static_cast<PingHeader*>(context->recordBuffer);
  updateProgress(context, events);
  context->conversionStep = STEP_EXAMINE_RECORD;
}

void examineRecord(Run& run) {
  ConverterContext* context = run.context;
  if (!isSonarPing(context->currentPing)) {
    context->conversionStep = STEP_READ_RECORD;
    return;
  }
  ++context->pingCount;
  if (context->showProcessingInfo.load(std::memory_order_relaxed) != 0) tellPingRead(context, run.events);
  locateChannels(context);
  context->conversionStep = run.reelHeaderWritten == 1 ? STEP_WRITE_TRACES : STEP_BUILD_REEL_HEADER;
}

void buildReelHeader(ConverterContext* context) {
  // A selected channel outside the tables has no geometry: its traces are headers alone.
  const int channel = context->selectedChannel;
  const bool inTables = channel >= 0 && channel < MAX_CHANNELS;
  BuildReelHeader(context, context->tracesPerRecord, inTables ? context->channelSamples[channel] : 0,
                  inTables ? context->channelDuration[channel] : 0.0f);
  context->conversionStep = STEP_WRITE_REEL_HEADER;
}

void writeReelHeader(Run& run) {
  ConverterContext* context = run.context;
  if (!writeOutput(context, context->headerBuffer, REEL_HEADER_BYTES)) return;
  run.reelHeaderWritten = 1;
  context->conversionStep = STEP_WRITE_TRACES;
}

void writeTraces(Run& run) {
  ConverterContext* context = run.context;
  context->conversionStep = STEP_READ_RECORD;
  const int selection = context->channelSelection;
  if (selection < SELECTION_FIRST_PAIR || selection > SELECTION_LAST) {
    run.events.valueOutsideTable();
    return;
  }
  const int position = findSelection(context);
  if (position < 0) {
    run.events.noData();
    return;
  }
  const int pairTrace = isPairSelection(selection) ? 1 : 0;
  if (!makeRoomForTraces(context, run.output, pairTrace != 0 ? 2 : 1)) return;
  addTrace(context, run.output, 1, position, pairTrace, firstTraceReversed(context, position));
  if (pairTrace != 0) addTrace(context, run.output, 2, position + 1, pairTrace, false);
}

// Cuts the output behind this run's bytes, or empties it when the run
// failed, so no SEG-Y file looks complete when it is not.
void finishRun(Run& run) {
  ConverterContext* context = run.context;
  if (context->conversionOutcome == CONVERSION_OK) flushTraces(context, run.output);
  run.output = TraceOutput{};
  // A reel header alone would read as a valid, empty survey line.
  if (context->conversionOutcome == CONVERSION_OK && context->tracesWritten == 0) {
    context->conversionOutcome = CONVERSION_NO_TRACES;
  }
  if (context->conversionOutcome == CONVERSION_OK && SetEndOfFile(context->segyFile) == FALSE) {
    context->conversionOutcome = CONVERSION_WRITE_FAILED;
    context->conversionError = static_cast<long>(GetLastError());
  }
  if (context->conversionOutcome != CONVERSION_OK) {
    SetFilePointer(context->segyFile, 0, nullptr, FILE_BEGIN);
    SetEndOfFile(context->segyFile);
  }
  context->conversionStep = STEP_IDLE;
}

}  // namespace

void runConversion(ConverterContext* context, ConverterEvents& events) {
  Run run{context, events};
  do {
    switch (context->conversionStep) {
      case STEP_IDLE:
        startRun(run);
        break;
      case STEP_REWIND:
        rewindFiles(run);
        break;
      case STEP_BUILD_REEL_HEADER:
        buildReelHeader(context);
        break;
      case STEP_WRITE_REEL_HEADER:
        writeReelHeader(run);
        break;
      case STEP_READ_RECORD:
        readRecord(context, events);
        break;
      case STEP_EXAMINE_RECORD:
        examineRecord(run);
        break;
      case STEP_WRITE_TRACES:
        writeTraces(run);
        break;
      case STEP_FINISH:
        finishRun(run);
        break;
      default:
        events.valueOutsideTable();
        context->conversionStep = STEP_IDLE;
        break;
    }
  } while (context->conversionStep != STEP_IDLE);
}
