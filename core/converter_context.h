// The one record of a conversion's state that every part of the program
// shares: options, files, what the survey learnt, the current record and the
// output buffers. The window and the worker threads are the application's
// (app/program_state.h).
//
// There are no locks: ownership passes by command. A worker owns the fields of
// its work from its start command until it posts its answer; everything else
// belongs to the main thread. showProcessingInfo is the one field the window
// may flip while the Converter thread reads it, hence atomic (relaxed).
#pragma once

#include "core/segy_fields.h"
#include "platform/win_types.h"

#include <atomic>
#include <cstdint>

struct SonarFileHeader;
struct PingHeader;
struct ChannelHeader;

constexpr int PATH_BUFFER_SIZE = 260;
constexpr int MAX_CHANNELS = 8;
constexpr int PAIR_COUNT = 4;
constexpr int HEADER_BUFFER_BYTES = REEL_HEADER_BYTES + TRACE_HEADER_BYTES;  // 3840

// ChannelSelection: what the next conversion writes.
constexpr int SELECTION_NONE = -1;
constexpr int SELECTION_FIRST_PAIR = 0;  // 0 to 3: pairs 1 to 4
constexpr int SELECTION_SUBBOTTOM = 4;
constexpr int SELECTION_FIRST_SINGLE = 5;  // 5 to 12: channels 1 to 8
constexpr int SELECTION_LAST = 12;

// What a conversion run ended with; the end-of-conversion handling tells the
// user of anything but CONVERSION_OK.
enum ConversionOutcome : int {
  CONVERSION_OK = 0,         // the input was read to its end and every byte written
  CONVERSION_WRITE_FAILED,   // a WriteFile failed or was short (conversionError holds the error)
  CONVERSION_READ_FAILED,    // the reader refused a record (conversionError holds its result)
  CONVERSION_OUT_OF_MEMORY,  // the output sample buffer could not be obtained
  CONVERSION_NO_TRACES,      // the input read to its end, but no sonar ping held the chosen channels
};

struct ConverterContext {
  int busy = 0;
  int conversionStep = 0;
  std::uint32_t useShipCoordinates = 1;
  int channelSelection = SELECTION_NONE;
  int reverseSamples = 0;
  int selectedChannel = 0;
  int tracesPerRecord = 0;
  std::uint32_t samplesPerTrace = 0;
  float traceDuration = 0.0f;
  std::atomic<std::uint32_t> showProcessingInfo{1};
  char sonarFileName[PATH_BUFFER_SIZE] = {};
  HANDLE sonarFile = INVALID_HANDLE_VALUE;
  int sonarFileOpen = 0;
  int sonarFileChecked = 0;
  SonarFileHeader* fileHeader = nullptr;
  PingHeader* currentPing = nullptr;
  // nullptr where a channel is absent from the current ping or does not fit its record
  ChannelHeader* channelData[MAX_CHANNELS] = {};
  std::uint64_t sonarFileSize = 0;  // 64-bit: inputs of 4 GiB and more convert to their end
  std::uint64_t sonarFilePosition = 0;
  int progressPercent = 0;
  void* recordBuffer = nullptr;
  unsigned char* sampleCursor = nullptr;
  // The output trace buffer: whole traces (header, then samples) gathered by
  // the engine and written in large pieces; freed with std::free at quit.
  std::uint16_t* traceSamples = nullptr;
  int recordBytes = 0;
  std::uint32_t pingCount = 0;
  int channelPresent[MAX_CHANNELS] = {};
  int channelType[MAX_CHANNELS] = {-1, -1, -1, -1, -1, -1, -1, -1};
  std::uint32_t channelSamples[MAX_CHANNELS] = {};
  float channelFrequency[MAX_CHANNELS] = {};
  float channelDuration[MAX_CHANNELS] = {};
  int pairChannel[PAIR_COUNT] = {-1, -1, -1, -1};
  int subbottomChannel = -1;
  char segyFileName[PATH_BUFFER_SIZE] = {};
  HANDLE segyFile = INVALID_HANDLE_VALUE;
  int segyFileOpen = 0;
  int segyFileReady = 0;
  std::uint32_t bigEndian = 0;
  unsigned char headerBuffer[HEADER_BUFFER_BYTES] = {};

  // Beyond the classic record: what the engine needs to be exact and honest.
  std::uint32_t traceSamplesCapacity = 0;  // 16-bit values traceSamples holds now
  int conversionOutcome = CONVERSION_OK;   // a ConversionOutcome, set by every run
  long conversionError = 0;                // GetLastError() of the failed write, or the reader's result
  std::uint64_t bytesWritten = 0;          // SEG-Y bytes written by the last run
  std::uint32_t tracesWritten = 0;         // traces written by the last run
};
