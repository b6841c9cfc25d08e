#include "core/trace_output.h"

#include "core/conversion_engine.h"
#include "core/converter_context.h"
#include "platform/files.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

// The buffer holds 16-bit values: the samples, and the headers between them.
constexpr std::size_t SAMPLE_BYTES = segy::SAMPLE_BYTES;
static_assert(SAMPLE_BYTES == sizeof(std::uint16_t));
// Large enough that the write calls no longer count, small enough to stay in cache.
constexpr std::size_t GATHERED_BYTES = std::size_t{1} << 20;
// WriteFile counts in 32 bits; larger pieces go out in parts.
constexpr std::uint64_t LARGEST_WRITE = std::uint64_t{1} << 30;

std::size_t traceBytes(const ConverterContext* context) {
  return TRACE_HEADER_BYTES + std::size_t{context->samplesPerTrace} * SAMPLE_BYTES;
}

std::size_t capacityBytes(const ConverterContext* context) {
  return std::size_t{context->traceSamplesCapacity} * SAMPLE_BYTES;
}

}  // namespace

bool writeOutput(ConverterContext* context, const void* data, std::uint64_t bytes) {
  const auto* at = static_cast<const unsigned char*>(data);
  while (bytes > 0) {
    const auto piece = static_cast<DWORD>(std::min(bytes, LARGEST_WRITE));
    DWORD written = 0;
    const BOOL ok = WriteFile(context->segyFile, at, piece, &written, nullptr);
    context->bytesWritten += written;
    if (ok == FALSE || written != piece) {
      context->conversionOutcome = CONVERSION_WRITE_FAILED;
      context->conversionError = ok == FALSE ? static_cast<long>(GetLastError()) : static_cast<long>(ERROR_DISK_FULL);
      context->conversionStep = STEP_FINISH;
      return false;
    }
    at += piece;
    bytes -= piece;
  }
  return true;
}

bool makeRoomForTraces(ConverterContext* context, TraceOutput& output, int traces) {
  const std::size_t needed = traceBytes(context) * static_cast<std::size_t>(traces);
  if (context->traceSamples == nullptr || capacityBytes(context) < needed) {
    if (!flushTraces(context, output)) return false;
    const std::size_t grown = std::max(needed, GATHERED_BYTES);
    // Capacity is counted in 16-bit values; every trace is a whole number of them.
    const std::size_t values = grown / SAMPLE_BYTES;
    void* buffer = values > UINT32_MAX ? nullptr : std::realloc(context->traceSamples, values * SAMPLE_BYTES);
    if (buffer == nullptr) {
      context->conversionOutcome = CONVERSION_OUT_OF_MEMORY;
      context->conversionStep = STEP_FINISH;
      return false;
    }
    context->traceSamples = static_cast<std::uint16_t*>(buffer);
    context->traceSamplesCapacity = static_cast<std::uint32_t>(values);
  }
  if (output.pendingBytes + needed > capacityBytes(context)) return flushTraces(context, output);
  return true;
}

std::uint16_t* stageTrace(ConverterContext* context, TraceOutput& output) {
  auto* trace = reinterpret_cast<unsigned char*>(context->traceSamples) + output.pendingBytes;
  std::memcpy(trace, context->headerBuffer + REEL_HEADER_BYTES, TRACE_HEADER_BYTES);
  output.pendingBytes += traceBytes(context);
  ++output.pendingTraces;
  return reinterpret_cast<std::uint16_t*>(trace + TRACE_HEADER_BYTES);
}

bool flushTraces(ConverterContext* context, TraceOutput& output) {
  if (output.pendingBytes == 0) return true;
  const bool written = writeOutput(context, context->traceSamples, output.pendingBytes);
  if (written) context->tracesWritten += output.pendingTraces;
  output = TraceOutput{};
  return written;
}
