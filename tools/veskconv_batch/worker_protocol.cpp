#include "tools/veskconv_batch/worker_protocol.h"

#include <cstdlib>

namespace worker_protocol {

namespace {

// Changes whenever the messages do: a worker of another build is not greeted.
constexpr std::uint64_t PROTOCOL_VERSION = 2;
// A header line is a letter and a few numbers; anything longer is no message.
constexpr std::size_t HEADER_LIMIT = 200;

// Per kind: how many numbers the header line holds, and how many of them,
// at its end, count the bytes of texts behind it.
struct Shape {
  std::size_t numbers;
  std::size_t texts;
};

bool shapeOf(char kind, Shape* shape) {
  switch (kind) {
    case GREETING:
      *shape = {1, 0};
      return true;
    case JOB:
      *shape = {5, 4};
      return true;
    case STOP:
      *shape = {0, 0};
      return true;
    case BEGUN:
    case COUNTING:
    case READY:
      *shape = {1, 0};
      return true;
    case CONVERTING:
    case PROGRESS:
    case PICTURED:
      *shape = {2, 0};
      return true;
    case MESSAGE:
      *shape = {3, 2};
      return true;
    case ENDED:
      *shape = {4, 0};
      return true;
    case TEMPORARY:
    case TEMPORARY_GONE:
      *shape = {1, 1};
      return true;
    default:
      return false;
  }
}

std::string encode(char kind, const std::vector<std::uint64_t>& numbers, const std::vector<std::string>& texts = {}) {
  std::string bytes(1, kind);
  for (const std::uint64_t number : numbers) bytes += ' ' + std::to_string(number);
  for (const std::string& text : texts) bytes += ' ' + std::to_string(text.size());
  bytes += '\n';
  for (const std::string& text : texts) bytes += text;
  return bytes;
}

std::uint64_t indexNumber(int index) { return static_cast<std::uint64_t>(index); }

}  // namespace

std::string greeting() { return encode(GREETING, {PROTOCOL_VERSION}); }

std::string job(int index, const Job& job) {
  return encode(JOB, {indexNumber(index)}, {job.input, job.output, job.picture, job.pictureRefusal});
}

std::string stop() { return encode(STOP, {}); }
std::string begun(int index) { return encode(BEGUN, {indexNumber(index)}); }
std::string counting(int index) { return encode(COUNTING, {indexNumber(index)}); }

std::string converting(int index, unsigned long pings) { return encode(CONVERTING, {indexNumber(index), pings}); }

std::string progress(int index, int percent) {
  return encode(PROGRESS, {indexNumber(index), static_cast<std::uint64_t>(percent < 0 ? 0 : percent)});
}

std::string message(int index, const std::string& caption, const std::string& text) {
  return encode(MESSAGE, {indexNumber(index)}, {caption, text});
}

std::string ended(int index, const JobResult& result) {
  return encode(ENDED, {indexNumber(index), result.converted ? 1u : 0u, result.traces, result.bytes});
}

std::string pictured(int index, bool made) { return encode(PICTURED, {indexNumber(index), made ? 1u : 0u}); }
std::string ready(int index) { return encode(READY, {indexNumber(index)}); }
std::string temporary(const std::string& path, bool exists) {
  return encode(exists ? TEMPORARY : TEMPORARY_GONE, {}, {path});
}

bool takeMessages(std::string& buffer, std::vector<Message>* messages) {
  while (!buffer.empty()) {
    const std::size_t lineEnd = buffer.find('\n');
    if (lineEnd == std::string::npos) return buffer.size() <= HEADER_LIMIT;
    Shape shape{};
    if (lineEnd > HEADER_LIMIT || !shapeOf(buffer[0], &shape)) return false;
    Message message;
    message.kind = buffer[0];
    std::vector<std::uint64_t> numbers;
    const char* at = buffer.c_str() + 1;
    const char* const end = buffer.c_str() + lineEnd;
    while (at < end) {
      if (*at != ' ' || at + 1 >= end || at[1] < '0' || at[1] > '9') return false;
      char* after = nullptr;
      numbers.push_back(std::strtoull(at + 1, &after, 10));
      at = after;
    }
    if (at != end || numbers.size() != shape.numbers) return false;
    std::size_t textBytes = 0;
    const std::size_t firstCount = shape.numbers - shape.texts;
    for (std::size_t i = firstCount; i < numbers.size(); ++i) {
      if (numbers[i] > buffer.max_size() - textBytes) return false;
      textBytes += numbers[i];
    }
    if (buffer.size() - lineEnd - 1 < textBytes) return true;
    std::size_t textAt = lineEnd + 1;
    for (std::size_t i = firstCount; i < numbers.size(); ++i) {
      message.texts.push_back(buffer.substr(textAt, numbers[i]));
      textAt += numbers[i];
    }
    numbers.resize(firstCount);
    message.numbers = std::move(numbers);
    messages->push_back(std::move(message));
    buffer.erase(0, textAt);
  }
  return true;
}

bool takeGreeting(std::string& buffer, bool* complete) {
  *complete = false;
  std::vector<Message> messages;
  const std::size_t lineEnd = buffer.find('\n');
  if (lineEnd == std::string::npos) return buffer.size() <= HEADER_LIMIT && (buffer.empty() || buffer[0] == GREETING);
  std::string line = buffer.substr(0, lineEnd + 1);
  if (!takeMessages(line, &messages) || messages.size() != 1 || messages[0].kind != GREETING ||
      messages[0].numbers[0] != PROTOCOL_VERSION) {
    return false;
  }
  buffer.erase(0, lineEnd + 1);
  *complete = true;
  return true;
}

Job jobOf(const Message& message) {
  Job job;
  if (message.texts.size() == 4) {
    job.input = message.texts[0];
    job.output = message.texts[1];
    job.picture = message.texts[2];
    job.pictureRefusal = message.texts[3];
  }
  return job;
}

class ReportSender::Entry final : public JobReport {
 public:
  Entry(ReportSender& sender, int index) : sender_(sender), index_(index) {}
  void begun() override { sender_.send(worker_protocol::begun(index_)); }
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

ReportSender::ReportSender(Send send, std::function<void()> lost) : send_(std::move(send)), lost_(std::move(lost)) {}

ReportSender::~ReportSender() = default;

JobReport& ReportSender::job(int index) {
  std::lock_guard<std::mutex> lock(mutex_);
  std::unique_ptr<Entry>& entry = entries_[index];
  if (!entry) entry = std::make_unique<Entry>(*this, index);
  return *entry;
}

void ReportSender::send(const std::string& bytes) {
  bool sent = false;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    sent = send_(bytes);
  }
  if (!sent && lost_) lost_();
}

}  // namespace worker_protocol
