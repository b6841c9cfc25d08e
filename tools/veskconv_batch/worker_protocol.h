// What passes between a batch and its worker processes. The batch sends
// jobs; a worker sends what each job reports and how it ends. One header line
// per message, names and texts as counted bytes behind it, so any byte of a
// path or a message passes unchanged.
#pragma once

#include "tools/veskconv_batch/batch_plan.h"
#include "tools/veskconv_batch/job_report.h"

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace worker_protocol {

std::string job(int index, const Job& job);
std::string counting(int index);
std::string converting(int index, unsigned long pings);
std::string progress(int index, int percent);
std::string message(int index, const std::string& caption, const std::string& text);
std::string ended(int index, const JobResult& result);
std::string pictured(int index, bool made);

struct JobMessage {
  int index = -1;
  Job job;
};

// Take the complete messages from the front of buffer, leaving a partial one.
// False when the buffer holds something that is no message.
bool takeJobs(std::string& buffer, std::vector<JobMessage>* jobs);
// Each report goes to sink; *endedJobs collects the jobs that are done with
// (ended, and pictured when a picture was due). A job index outside
// [0, jobs.size()) is no message.
bool takeReports(std::string& buffer, BatchSink& sink, const std::vector<Job>& jobs, std::vector<int>* doneJobs);

// A worker's sink: every report encoded and handed to send, whole, one at a
// time (reports come from the converting and the publishing thread).
class ReportSender final : public BatchSink {
 public:
  using Send = std::function<void(const std::string& bytes)>;
  explicit ReportSender(Send send);
  ~ReportSender() override;
  JobReport& job(int index) override;
  void ended(int index, const JobResult& result) override { send(worker_protocol::ended(index, result)); }
  void pictured(int index, bool made) override { send(worker_protocol::pictured(index, made)); }

 private:
  class Entry;
  void send(const std::string& bytes);
  Send send_;
  std::mutex mutex_;
  std::map<int, std::unique_ptr<Entry>> entries_;
};

}  // namespace worker_protocol
