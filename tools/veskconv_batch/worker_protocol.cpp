#include "tools/veskconv_batch/worker_protocol.h"

#include <sstream>

namespace worker_protocol {

namespace {

constexpr char JOB = 'J';
constexpr char COUNTING = 'C';
constexpr char CONVERTING = 'V';
constexpr char PROGRESS = 'P';
constexpr char MESSAGE = 'M';
constexpr char ENDED = 'E';
constexpr char PICTURED = 'F';

std::string header(char kind, int index) { return std::string(1, kind) + ' ' + std::to_string(index); }

// One message at the front of buffer: its header's fields and the counted
// bytes behind it. Partial when the buffer does not hold it all yet.
struct Frame {
  bool complete = false;
  bool valid = true;
  char kind = 0;
  std::istringstream fields;
  std::string payload;
  std::size_t length = 0;
};

// Frames whose header ends in byte counts carry that many bytes behind it.
bool readFrame(const std::string& buffer, Frame& frame, std::size_t payloadCounts) {
  const std::size_t lineEnd = buffer.find('\n');
  if (lineEnd == std::string::npos) return true;
  const std::string line = buffer.substr(0, lineEnd);
  if (line.empty()) {
    frame.valid = false;
    return false;
  }
  frame.kind = line[0];
  std::istringstream counts(line.substr(1));
  int index = 0;
  counts >> index;
  std::size_t payloadBytes = 0;
  for (std::size_t i = 0; i < payloadCounts; ++i) {
    std::size_t count = 0;
    if (!(counts >> count)) {
      frame.valid = false;
      return false;
    }
    payloadBytes += count;
  }
  if (buffer.size() < lineEnd + 1 + payloadBytes) return true;
  frame.fields.str(line.substr(1));
  frame.payload = buffer.substr(lineEnd + 1, payloadBytes);
  frame.length = lineEnd + 1 + payloadBytes;
  frame.complete = true;
  return true;
}

std::size_t payloadCountsOf(char kind) {
  if (kind == MESSAGE) return 2;
  if (kind == JOB) return 4;
  return 0;
}

}  // namespace

std::string job(int index, const Job& job) {
  return header(JOB, index) + ' ' + std::to_string(job.input.size()) + ' ' + std::to_string(job.output.size()) +
         ' ' + std::to_string(job.picture.size()) + ' ' + std::to_string(job.pictureRefusal.size()) + '\n' +
         job.input + job.output + job.picture + job.pictureRefusal;
}

std::string counting(int index) { return header(COUNTING, index) + '\n'; }

std::string converting(int index, unsigned long pings) {
  return header(CONVERTING, index) + ' ' + std::to_string(pings) + '\n';
}

std::string progress(int index, int percent) { return header(PROGRESS, index) + ' ' + std::to_string(percent) + '\n'; }

std::string message(int index, const std::string& caption, const std::string& text) {
  return header(MESSAGE, index) + ' ' + std::to_string(caption.size()) + ' ' + std::to_string(text.size()) + '\n' +
         caption + text;
}

std::string pictured(int index, bool made) { return header(PICTURED, index) + ' ' + (made ? "1" : "0") + '\n'; }

std::string ended(int index, const JobResult& result) {
  return header(ENDED, index) + ' ' + (result.converted ? "1" : "0") + ' ' + std::to_string(result.traces) + ' ' +
         std::to_string(result.bytes) + '\n';
}

bool takeJobs(std::string& buffer, std::vector<JobMessage>* jobs) {
  while (!buffer.empty()) {
    Frame frame;
    if (!readFrame(buffer, frame, payloadCountsOf(buffer[0])) || !frame.valid) return false;
    if (!frame.complete) return true;
    if (frame.kind != JOB) return false;
    JobMessage message;
    std::size_t bytes[4] = {};
    if (!(frame.fields >> message.index >> bytes[0] >> bytes[1] >> bytes[2] >> bytes[3])) return false;
    std::string* fields[4] = {&message.job.input, &message.job.output, &message.job.picture,
                              &message.job.pictureRefusal};
    std::size_t at = 0;
    for (int i = 0; i < 4; ++i) {
      *fields[i] = frame.payload.substr(at, bytes[i]);
      at += bytes[i];
    }
    jobs->push_back(std::move(message));
    buffer.erase(0, frame.length);
  }
  return true;
}

bool takeReports(std::string& buffer, BatchSink& sink, const std::vector<Job>& jobs, std::vector<int>* doneJobs) {
  const auto jobCount = static_cast<int>(jobs.size());
  while (!buffer.empty()) {
    Frame frame;
    if (!readFrame(buffer, frame, payloadCountsOf(buffer[0])) || !frame.valid) return false;
    if (!frame.complete) return true;
    int index = -1;
    if (!(frame.fields >> index) || index < 0 || index >= jobCount) return false;
    switch (frame.kind) {
      case COUNTING:
        sink.job(index).counting();
        break;
      case CONVERTING: {
        unsigned long pings = 0;
        if (!(frame.fields >> pings)) return false;
        sink.job(index).converting(pings);
        break;
      }
      case PROGRESS: {
        int percent = 0;
        if (!(frame.fields >> percent)) return false;
        sink.job(index).progress(percent);
        break;
      }
      case MESSAGE: {
        std::size_t captionBytes = 0;
        if (!(frame.fields >> captionBytes) || captionBytes > frame.payload.size()) return false;
        sink.job(index).message(frame.payload.substr(0, captionBytes), frame.payload.substr(captionBytes));
        break;
      }
      case ENDED: {
        int converted = 0;
        JobResult result;
        if (!(frame.fields >> converted >> result.traces >> result.bytes)) return false;
        result.converted = converted != 0;
        sink.ended(index, result);
        if (!result.converted || jobs[static_cast<std::size_t>(index)].picture.empty()) doneJobs->push_back(index);
        break;
      }
      case PICTURED: {
        int made = 0;
        if (!(frame.fields >> made)) return false;
        sink.pictured(index, made != 0);
        doneJobs->push_back(index);
        break;
      }
      default:
        return false;
    }
    buffer.erase(0, frame.length);
  }
  return true;
}

class ReportSender::Entry final : public JobReport {
 public:
  Entry(ReportSender& sender, int index) : sender_(sender), index_(index) {}
  void counting() override { sender_.send(worker_protocol::counting(index_)); }
  void converting(unsigned long pings) override { sender_.send(worker_protocol::converting(index_, pings)); }
  void progress(int percent) override { sender_.send(worker_protocol::progress(index_, percent)); }
  void message(const std::string& caption, const std::string& text) override {
    sender_.send(worker_protocol::message(index_, caption, text));
  }

 private:
  ReportSender& sender_;
  int index_;
};

ReportSender::ReportSender(Send send) : send_(std::move(send)) {}

ReportSender::~ReportSender() = default;

JobReport& ReportSender::job(int index) {
  std::lock_guard<std::mutex> lock(mutex_);
  std::unique_ptr<Entry>& entry = entries_[index];
  if (!entry) entry = std::make_unique<Entry>(*this, index);
  return *entry;
}

void ReportSender::send(const std::string& bytes) {
  std::lock_guard<std::mutex> lock(mutex_);
  send_(bytes);
}

}  // namespace worker_protocol
