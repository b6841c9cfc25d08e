// A whole batch: every input in turn through one run of the program on the
// headless front end, with the settings file switched off for the process.
// Main thread, once per process.
#pragma once

#include "tools/veskconv_batch/batch_options.h"

constexpr int EXIT_ALL_CONVERTED = 0;
constexpr int EXIT_SOME_FAILED = 1;
constexpr int EXIT_USAGE = 2;

// EXIT_ALL_CONVERTED when every input converted (with info: was accepted),
// else EXIT_SOME_FAILED.
int runBatch(const BatchOptions& options);
