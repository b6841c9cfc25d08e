#include "survey/ping_count.h"

#include "core/converter_context.h"
#include "core/converter_events.h"
#include "platform/files.h"
#include "vsktools/vsk_layout.h"
#include "vsktools/vsk_reader.h"

int countPings(ConverterContext* context, ConverterEvents& events) {
  for (;;) {
    // Only each record's start is needed: the bodies are stepped over.
    int headerType = 0;
    const int result = SkipNextVSKData(context->sonarFile, &headerType);
    context->sonarFilePosition = filePosition64(context->sonarFile);
    if (result == VSK_END_OF_FILE) {
      // The conversion checks the survey against the bytes counted here,
      // even if it grew while it was counted.
      context->sonarFileSize = context->sonarFilePosition;
      return result;
    }
    if (result != VSK_OK) return result;
    if (headerType == vsk::HEADER_TYPE_PING) ++context->pingCount;
    reportProgress(context, events);
  }
}
