// A worker process of --jobs (veskconv-batch --worker): greeted by the batch
// that started it, it converts the jobs that batch sends on its standard
// input, one after the other, and sends back on its standard output what
// each reports, each temporary path before it writes there, and when it is
// ready for the next. It stops when its batch sends a stop, and when its
// batch is gone. Main thread, once.
#pragma once

#include "tools/veskconv_batch/batch_options.h"

#include <string>
#include <vector>

// The exit status: 0 when its input ended, 2 when it was not greeted.
int runWorker(const BatchOptions& options);

// The arguments a batch starts its workers with.
std::vector<std::string> workerArguments(const BatchOptions& options);
