// The texts veskconv-batch adds to the window's own: its refusals, shown
// as "ERROR: text" like the window's boxes, and the lines of --info. Formats
// take their arguments in the order written beside them.
#pragma once

#include "tools/formatted_text.h"

inline constexpr const char* PROGRAM_TAG = "veskconv-batch";

inline constexpr const char* OUTPUT_IS_INPUT =
    "The output [%s] is the input [%s]; it is left as it was.";  // output, input
inline constexpr const char* OUTPUT_WRITTEN_BEFORE =
    "The output [%s] belongs to an earlier input; it is left as it was.";  // output
inline constexpr const char* SET_NOT_OFFERED =
    "The file [%s] has no channel set %s (it offers: %s).";  // input, set, sets
inline constexpr const char* NO_SETS = "none";
inline constexpr const char* NAME_TOO_LONG = "The file name [%s] is longer than %u bytes.";   // name, limit
inline constexpr const char* NAME_IS_FOLDER = "[%s] is a folder.";                            // name
inline constexpr const char* NAME_NOT_TAKEN = "The file dialog did not take [%s].";           // name
inline constexpr const char* NOT_REGULAR_FILE = "[%s] is not a regular file.";                // name
inline constexpr const char* OUTPUT_NOT_WRITABLE = "The output [%s] cannot be written: %s.";  // output, reason
inline constexpr const char* OUTPUT_NOT_PUT_IN_PLACE =
    "The output [%s] could not be put in place: %s. It is left as it was.";  // output, reason
inline constexpr const char* OUTPUT_LEFT_AS_IT_WAS =
    "The output [%s] was not written; it is left as it was.";  // output
inline constexpr const char* INTERRUPTED = "interrupted";
// A stop: each input not yet ended, once.
inline constexpr const char* STOPPED_UNFINISHED = "%s: stopped unfinished";  // input
inline constexpr const char* NOT_STARTED = "%s: not started";                // input
inline constexpr const char* WORKER_LOST =
    "The process converting [%s] ended before it was done (%s).";  // input, cause
inline constexpr const char* PICTURE_LOST =
    "The process drawing the picture of [%s] ended before it was done (%s).";  // SEG-Y file, cause
inline constexpr const char* CAUSE_SIGNAL = "signal %lu";
inline constexpr const char* CAUSE_STATUS = "exit status %lu";
inline constexpr const char* CAUSE_CODE = "exit code 0x%08lX";
inline constexpr const char* CAUSE_GARBLED = "it sent what is no report, and was ended";
inline constexpr const char* WORKER_OPTION = "--worker";  // how a batch starts its worker processes
inline constexpr const char* WORKER_NOT_GREETED =
    "--worker is for the processes veskconv-batch starts itself, and no batch greeted this one";
inline constexpr const char* OPTION_NOT_TAKEN = "The window did not take the option %s.";  // option
inline constexpr const char* RUN_DID_NOT_START = "The conversion of [%s] did not start.";  // input
inline constexpr const char* PROGRAM_DID_NOT_START = "The program could not start.";
inline constexpr const char* PROGRAM_DID_NOT_END =
    "The program did not come to its end after [%s]; the inputs after it were not converted.";  // input

// --preview: after the input's line, as "INPUT: text"; a failure as an error.
inline constexpr const char* PICTURE_WRITTEN = "picture %u x %u -> %s";              // width, height, picture
inline constexpr const char* PICTURE_NO_TRACES = "no picture: [%s] holds no trace";  // SEG-Y file
inline constexpr const char* PICTURE_IS_OUTPUT =
    "The picture [%s] would replace the SEG-Y file it shows; no picture was made.";  // picture
inline constexpr const char* PICTURE_NOT_A_FILE = "it is not a regular file";
inline constexpr const char* PICTURE_IS_FOLDER = "it is a folder";
inline constexpr const char* PICTURE_HELD = "another program holds it, or it is write-protected";
// After why a picture was not made, when one of an earlier run was there.
inline constexpr const char* EARLIER_PICTURE_REMOVED =
    "%s The picture [%s] of an earlier run was removed: it did not show this SEG-Y file.";  // why, picture

// --info: the input's name, then these lines.
inline constexpr const char* INFO_PING_COUNT = "  Ping Count : %s\n";  // the ping count field, blanks trimmed
inline constexpr const char* INFO_CHANNEL = "  %s\n";                  // one line of the channel list
inline constexpr const char* INFO_SETS = "  channel sets: %s\n";       // the sets offered, or NO_SETS
