// The channel survey of a freshly opened VSK file: which channels it holds,
// their kinds, frequencies, sample counts and durations. Main thread; blocks
// the window while it reads the header and the first 101 sonar pings.
#pragma once

class ConverterEvents;
struct ConverterContext;

// pairChannel and subbottomChannel where the file has no such channel.
constexpr int NO_SUBCHANNEL = -1;

// Sonar pings the sample count pass examines before the ping count goes on.
constexpr unsigned SURVEYED_PING_LIMIT = 100;  // the pass ends once pingCount exceeds it

enum SurveyResult : int {
  SURVEY_OK = 0,
  SURVEY_HEADER_UNREADABLE,  // ReadFullVSKHeader refused the file
  SURVEY_NO_SONAR_PING,      // no sonar ping before the reader's first nonzero result
};

// Needs sonarFile freshly opened at byte 0 and the channel tables cleared by
// the selection. Reads the header into fileHeader, then fills
// channelPresent, channelType, channelFrequency, pairChannel,
// subbottomChannel, channelSamples and channelDuration, and leaves the file
// behind the last record the sample count pass read and pingCount at the
// sonar pings it counted. An entry of an unrecognised type is told to
// `events` as it is met, and taken for a subbottom channel. A refused file
// fills no table.
//
// Sub-channel numbers of 8 or more, and an unrecognised entry whose source
// entry lies outside the table, are left out of the tables; only the first
// 8 channels of a ping are looked at.
SurveyResult surveySonarFile(ConverterContext* context, ConverterEvents& events);
