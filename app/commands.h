// Every command id, in one place. They travel as window commands, thread
// messages to the workers, or deferred commands (a one-shot timer whose id
// is the command).
#pragma once

constexpr int CMD_CONVERTER_EXIT = 101;
constexpr int CMD_CONVERTER_RUN = 102;
constexpr int CMD_CONVERTER_GONE = 103;
constexpr int CMD_CONVERSION_DONE = 104;
constexpr int CMD_SCANNER_EXIT = 105;
constexpr int CMD_SCANNER_GONE = 106;
constexpr int CMD_SCANNER_RUN = 107;
constexpr int CMD_SCAN_DONE = 108;
constexpr int CMD_QUIT = 109;
constexpr int CMD_START_CONVERSION = 110;
constexpr int CMD_INITIALIZE = 111;
// 112: no handler
constexpr int CMD_SELECT_SONAR_FILE = 113;
constexpr int CMD_OPEN_SONAR_FILE = 114;
constexpr int CMD_SURVEY_SONAR_FILE = 115;
constexpr int CMD_COUNT_PINGS = 116;
constexpr int CMD_SHOW_PROCESSING_INFO = 117;
// 118: no handler
constexpr int CMD_PREPARE_CONVERSION = 119;
constexpr int CMD_UPDATE_CHANNEL_SETS = 120;
constexpr int CMD_SELECT_SEGY_FILE = 121;
constexpr int CMD_OPEN_SEGY_FILE = 122;
constexpr int CMD_SEGY_FILE_READY = 123;
constexpr int CMD_SHOW_CHANNEL_SELECTION = 124;
constexpr int CMD_SHOW_BYTE_ORDER = 125;
constexpr int CMD_SHOW_COORDINATE_SOURCE = 126;
constexpr int CMD_TAKE_GIVEN_SONAR_FILE = 127;  // the survey named on the command line
