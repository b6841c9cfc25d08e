#include "core/selection_search.h"

#include "core/converter_context.h"
#include "core/sonar_records.h"

namespace {

// Located channels come first in channelData; the rest are nullptr.
int locatedChannels(const ConverterContext* context) {
  int count = 0;
  while (count < MAX_CHANNELS && context->channelData[count] != nullptr) ++count;
  return count;
}

}  // namespace

bool isPairSelection(int channelSelection) {
  return channelSelection >= SELECTION_FIRST_PAIR && channelSelection < SELECTION_SUBBOTTOM;
}

int findSelection(const ConverterContext* context) {
  const int count = locatedChannels(context);
  const bool pair = isPairSelection(context->channelSelection);
  int found = -1;
  for (int position = 0; position < count; ++position) {
    if (channelNumber(context->channelData[position]) != context->selectedChannel) continue;
    found = position;
    if (pair &&
        (position + 1 >= count || channelNumber(context->channelData[position + 1]) != context->selectedChannel + 1)) {
      found = -1;
    }
  }
  return found;
}

bool firstTraceReversed(const ConverterContext* context, int position) {
  if (context->reverseSamples != 0) return true;
  const bool portChannel = entryType(channelEntry(context->fileHeader, position)) == vsk::TYPE_PORT;
  return portChannel && context->channelSelection >= SELECTION_FIRST_PAIR &&
         context->channelSelection <= SELECTION_SUBBOTTOM;
}
