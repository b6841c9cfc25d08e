// --jobs N: the batch's jobs converted by up to N worker processes at once
// (this same program, started with --worker), each running the window's
// logic as a single batch does. Their reports reach the batch's one report;
// refused jobs never leave the batch.
//
// What a worker costs when it dies (a crash, an OOM kill, kill -9): only the
// input it was converting, reported failed with the cause; the jobs it had
// not begun, and those whose output it had not yet put in place, go to the
// other workers or to one started in its place (a job at most twice), and
// the batch removes what it left unfinished. One survey, under whatever
// names, is held by one worker at a time. A stop ends every worker within a
// few seconds, whatever it does. Main thread.
#pragma once

#include "tools/veskconv_batch/batch_options.h"
#include "tools/veskconv_batch/batch_plan.h"
#include "tools/veskconv_batch/job_report.h"

#include <vector>

// False when no worker could be started (then nothing was converted).
bool convertInWorkers(const BatchOptions& options, const std::vector<Job>& jobs, BatchSink& sink, int workers);
