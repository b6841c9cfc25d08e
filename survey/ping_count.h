// The ping count scan: after the survey the Scanner thread reads the rest of
// the VSK file, counting its sonar pings; only a file it reads to a clean end
// is accepted for conversion.
#pragma once

#include "vsktools/vsk_reader.h"

class ConverterEvents;
struct ConverterContext;

// Scanner thread, from CMD_SCANNER_RUN until its answer: needs sonarFileSize
// and progressPercent (0) set. Steps over records from where the survey
// stopped to the end, adding the sonar pings to pingCount and telling
// `events` the progress whenever the whole percentage changes. Returns the
// reader's first nonzero result: VSK_END_OF_FILE for a clean end, where
// sonarFileSize becomes the size counted (a survey may grow while it is
// counted).
int countPings(ConverterContext* context, ConverterEvents& events);
