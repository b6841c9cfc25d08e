#include "core/converter_events.h"

#include "core/converter_context.h"

#include <algorithm>

namespace {

constexpr std::uint64_t FULL_PERCENT = 100;

}  // namespace

void reportProgress(ConverterContext* context, ConverterEvents& events) {
  const std::uint64_t size = context->sonarFileSize;
  // An input that grew since its size was taken keeps the bar full.
  const auto percent =
      size == 0 ? 0 : static_cast<int>(std::min(context->sonarFilePosition * FULL_PERCENT / size, FULL_PERCENT));
  if (percent == context->progressPercent) return;
  context->progressPercent = percent;
  events.progressChanged(percent);
}
