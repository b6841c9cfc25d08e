// Every text the program shows, in one place: status line, message boxes,
// captions, the title and the dialogs. Formats take their arguments in the
// order written beside them. Status texts begin with a blank.
#pragma once

// Window title: TITLE_FORMAT with PROGRAM_NAME and PROGRAM_PURPOSE.
inline constexpr const char* TITLE_FORMAT = "%s - %s";
inline constexpr const char* PROGRAM_NAME = "VESKCONV";
inline constexpr const char* PROGRAM_PURPOSE = "VSK to SEGY file format conversion tool";
inline constexpr const char* WINDOW_CLASS_NAME = "VESKCONV";

// Status line (control 1720)
inline constexpr const char* STATUS_READY = " Ready";
inline constexpr const char* STATUS_INITIALIZING = " Initializing";
inline constexpr const char* STATUS_QUITTING = " Quitting";
inline constexpr const char* STATUS_SELECTING_SONAR_FILE = " Selecting VSK File";
inline constexpr const char* STATUS_OPENING_SONAR_FILE = " Opening VSK File";
inline constexpr const char* STATUS_SELECTING_SEGY_FILE = " Selecting SEG File";
inline constexpr const char* STATUS_OPENING_SEGY_FILE = " Opening SEG File";
inline constexpr const char* STATUS_CHECKING_SEGY_FILE = " Checking SEG file";
inline constexpr const char* STATUS_CHECKING_SONAR_FILE = " Checking VSK file";
inline constexpr const char* STATUS_CONVERTING = " Converting VSK file to SEG file";
inline constexpr const char* NO_DATA = "No Data";  // a sonar ping without the chosen channels

// Ping count field (control 1725)
inline constexpr const char* PING_COUNT_WAIT = "please wait";
inline constexpr const char* PING_COUNT_FORMAT = " %lu (sonar/subbottom) ";  // pingCount

// Processing information fields while the option is off
inline constexpr const char* PROCESSING_INFO_OFF = "ND";

// Channel list (control 1721), one piece per present sub-channel
inline constexpr const char* CHANNEL_LIST_SUBBOTTOM = "(%d) SUBBOTTOM\n";     // sub-channel + 1
inline constexpr const char* CHANNEL_LIST_PORT = "(%d) PORT %.0fkHz - ";      // sub-channel + 1, kHz
inline constexpr const char* CHANNEL_LIST_STARBOARD = "(%d) STBD %.0fkHz\n";  // sub-channel + 1, kHz

// Message boxes
inline constexpr const char* ERROR_CAPTION = "ERROR";
inline constexpr const char* CHANNEL_TYPE_CAPTION = "Channel type";
inline constexpr const char* UNRECOGNIZED_CHANNEL_TYPE =
    "Unrecognized file type in channel %d.  Assuming subbottom.";                                     // position + 1
inline constexpr const char* SONAR_HEADER_ERROR = "Error reading [%s] header.";                       // sonarFileName
inline constexpr const char* SONAR_DATA_ERROR = "Error reading [%s] data.";                           // sonarFileName
inline constexpr const char* SONAR_FILE_REFUSED = "The file [%s] does't match VSK specifications.";   // sonarFileName
inline constexpr const char* SONAR_OPEN_ERROR = "Error opening file [%s].\nCheck for IN USE state.";  // sonarFileName
inline constexpr const char* SEGY_OPEN_ERROR =
    "Error opening file [%s].\nCheck for WRITE PROTECT or IN USE state.";  // segyFileName
inline constexpr const char* FILES_MISSING = "VSK and/or SEG file are missing or unavailable.";
inline constexpr const char* NO_CHANNELS_SELECTED = "There is no channels selected for processing.";
inline constexpr const char* CHANNEL_SET_NOT_IN_FILE =
    "The chosen channel set is not in the file [%s].";  // sonarFileName
inline constexpr const char* CONVERSION_WRITE_ERROR =
    "Error writing file [%s].\nCheck for DISK FULL or WRITE PROTECT state.\nThe SEG file was emptied.";  // segyFileName
inline constexpr const char* CONVERSION_READ_ERROR =
    "Error reading file [%s] during the conversion.\nThe SEG file was emptied.";  // sonarFileName
inline constexpr const char* CONVERSION_NO_TRACES_ERROR =
    "No sonar ping of [%s] holds the chosen channels.\nThe SEG file holds no trace; it was emptied.";  // sonarFileName
inline constexpr const char* CONVERSION_MEMORY_ERROR =
    "Not enough memory to convert [%s].\nThe SEG file was emptied.";  // sonarFileName
inline constexpr const char* SETTINGS_WRITE_ERROR =
    "Error writing file [%s].\nThe settings of this run were not saved.";  // the settings file's path

// File dialogs: each filter is its display text and pattern, each ended by a
// terminator, and one more terminator after the last.
inline constexpr const char SONAR_FILE_FILTER[] = "Vesk Sonar Format (*.VSK)\0*.VSK\0";
inline constexpr const char SEGY_FILE_FILTER[] = "SEGY Files (*.SEG)\0*.SEG\0";
inline constexpr const char* SONAR_FILE_EXTENSION = "VSK";
inline constexpr const char* SEGY_FILE_EXTENSION = "SEG";
inline constexpr const char* SONAR_DIALOG_TITLE = "Select VSK file";
inline constexpr const char* SEGY_DIALOG_TITLE = "Select SEGY file";
