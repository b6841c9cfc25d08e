#include "tools/veskconv_batch/batch_plan.h"

#include "tools/segy_preview/segy_preview.h"
#include "tools/veskconv_batch/batch_texts.h"
#include "tools/veskconv_batch/output_names.h"

#include <optional>
#include <utility>

namespace {

struct Written {
  std::string place;
  std::optional<FileIdentity> identity;
};

class Planner {
 public:
  explicit Planner(const BatchOptions& options) : options_(options) {
    for (const std::string& input : options.inputs) {
      if (const auto identity = identityOf(input)) inputs_.push_back({input, *identity});
    }
  }

  // Why path may not be written, or empty; an allowed path is taken.
  std::string refusalFor(const std::string& path) {
    const Written file{placeOf(path), identityOf(path)};
    for (const auto& [name, identity] : inputs_) {
      if (file.identity == identity) return formatted(OUTPUT_IS_INPUT, path.c_str(), name.c_str());
    }
    for (const Written& earlier : written_) {
      if (earlier.place == file.place || (file.identity && earlier.identity == file.identity)) {
        return formatted(OUTPUT_WRITTEN_BEFORE, path.c_str());
      }
    }
    written_.push_back(file);
    return {};
  }

  Job plan(const std::string& input) {
    Job job{input, outputFor(options_, input), {}, {}, {}, identityOf(input)};
    job.refusal = refusalFor(job.output);
    if (!options_.preview || !job.refusal.empty()) return job;
    job.picture = pictureNameFor(job.output, options_.previewFolder);
    if (placeOf(job.picture) == placeOf(job.output)) {
      job.pictureRefusal = formatted(PICTURE_IS_OUTPUT, job.picture.c_str());
    } else {
      job.pictureRefusal = refusalFor(job.picture);
    }
    return job;
  }

 private:
  const BatchOptions& options_;
  std::vector<std::pair<std::string, FileIdentity>> inputs_;
  std::vector<Written> written_;
};

}  // namespace

std::vector<Job> planJobs(const BatchOptions& options) {
  Planner planner(options);
  std::vector<Job> jobs;
  for (const std::string& input : options.inputs) jobs.push_back(planner.plan(input));
  return jobs;
}
