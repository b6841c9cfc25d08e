// --jobs N: the batch's jobs converted by N worker processes at once (this
// same program, started with --worker), each running the window's logic as a
// single batch does. Their reports reach the batch's one report; refused jobs
// never leave the batch. Main thread.
#pragma once

#include "tools/veskconv_batch/batch_options.h"
#include "tools/veskconv_batch/batch_plan.h"
#include "tools/veskconv_batch/job_report.h"

#include <vector>

// False when the workers could not be started (then nothing was converted).
bool convertInWorkers(const BatchOptions& options, const std::vector<Job>& jobs, BatchSink& sink, int workers);

// The worker's side: jobs from stdin, reports to stdout, until stdin ends.
int runWorker(const BatchOptions& options);
