// What passes between a batch and its worker processes. The batch greets
// each worker it starts, then sends jobs, and a stop when it is stopped; a
// worker sends what each job reports and how it ends, when it is ready for
// another job, and each temporary path before it writes there. One header
// line per message (a letter and numbers), names and texts as counted bytes
// behind it, so any byte of a path or a message passes unchanged.
#pragma once

#include "tools/veskconv_batch/batch_plan.h"
#include "tools/veskconv_batch/job_report.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace worker_protocol {

enum Kind : char {
  // batch to worker
  GREETING = 'H',
  JOB = 'J',
  STOP = 'S',
  // worker to batch
  BEGUN = 'B',
  COUNTING = 'C',
  CONVERTING = 'V',
  PROGRESS = 'P',
  MESSAGE = 'M',
  ENDED = 'E',
  PICTURED = 'F',
  READY = 'R',  // the job's conversion is over; its output is being put in place
  TEMPORARY = 'T',
  TEMPORARY_GONE = 'G',
};

std::string greeting();
std::string job(int index, const Job& job);
std::string stop();

std::string begun(int index);
std::string counting(int index);
std::string converting(int index, unsigned long pings);
std::string progress(int index, int percent);
std::string message(int index, const std::string& caption, const std::string& text);
std::string ended(int index, const JobResult& result);
std::string pictured(int index, bool made);
std::string ready(int index);
std::string temporary(const std::string& path, bool exists);

// One message: its letter, the numbers of its header line that are not byte
// counts, and the counted texts behind it.
struct Message {
  char kind = 0;
  std::vector<std::uint64_t> numbers;
  std::vector<std::string> texts;
  int index() const { return numbers.empty() ? -1 : static_cast<int>(numbers[0]); }
};

// Takes the complete messages from the front of buffer, leaving a partial
// one. False when the buffer holds something that is no message.
bool takeMessages(std::string& buffer, std::vector<Message>* messages);

// The greeting at the front of buffer, taken. Partial: *complete false.
// False when the buffer starts with anything else.
bool takeGreeting(std::string& buffer, bool* complete);

// A job message's job.
Job jobOf(const Message& message);

// A worker's sink: every report encoded and handed to send, whole, one at a
// time (reports come from the converting and the publishing thread). When
// send fails, lost is called, outside the sender's lock.
class ReportSender final : public BatchSink {
 public:
  using Send = std::function<bool(const std::string& bytes)>;
  ReportSender(Send send, std::function<void()> lost);
  ~ReportSender() override;
  JobReport& job(int index) override;
  void ended(int index, const JobResult& result) override { send(worker_protocol::ended(index, result)); }
  void pictured(int index, bool made) override { send(worker_protocol::pictured(index, made)); }
  void ready(int index) { send(worker_protocol::ready(index)); }
  void temporary(const std::string& path, bool exists) { send(worker_protocol::temporary(path, exists)); }

 private:
  class Entry;
  void send(const std::string& bytes);
  Send send_;
  std::function<void()> lost_;
  std::mutex mutex_;
  std::map<int, std::unique_ptr<Entry>> entries_;
};

}  // namespace worker_protocol
