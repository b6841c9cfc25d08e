// The SEG-Y output of a run: checked writes, and whole traces gathered in
// the context's trace buffer (traceSamples) and written in large pieces, as
// small writes cost more than the conversion itself. The bytes in the file
// and their order are the same as trace by trace. Converter thread.
#pragma once

#include <cstddef>
#include <cstdint>

struct ConverterContext;

// What the trace buffer holds of one run and has not written yet.
struct TraceOutput {
  std::size_t pendingBytes = 0;
  std::uint32_t pendingTraces = 0;
};

// Writes everything, in 32-bit pieces where needed, counting bytesWritten.
// A failed or short write records CONVERSION_WRITE_FAILED and the error,
// sends the run to STEP_FINISH and returns false; the caller writes no more.
bool writeOutput(ConverterContext* context, const void* data, std::uint64_t bytes);

// Makes room in the trace buffer for `traces` traces of samplesPerTrace
// samples, growing the buffer (realloc, never shrinking) or writing what it
// holds. false, with the outcome recorded and the run sent to STEP_FINISH,
// when memory cannot be had (CONVERSION_OUT_OF_MEMORY) or a write failed.
bool makeRoomForTraces(ConverterContext* context, TraceOutput& output, int traces);

// Needs room made. Copies the trace header (headerBuffer bytes 3600 to 3839)
// into the buffer and returns where the trace's samplesPerTrace samples go.
std::uint16_t* stageTrace(ConverterContext* context, TraceOutput& output);

// Writes what the buffer holds; counts the traces in tracesWritten.
bool flushTraces(ConverterContext* context, TraceOutput& output);
