#include "tools/veskconv_batch/batch_plan.h"

#include "tools/veskconv_batch/batch_texts.h"
#include "tools/veskconv_batch/output_names.h"

#include <optional>

std::vector<Job> planJobs(const BatchOptions& options) {
  std::vector<FileIdentity> inputs;
  std::vector<std::size_t> inputIndex;
  for (std::size_t i = 0; i < options.inputs.size(); ++i) {
    if (const auto identity = identityOf(options.inputs[i])) {
      inputs.push_back(*identity);
      inputIndex.push_back(i);
    }
  }
  std::vector<Job> jobs;
  std::vector<std::string> places;
  std::vector<std::optional<FileIdentity>> identities;
  for (const std::string& input : options.inputs) {
    Job job{input, outputFor(options, input), {}};
    const std::optional<FileIdentity> identity = identityOf(job.output);
    const std::string place = placeOf(job.output);
    for (std::size_t i = 0; identity && i < inputs.size(); ++i) {
      if (inputs[i] == *identity) {
        job.refusal = formatted(OUTPUT_IS_INPUT, job.output.c_str(), options.inputs[inputIndex[i]].c_str());
        break;
      }
    }
    for (std::size_t j = 0; job.refusal.empty() && j < places.size(); ++j) {
      if (places[j] == place || (identity && identities[j] == identity)) {
        job.refusal = formatted(OUTPUT_WRITTEN_BEFORE, job.output.c_str());
      }
    }
    places.push_back(place);
    identities.push_back(identity);
    jobs.push_back(std::move(job));
  }
  return jobs;
}
