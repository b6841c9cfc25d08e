// What the picture of a SEG-Y file says when it cannot be made: one line
// each, naming the file as "[%s]". Formats take their arguments in the order
// written beside them.
#pragma once

#include "tools/formatted_text.h"

inline constexpr const char* SEGY_UNREADABLE = "The file [%s] could not be read: %s.";               // file, reason
inline constexpr const char* SEGY_TOO_SHORT = "The file [%s] is shorter than a SEG-Y reel header.";  // file
inline constexpr const char* SEGY_NOT_16_BIT =
    "The file [%s] does not state 16-bit integer samples (sample format code %u).";  // file, code
inline constexpr const char* SEGY_TRACES_PER_RECORD =
    "The file [%s] states %u traces per record; 1 to %u can be shown.";                      // file, traces, limit
inline constexpr const char* SEGY_NO_SAMPLES = "The file [%s] states 0 samples per trace.";  // file
inline constexpr const char* SEGY_PARTIAL_TRACE =
    "The file [%s] ends inside trace %llu: it is not the reel header and whole traces of %u samples.";
// file, trace, samples
inline constexpr const char* SEGY_PARTIAL_RECORD =
    "The file [%s] ends inside record %llu: its %llu traces are not whole records of %u.";
// file, record, traces, traces per record
inline constexpr const char* SEGY_TRACE_NUMBER =
    "Trace %llu of [%s] has the trace number %d where %d belongs.";  // trace, file, found, expected
inline constexpr const char* SEGY_TRACE_SAMPLES =
    "Trace %llu of [%s] states %u samples; the binary header states %u.";  // trace, file, trace's, binary header's
inline constexpr const char* SEGY_RECORD_SPLIT =
    "Trace %llu of [%s] has the field record number %d; its record began with %d.";        // trace, file, found, first
inline constexpr const char* SEGY_ENDED_EARLY = "The file [%s] ended inside trace %llu.";  // file, trace
inline constexpr const char* PICTURE_NOT_WRITTEN = "The picture [%s] could not be written: %s.";  // picture, reason
