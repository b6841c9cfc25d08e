#include "tools/veskconv_batch/batch_report.h"

namespace {

// Carriage return, then erase to the end of the line.
constexpr const char* REDRAW = "\r\033[K";
constexpr double BYTES_PER_MB = 1e6;

}  // namespace

BatchReport::BatchReport(std::FILE* stream, bool terminal) : stream_(stream), terminal_(terminal) {}

void BatchReport::beginInput(const std::string& input) {
  input_ = input;
  stage_ = Stage::None;
  pings_ = 0;
  percent_ = 0;
}

void BatchReport::counting() {
  stage_ = Stage::Counting;
  percent_ = 0;
  draw();
}

void BatchReport::converting(unsigned long pings) {
  stage_ = Stage::Converting;
  pings_ = pings;
  percent_ = 0;
  draw();
}

void BatchReport::progress(int percent) {
  if (stage_ == Stage::None || percent <= percent_) return;
  percent_ = percent;
  draw();
}

void BatchReport::endInput(bool converted, const std::string& output) {
  closeLine(converted ? " -> " + output : std::string());
  stage_ = Stage::None;
}

void BatchReport::message(const std::string& caption, const std::string& text) {
  closeLine("");
  std::string line = text;
  for (char& c : line) {
    if (c == '\n') c = ' ';
  }
  std::fprintf(stream_, "%s: %s\n", caption.c_str(), line.c_str());
  std::fflush(stream_);
}

void BatchReport::error(const std::string& text) { message("ERROR", text); }

void BatchReport::note(const std::string& text) { message(input_, text); }

void BatchReport::summary(int converted, int inputs, std::uint64_t traces, std::uint64_t bytes, double seconds) {
  const double rate = seconds > 0.0 ? static_cast<double>(bytes) / BYTES_PER_MB / seconds : 0.0;
  std::fprintf(stream_, "%d of %d files converted, %llu traces, %llu bytes, %.2f s, %.1f MB/s\n", converted, inputs,
               static_cast<unsigned long long>(traces), static_cast<unsigned long long>(bytes), seconds, rate);
  std::fflush(stream_);
}

std::string BatchReport::lineText() const {
  if (stage_ == Stage::Counting) return input_ + ": counting pings " + std::to_string(percent_) + "%";
  return input_ + ": " + std::to_string(pings_) + " pings, " + std::to_string(percent_) + "%";
}

void BatchReport::draw() {
  if (!terminal_) return;
  std::fprintf(stream_, "%s%s", REDRAW, lineText().c_str());
  std::fflush(stream_);
  drawn_ = true;
}

// A conversion's line stays, ended; a count's line is wiped, it said nothing lasting.
void BatchReport::closeLine(const std::string& suffix) {
  if (stage_ == Stage::Converting) {
    std::fprintf(stream_, "%s%s%s\n", terminal_ ? REDRAW : "", lineText().c_str(), suffix.c_str());
  } else if (drawn_) {
    std::fputs(REDRAW, stream_);
  }
  std::fflush(stream_);
  drawn_ = false;
  stage_ = Stage::None;
}
