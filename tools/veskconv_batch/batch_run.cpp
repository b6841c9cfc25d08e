#include "tools/veskconv_batch/batch_run.h"

#include "platform/profile.h"
#include "tools/veskconv_batch/batch_plan.h"
#include "tools/veskconv_batch/batch_report.h"
#include "tools/veskconv_batch/interruption.h"
#include "tools/veskconv_batch/job_runner.h"
#include "tools/veskconv_batch/worker.h"
#include "tools/veskconv_batch/worker_pool.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>

namespace {

// --info, and a batch that one process does best: every job here, in order.
int runHere(const BatchOptions& options, const std::vector<Job>& jobs, BatchReport& report) {
  JobRunner runner(options, report);
  int accepted = 0;
  for (int index = 0; index < static_cast<int>(jobs.size()); ++index) {
    if (options.info) {
      if (runner.describe(index, jobs[static_cast<std::size_t>(index)])) ++accepted;
    } else {
      runner.convert(index, jobs[static_cast<std::size_t>(index)]);
    }
  }
  runner.finish();
  return accepted;
}

}  // namespace

int runBatch(const BatchOptions& options) {
  if (options.worker) return runWorker(options);
  watchForInterruption(ProcessRole::Batch);
  disableProfileFiles();
  const auto started = std::chrono::steady_clock::now();
  const std::vector<Job> jobs = planJobs(options);
  BatchReport report(stderr, ::isatty(STDERR_FILENO) != 0, jobs);
  onInterrupted([&report] { report.stopped(); });
  const int workers = std::min(options.jobs, static_cast<int>(jobs.size()));
  int done = 0;
  if (options.info) {
    done = runHere(options, jobs, report);
  } else {
    if (workers <= 1 || !convertInWorkers(options, jobs, report, workers)) runHere(options, jobs, report);
    done = report.converted();
    report.summary(std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count());
    if (report.picturesMissing() > 0) done = -1;
  }
  onInterrupted({});
  return done == static_cast<int>(jobs.size()) ? EXIT_ALL_CONVERTED : EXIT_SOME_FAILED;
}
