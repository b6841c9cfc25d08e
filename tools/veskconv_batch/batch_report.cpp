#include "tools/veskconv_batch/batch_report.h"

#include "tools/veskconv_batch/batch_texts.h"

namespace {

// Carriage return, then erase to the end of the line.
constexpr const char* REDRAW = "\r\033[K";
constexpr const char* STATUS_SEPARATOR = " | ";
constexpr double BYTES_PER_MB = 1e6;

}  // namespace

class BatchReport::Entry final : public JobReport {
 public:
  Entry(BatchReport& report, int index) : report_(report), index_(index) {}
  void begun() override {
    std::lock_guard<std::mutex> lock(report_.mutex_);
    begunAt = true;
  }
  void counting() override { report_.update(index_, Stage::Counting, 0, 0); }
  void converting(unsigned long count) override { report_.update(index_, Stage::Converting, count, 0); }
  void progress(int value) override { report_.update(index_, Stage::Waiting, 0, value); }
  void message(const std::string& caption, const std::string& text) override { report_.message(caption, text); }

  Stage stage = Stage::Waiting;
  bool begunAt = false;
  unsigned long pings = 0;
  int percent = 0;

 private:
  BatchReport& report_;
  int index_;
};

BatchReport::BatchReport(std::FILE* stream, bool terminal, const std::vector<Job>& jobs)
    : stream_(stream), terminal_(terminal), jobs_(jobs) {
  for (int index = 0; index < static_cast<int>(jobs.size()); ++index) {
    entries_.push_back(std::make_unique<Entry>(*this, index));
  }
}

BatchReport::~BatchReport() = default;

JobReport& BatchReport::job(int index) { return *entries_.at(static_cast<std::size_t>(index)); }

// Stage::Waiting here means "the stage stays, only the percentage moves".
void BatchReport::update(int index, Stage stage, unsigned long pings, int percent) {
  std::lock_guard<std::mutex> lock(mutex_);
  Entry& entry = *entries_[static_cast<std::size_t>(index)];
  if (stage != Stage::Waiting) {
    entry.stage = stage;
    entry.pings = pings;
    entry.percent = 0;
  } else if (entry.stage == Stage::Counting || entry.stage == Stage::Converting) {
    if (percent <= entry.percent) return;
    entry.percent = percent;
  } else {
    return;
  }
  drawStatus();
}

void BatchReport::message(const std::string& caption, const std::string& text) {
  std::string line = caption + ": " + text;
  for (char& c : line) {
    if (c == '\n') c = ' ';
  }
  std::lock_guard<std::mutex> lock(mutex_);
  writeLasting(line);
}

void BatchReport::ended(int index, const JobResult& result) {
  std::lock_guard<std::mutex> lock(mutex_);
  Entry& entry = *entries_[static_cast<std::size_t>(index)];
  const bool wasConverting = entry.stage == Stage::Converting;
  const std::string line = lineOf(index);
  entry.stage = Stage::Ended;
  if (result.converted) {
    ++converted_;
    traces_ += result.traces;
    bytes_ += result.bytes;
    writeLasting(line + " -> " + jobs_[static_cast<std::size_t>(index)].output);
  } else if (wasConverting) {
    writeLasting(line);  // how far it came stays; a count said nothing lasting
  } else {
    drawStatus();
  }
}

void BatchReport::pictured(int /*index*/, bool made) {
  if (made) return;
  std::lock_guard<std::mutex> lock(mutex_);
  ++picturesMissing_;
}

int BatchReport::picturesMissing() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return picturesMissing_;
}

int BatchReport::converted() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return converted_;
}

void BatchReport::stopped() {
  std::lock_guard<std::mutex> lock(mutex_);
  for (int index = 0; index < static_cast<int>(entries_.size()); ++index) {
    const Entry& entry = *entries_[static_cast<std::size_t>(index)];
    if (entry.stage == Stage::Ended) continue;
    const bool begun = entry.begunAt || entry.stage != Stage::Waiting;
    const std::string& input = jobs_[static_cast<std::size_t>(index)].input;
    writeLasting(formatted(begun ? STOPPED_UNFINISHED : NOT_STARTED, input.c_str()));
  }
  if (terminal_ && drawn_) std::fputs(REDRAW, stream_);
  std::fflush(stream_);
  closed_ = true;
}

void BatchReport::summary(double seconds) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (closed_) return;
  const double rate = seconds > 0.0 ? static_cast<double>(bytes_) / BYTES_PER_MB / seconds : 0.0;
  std::fprintf(stream_, "%d of %zu files converted, %llu traces, %llu bytes, %.2f s, %.1f MB/s\n", converted_,
               jobs_.size(), static_cast<unsigned long long>(traces_), static_cast<unsigned long long>(bytes_), seconds,
               rate);
  std::fflush(stream_);
}

std::string BatchReport::lineOf(int index) const {
  const Entry& entry = *entries_[static_cast<std::size_t>(index)];
  const std::string& input = jobs_[static_cast<std::size_t>(index)].input;
  if (entry.stage == Stage::Counting) return input + ": counting pings " + std::to_string(entry.percent) + "%";
  return input + ": " + std::to_string(entry.pings) + " pings, " + std::to_string(entry.percent) + "%";
}

std::string BatchReport::statusLine() const {
  std::string status;
  for (int index = 0; index < static_cast<int>(entries_.size()); ++index) {
    const Stage stage = entries_[static_cast<std::size_t>(index)]->stage;
    if (stage != Stage::Counting && stage != Stage::Converting) continue;
    if (!status.empty()) status += STATUS_SEPARATOR;
    status += lineOf(index);
  }
  return status;
}

void BatchReport::writeLasting(const std::string& line) {
  if (closed_) return;
  std::fprintf(stream_, "%s%s\n", terminal_ && drawn_ ? REDRAW : "", line.c_str());
  drawn_ = false;
  drawStatus();
  std::fflush(stream_);
}

void BatchReport::drawStatus() {
  if (!terminal_ || closed_) return;
  const std::string status = statusLine();
  if (status.empty()) {
    if (drawn_) std::fputs(REDRAW, stream_);
    drawn_ = false;
  } else {
    std::fprintf(stream_, "%s%s", REDRAW, status.c_str());
    drawn_ = true;
  }
  std::fflush(stream_);
}
