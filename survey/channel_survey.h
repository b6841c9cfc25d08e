// The channel survey of a freshly opened VSK file (CMD_SURVEY_SONAR_FILE).
// Main thread; blocks the window while it reads the header and the first
// 101 sonar pings.
#pragma once

#include "platform/win_types.h"

struct ConverterContext;

// pairChannel and subbottomChannel where the file has no such channel.
constexpr int NO_SUBCHANNEL = -1;

// Sonar pings the sample count pass examines before the ping count goes on.
constexpr unsigned SURVEYED_PING_LIMIT = 100;  // the pass ends once pingCount exceeds it

// Needs sonarFile freshly opened at byte 0 and the channel tables cleared by
// the selection. Reads the header into fileHeader, fills channelPresent,
// channelType, channelFrequency, pairChannel, subbottomChannel,
// channelSamples and channelDuration, shows the channel list and arms
// CMD_COUNT_PINGS. A file that is refused is reported and arms nothing.
//
// Sub-channel numbers of 8 or more, and an unrecognised entry whose source
// entry lies outside the table, are left out of the tables and the list;
// only the first 8 channels of a ping are looked at.
void surveyChannels(HWND window, ConverterContext* context);
