// What one input's conversion tells as it goes (its stage, the progress bar,
// every message the window shows) and how it ends. The batch's report shows
// it on stderr; a worker process sends it to the batch that started it.
#pragma once

#include "app/ui_texts.h"

#include <cstdint>
#include <string>

class JobReport {
 public:
  virtual ~JobReport() = default;
  // The job is under way: from here a stop leaves it unfinished.
  virtual void begun() = 0;
  virtual void counting() = 0;
  virtual void converting(unsigned long pings) = 0;
  virtual void progress(int percent) = 0;
  // "CAPTION: text" for a user; the window's boxes and the batch's refusals.
  virtual void message(const std::string& caption, const std::string& text) = 0;
  void error(const std::string& text) { message(ERROR_CAPTION, text); }
};

struct JobResult {
  bool converted = false;
  std::uint64_t traces = 0;
  std::uint64_t bytes = 0;
};

// Where the jobs of a batch report to, by their index in the plan. Any
// thread: a job's output is published on a thread of its own.
class BatchSink {
 public:
  virtual ~BatchSink() = default;
  virtual JobReport& job(int index) = 0;
  // Once per job, after everything its conversion reports.
  virtual void ended(int index, const JobResult& result) = 0;
  // --preview, after ended, for a converted job that was due a picture:
  // whether it got one.
  virtual void pictured(int index, bool made) = 0;
};
