// Converts jobs in this process, one after the other, each through one run
// of the program on the headless front end, and hands each finished output
// to the publisher. Main thread; one runner per process (the program's state
// is one static instance).
#pragma once

#include "platform/headless/headless_front_end.h"
#include "tools/veskconv_batch/batch_options.h"
#include "tools/veskconv_batch/batch_plan.h"
#include "tools/veskconv_batch/job_report.h"
#include "tools/veskconv_batch/output_publisher.h"

class WindowSession;

class JobRunner {
 public:
  JobRunner(const BatchOptions& options, BatchSink& sink);

  // The job's end reaches the sink now, or once its output is in place.
  void convert(int index, const Job& job);
  // --info: the survey's count and channels on stdout; true when accepted.
  bool describe(int index, const Job& job);
  // Every output in place and its folder synced.
  void finish() { publisher_.finish(); }

 private:
  bool mayConvert(JobReport& report, const Job& job);
  void convertThroughWindow(int index, const Job& job);
  bool convertIn(WindowSession& session, JobReport& report, const Job& job);
  void end(WindowSession& session, JobReport& report, const std::string& input);

  const BatchOptions& options_;
  BatchSink& sink_;
  HeadlessFrontEnd ui_;
  OutputPublisher publisher_;
};
