// The commands that take a freshly opened VSK file through the survey and
// the ping count: CMD_SURVEY_SONAR_FILE, CMD_COUNT_PINGS and CMD_SCAN_DONE,
// and the box that refuses the file. Main thread.
#pragma once

#include "platform/win_types.h"

struct ConverterContext;

// CMD_SURVEY_SONAR_FILE: surveys the file (survey/channel_survey.h), shows
// the channel list and arms CMD_COUNT_PINGS; a refused file is reported and
// arms nothing.
void surveyChannels(HWND window, ConverterContext* context);

// CMD_COUNT_PINGS: takes the file size, resets the progress and hands the
// scan to the Scanner thread (CMD_SCANNER_RUN). From then until
// CMD_SCAN_DONE the Scanner thread alone touches sonarFile, the record
// fields, pingCount and the progress fields. False when the Scanner thread
// could not be reached: no answer will come.
bool startPingCount(HWND window, ConverterContext* context);

// CMD_SCAN_DONE, with countPings' result: accepts the file
// (sonarFileChecked, the count shown, CMD_UPDATE_CHANNEL_SETS armed) or
// reports it refused; then the bar back to 0, " Ready" and the beep.
void takePingCount(HWND window, ConverterContext* context, int result);

// "report sonar file error": the VSK file was refused. Empties the ping
// count and channel list fields and shows the message (format holds one %s,
// for sonarFileName) in the "ERROR" box. Changes nothing else.
void reportSonarFileError(HWND window, const ConverterContext* context, const char* format);
