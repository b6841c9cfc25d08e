// Every input's output, decided before anything runs, so that the answer
// depends neither on what fails nor on which process converts what. Any
// thread; looks at the file system.
#pragma once

#include "tools/veskconv_batch/batch_options.h"
#include "tools/veskconv_batch/output_names.h"

#include <optional>
#include <string>
#include <vector>

struct Job {
  std::string input;
  std::string output;
  // Said instead of converting: the output is an input under another name, or
  // a file an earlier input writes.
  std::string refusal;
  // --preview: the picture of the output, and why it may not be made (an
  // input, the output itself, or a file an earlier input writes).
  std::string picture;
  std::string pictureRefusal;
  // The survey under any of its names: no two processes may hold it at once.
  std::optional<FileIdentity> survey;
};

std::vector<Job> planJobs(const BatchOptions& options);
