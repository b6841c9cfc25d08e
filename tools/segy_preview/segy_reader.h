// Reads back a SEG-Y file as this system writes it: the 3200-byte text
// header, the 400-byte binary header, then traces of a 240-byte header and
// 16-bit two's-complement samples (format code 3), all in one byte order,
// which the format code's own bytes tell. The file is streamed: samples come
// in pieces of the caller's size, so memory does not grow with the file or
// with the trace length. Any thread; one reader is used by one thread at a
// time.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

// No ping holds more channels, so no record holds more traces.
constexpr std::uint32_t MAX_TRACES_PER_RECORD = 8;

struct SegyLayout {
  bool bigEndian = false;
  std::uint32_t tracesPerRecord = 0;  // 1 to MAX_TRACES_PER_RECORD
  std::uint32_t samplesPerTrace = 0;  // above 0
  std::uint64_t traceCount = 0;       // a whole number of records
  std::uint64_t recordCount() const { return traceCount / tracesPerRecord; }
};

// The fields of a trace header that place the trace.
struct SegyTrace {
  std::int32_t fieldRecord = 0;  // SEG-Y bytes 9-12: the sonar ping's number
  std::int32_t traceNumber = 0;  // bytes 13-16: 1 to tracesPerRecord
};

class SegyReader {
 public:
  SegyReader();
  ~SegyReader();
  SegyReader(const SegyReader&) = delete;
  SegyReader& operator=(const SegyReader&) = delete;

  // Opens the file and checks its binary header, and its size against the
  // layout that the header states. False, with problem(), when it does not
  // read as such a file.
  //
  // The headers hold only the low 16 bits of the sample count, and the text
  // header at most its first 6 digits: a longer count is taken from the
  // file's size. An empty file (a conversion that met no sonar ping writes
  // nothing) reads as one without traces.
  bool open(const std::string& path);
  const SegyLayout& layout() const { return layout_; }

  // The next trace's header, checked against the layout and its place in
  // the file. Needs every sample of the trace before it read. False at the
  // end of the file (problem() stays empty) or on a fault.
  bool nextTrace(SegyTrace* trace);
  // The next `count` samples of the current trace, in the host's order;
  // count must not exceed what is left of the trace. False on a fault.
  bool readSamples(std::int16_t* samples, std::size_t count);

  // Empty while nothing went wrong; else one line naming the file.
  const std::string& problem() const { return problem_; }

 private:
  bool fail(std::string problem);
  std::uint32_t samplesPerTrace(const unsigned char* reelHeader, std::uint64_t fileSize) const;
  bool readExactly(void* bytes, std::size_t count);

  std::string path_;
  std::FILE* file_ = nullptr;
  std::vector<char> buffer_;
  SegyLayout layout_;
  std::uint64_t tracesRead_ = 0;
  std::uint64_t samplesLeft_ = 0;  // of the current trace
  std::int32_t recordField_ = 0;   // field record number of the current record
  std::string problem_;
};
