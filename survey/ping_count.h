// The ping count scan: after the survey the Scanner thread reads the rest of
// the VSK file, counting its sonar pings; only a file it reads to a clean end
// is accepted for conversion.
#pragma once

#include "platform/win_types.h"

struct ConverterContext;

// CMD_COUNT_PINGS, main thread: takes the file size, resets the progress
// and hands the scan to the Scanner thread (CMD_SCANNER_RUN). From then until
// CMD_SCAN_DONE the Scanner thread alone touches sonarFile, the record
// fields, pingCount and the progress fields. False when the Scanner thread
// could not be reached: no answer will come.
bool startPingCount(HWND window, ConverterContext* context);

// Scanner thread: steps over records from where the survey stopped to the
// end, adding the sonar pings to pingCount and moving the progress bar (sent
// to the window) whenever the whole percentage changes. Returns the reader's
// first nonzero result: -1 for a clean end of file, where sonarFileSize
// becomes the size counted (a survey may grow while it is counted).
int countPings(ConverterContext* context);

// CMD_SCAN_DONE, main thread, with countPings' result: accepts the file
// (sonarFileChecked, the count shown, CMD_UPDATE_CHANNEL_SETS armed) or
// reports it refused; then the bar back to 0, " Ready" and the beep.
void takePingCount(HWND window, ConverterContext* context, int result);
