#include "tools/veskconv_batch/batch_run.h"

#include "app/file_selection.h"
#include "app/ui_texts.h"
#include "platform/files.h"
#include "platform/headless/headless_front_end.h"
#include "platform/profile.h"
#include "tools/veskconv_batch/batch_report.h"
#include "tools/veskconv_batch/batch_texts.h"
#include "tools/veskconv_batch/interruption.h"
#include "tools/veskconv_batch/output_names.h"
#include "tools/veskconv_batch/pending_output.h"
#include "tools/veskconv_batch/window_session.h"

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <sstream>
#include <vector>

namespace {

// One input and what it becomes; refusal is said instead of converting.
struct Job {
  std::string input;
  std::string output;
  std::string refusal;
};

struct JobResult {
  bool converted = false;
  std::uint64_t traces = 0;
  std::uint64_t bytes = 0;
};

std::string trimmed(const std::string& text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// Every input's output, and the outputs that must not be written: an input
// under another name, or a file an earlier input already writes. Decided
// before anything runs, so the answer does not depend on what fails.
std::vector<Job> plan(const BatchOptions& options) {
  std::vector<FileIdentity> inputs;
  for (const std::string& input : options.inputs) {
    if (const auto identity = identityOf(input)) inputs.push_back(*identity);
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
        job.refusal = formatted(OUTPUT_IS_INPUT, job.output.c_str(), options.inputs[i].c_str());
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

class Batch {
 public:
  Batch(const BatchOptions& options, BatchReport& report) : options_(options), report_(report) {}

  int run() {
    const auto started = std::chrono::steady_clock::now();
    int done = 0;
    std::uint64_t traces = 0;
    std::uint64_t bytes = 0;
    for (const Job& job : plan(options_)) {
      report_.beginInput(job.input);
      if (options_.info) {
        if (describe(job.input)) ++done;
        continue;
      }
      const JobResult result = convert(job);
      if (!result.converted) continue;
      ++done;
      traces += result.traces;
      bytes += result.bytes;
    }
    if (!options_.info) {
      const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
      report_.summary(done, static_cast<int>(options_.inputs.size()), traces, bytes, seconds);
    }
    return done == static_cast<int>(options_.inputs.size()) ? EXIT_ALL_CONVERTED : EXIT_SOME_FAILED;
  }

 private:
  JobResult convert(const Job& job) {
    JobResult result;
    if (!job.refusal.empty()) {
      report_.error(job.refusal);
    } else if (mayConvert(job)) {
      result = convertThroughWindow(job);
    }
    report_.endInput(result.converted, job.output);
    return result;
  }

  // What the window would refuse only after the work, or not at all, is
  // refused before: files that are not files, and an output held elsewhere.
  bool mayConvert(const Job& job) {
    for (const std::string& name : {job.input, job.output}) {
      if (isSpecialFile(name)) {
        report_.error(formatted(NOT_REGULAR_FILE, name.c_str()));
        return false;
      }
    }
    if (isFolder(job.output)) {
      report_.error(formatted(NAME_IS_FOLDER, job.output.c_str()));
      return false;
    }
    return outputFree(job.output);
  }

  // The window could not create it either: in use elsewhere, or write-protected.
  bool outputFree(const std::string& output) {
    if (!identityOf(output)) return true;
    HANDLE probe = CreateFileA(output.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (probe == INVALID_HANDLE_VALUE) {
      report_.message(ERROR_CAPTION, formatted(SEGY_OPEN_ERROR, output.c_str()));
      return false;
    }
    CloseHandle(probe);
    return true;
  }

  JobResult convertThroughWindow(const Job& job) {
    JobResult result;
    PendingOutput pending;
    std::string why;
    if (!pending.create(job.output, &why)) {
      report_.error(formatted(OUTPUT_NOT_WRITABLE, job.output.c_str(), why.c_str()));
      return result;
    }
    if (pending.path().size() > DIALOG_NAME_LIMIT - 1) {
      report_.error(formatted(PENDING_NAME_TOO_LONG, job.output.c_str(), pending.path().size(),
                              static_cast<unsigned>(DIALOG_NAME_LIMIT - 1)));
      return result;
    }
    WindowSession session(ui_, report_);
    if (!session.start()) return result;
    bool converted = convertIn(session, job.input, pending.path());
    result.traces = session.tracesWritten();
    result.bytes = session.bytesWritten();
    end(session, job.input);
    // Held elsewhere since it was checked: the window could not replace it now.
    if (converted && !outputFree(job.output)) converted = false;
    if (converted && !pending.publish(&why)) {
      report_.error(formatted(OUTPUT_NOT_PUT_IN_PLACE, job.output.c_str(), why.c_str()));
      converted = false;
    }
    if (!converted && pending.path().size() > 0 && identityOf(job.output)) {
      report_.error(formatted(OUTPUT_LEFT_AS_IT_WAS, job.output.c_str()));
    }
    result.converted = converted;
    return result;
  }

  bool convertIn(WindowSession& session, const std::string& input, const std::string& output) {
    if (!session.openInput(input)) return false;
    if (!session.offers(*options_.channels)) {
      report_.error(formatted(SET_NOT_OFFERED, input.c_str(), options_.channels->name, offeredSets(session).c_str()));
      return false;
    }
    // Nobody sees the processing information of a batch, and each ping's
    // five texts cost far more than the ping's conversion (bench/).
    return session.openOutput(output) && session.chooseOptions(options_) && session.setProcessingInfo(false) &&
           session.process();
  }

  bool describe(const std::string& input) {
    WindowSession session(ui_, report_);
    if (!session.start()) return false;
    const bool accepted = session.openInput(input);
    report_.endInput(false, "");
    if (accepted) {
      std::printf("%s\n", input.c_str());
      std::printf(INFO_PING_COUNT, trimmed(session.pingCountText()).c_str());
      std::istringstream list(session.channelListText());
      for (std::string line; std::getline(list, line);) std::printf(INFO_CHANNEL, line.c_str());
      std::printf(INFO_SETS, offeredSets(session).c_str());
      std::fflush(stdout);
    }
    end(session, input);
    return accepted;
  }

  static std::string offeredSets(const WindowSession& session) {
    std::string sets;
    for (const ChannelSet& set : channelSets()) {
      if (!session.offers(set)) continue;
      if (!sets.empty()) sets += ' ';
      sets += set.name;
    }
    return sets.empty() ? NO_SETS : sets;
  }

  // A program that does not come to its end may still have threads that use
  // the front end: nothing can safely follow, not even the normal exit.
  void end(WindowSession& session, const std::string& input) {
    if (session.quit()) return;
    report_.error(formatted(PROGRAM_DID_NOT_END, input.c_str()));
    std::fflush(nullptr);
    std::_Exit(EXIT_SOME_FAILED);
  }

  const BatchOptions& options_;
  BatchReport& report_;
  HeadlessFrontEnd ui_;
};

}  // namespace

int runBatch(const BatchOptions& options) {
  watchForInterruption();
  disableProfileFiles();
  BatchReport report(stderr, ::isatty(STDERR_FILENO) != 0);
  Batch batch(options, report);
  return batch.run();
}
