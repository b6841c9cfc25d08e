#include "tools/veskconv_batch/job_runner.h"

#include "app/ui_texts.h"
#include "platform/files.h"
#include "tools/veskconv_batch/batch_texts.h"
#include "tools/veskconv_batch/output_names.h"
#include "tools/veskconv_batch/window_session.h"

#include <cstdio>
#include <cstdlib>
#include <sstream>

namespace {

std::string trimmed(const std::string& text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

std::string offeredSets(const WindowSession& session) {
  std::string sets;
  for (const ChannelSet& set : channelSets()) {
    if (!session.offers(set)) continue;
    if (!sets.empty()) sets += ' ';
    sets += set.name;
  }
  return sets.empty() ? NO_SETS : sets;
}

}  // namespace

JobRunner::JobRunner(const BatchOptions& options, BatchSink& sink) : options_(options), sink_(sink), publisher_(sink) {
  // Every output is synced before it is put in place: its bytes go to the
  // disk while it is written, not all at that sync.
  setWriteBehind(true);
}

void JobRunner::convert(int index, const Job& job) {
  JobReport& report = sink_.job(index);
  if (!job.refusal.empty()) {
    report.error(job.refusal);
    sink_.ended(index, JobResult{});
    return;
  }
  report.begun();
  if (mayConvert(report, job)) {
    convertThroughWindow(index, job);
    return;
  }
  sink_.ended(index, JobResult{});
}

// What the window would refuse only after the work, or not at all, is
// refused before: files that are no files, and an output held elsewhere.
bool JobRunner::mayConvert(JobReport& report, const Job& job) {
  const char* refusal = nullptr;
  const std::string* name = &job.output;
  if (isSpecialFile(job.input)) {
    refusal = NOT_REGULAR_FILE;
    name = &job.input;
  } else {
    switch (replaceable(job.output)) {
      case Replaceable::Yes:
        return true;
      case Replaceable::NotAFile:
        refusal = NOT_REGULAR_FILE;
        break;
      case Replaceable::Folder:
        refusal = NAME_IS_FOLDER;
        break;
      case Replaceable::Held:
        refusal = SEGY_OPEN_ERROR;
        break;
    }
  }
  report.error(formatted(refusal, name->c_str()));
  return false;
}

// The window is given the output's own name, as a user types it, and writes
// the pending file in its place: the same bytes as by hand, and the same
// names accepted.
void JobRunner::convertThroughWindow(int index, const Job& job) {
  JobReport& report = sink_.job(index);
  auto pending = std::make_unique<PendingOutput>();
  std::string why;
  JobResult result;
  if (!pending->create(job.output, &why)) {
    report.error(formatted(OUTPUT_NOT_WRITABLE, job.output.c_str(), why.c_str()));
  } else {
    setCreateStandIn(job.output, pending->path());
    WindowSession session(ui_, report);
    if (session.start()) {
      result.converted = convertIn(session, report, job);
      result.traces = session.tracesWritten();
      result.bytes = session.bytesWritten();
      end(session, report, job.input);
    }
    setCreateStandIn({}, {});
  }
  if (result.converted) {
    publisher_.submit(index, job, std::move(pending), result);
    return;
  }
  pending.reset();
  if (identityOf(job.output)) report.error(formatted(OUTPUT_LEFT_AS_IT_WAS, job.output.c_str()));
  sink_.ended(index, JobResult{});
}

bool JobRunner::convertIn(WindowSession& session, JobReport& report, const Job& job) {
  if (!session.openInput(job.input)) return false;
  if (!session.offers(*options_.channels)) {
    report.error(formatted(SET_NOT_OFFERED, job.input.c_str(), options_.channels->name, offeredSets(session).c_str()));
    return false;
  }
  // Nobody sees the processing information of a batch, and each ping's
  // five texts cost more than the ping's conversion (bench/).
  return session.openOutput(job.output) && session.chooseOptions(options_) && session.setProcessingInfo(false) &&
         session.process();
}

bool JobRunner::describe(int index, const Job& job) {
  JobReport& report = sink_.job(index);
  WindowSession session(ui_, report);
  if (!session.start()) return false;
  const bool accepted = session.openInput(job.input);
  if (accepted) {
    std::printf("%s\n", job.input.c_str());
    std::printf(INFO_PING_COUNT, trimmed(session.pingCountText()).c_str());
    std::istringstream list(session.channelListText());
    for (std::string line; std::getline(list, line);) std::printf(INFO_CHANNEL, line.c_str());
    std::printf(INFO_SETS, offeredSets(session).c_str());
    std::fflush(stdout);
  }
  end(session, report, job.input);
  sink_.ended(index, JobResult{});
  return accepted;
}

// A program that does not come to its end may still have threads that use
// the front end: nothing can safely follow, not even the normal exit.
void JobRunner::end(WindowSession& session, JobReport& report, const std::string& input) {
  if (session.quit()) return;
  report.error(formatted(PROGRAM_DID_NOT_END, input.c_str()));
  std::fflush(nullptr);
  std::_Exit(EXIT_FAILURE);
}
