#include "tools/veskconv_batch/batch_run.h"

#include "app/ui_texts.h"
#include "platform/headless/headless_front_end.h"
#include "platform/profile.h"
#include "tools/segy_preview/segy_preview.h"
#include "tools/veskconv_batch/batch_report.h"
#include "tools/veskconv_batch/batch_texts.h"
#include "tools/veskconv_batch/output_names.h"
#include "tools/veskconv_batch/window_session.h"

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <sstream>
#include <vector>

namespace {

struct NamedIdentity {
  std::string name;
  FileIdentity identity;
};

std::string trimmed(const std::string& text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

class Batch {
 public:
  Batch(const BatchOptions& options, BatchReport& report) : options_(options), report_(report) {
    for (const std::string& input : options.inputs) {
      if (const auto identity = identityOf(dialogName(input, SONAR_FILE_EXTENSION))) {
        inputs_.push_back({input, *identity});
      }
    }
  }

  int run() {
    const auto started = std::chrono::steady_clock::now();
    int done = 0;
    for (const std::string& input : options_.inputs) {
      report_.beginInput(input);
      if (options_.info ? describe(input) : convert(input)) ++done;
    }
    if (!options_.info) {
      const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
      report_.summary(done, static_cast<int>(options_.inputs.size()), traces_, bytes_, seconds);
    }
    const bool allDone = done == static_cast<int>(options_.inputs.size()) && picturesMade_;
    return allDone ? EXIT_ALL_CONVERTED : EXIT_SOME_FAILED;
  }

 private:
  bool convert(const std::string& input) {
    const std::string output = outputFor(options_, input);
    if (!mayWrite(output)) return false;
    WindowSession session(ui_, report_);
    if (!session.start()) return false;
    const bool converted = convertIn(session, input, output);
    report_.endInput(converted, output);
    end(session, input);
    if (converted && options_.preview && !picture(output)) picturesMade_ = false;
    return converted;
  }

  bool convertIn(WindowSession& session, const std::string& input, const std::string& output) {
    if (!session.openInput(input)) return false;
    if (!session.offers(*options_.channels)) {
      report_.error(formatted(SET_NOT_OFFERED, input.c_str(), options_.channels->name, offeredSets(session).c_str()));
      return false;
    }
    const bool ready = session.openOutput(output);
    // Even a failed run has emptied it: no later input may take it for its own.
    if (const auto identity = identityOf(output)) written_.push_back(*identity);
    // Nobody sees the processing information of a batch, and each ping's
    // five texts cost far more than the ping's conversion (bench/).
    if (!ready || !session.chooseOptions(options_) || !session.setProcessingInfo(false) || !session.process()) {
      return false;
    }
    traces_ += session.tracesWritten();
    bytes_ += session.bytesWritten();
    return true;
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

  // The picture of the SEG-Y file as written, read back once the program
  // has closed it. False when a picture was due and none was written.
  bool picture(const std::string& segyFile) {
    const std::string name = pictureNameFor(segyFile, options_.previewFolder);
    const std::optional<FileIdentity> identity = identityOf(name);
    if (identity && identity == identityOf(segyFile)) {
      report_.error(formatted(PICTURE_IS_OUTPUT, name.c_str()));
      return false;
    }
    if (!mayWrite(name)) return false;
    const Preview preview = writePreview(segyFile, name);
    switch (preview.status) {
      case PreviewStatus::Written:
        if (const auto written = identityOf(name)) written_.push_back(*written);
        report_.note(formatted(PICTURE_WRITTEN, preview.geometry.width, preview.geometry.height, name.c_str()));
        return true;
      case PreviewStatus::NoTraces:
        report_.note(formatted(PICTURE_NO_TRACES, segyFile.c_str()));
        return true;
      case PreviewStatus::Failed:
        break;
    }
    report_.error(preview.problem);
    return false;
  }

  // Only the open input is protected by its share lock: every other input,
  // and every output of this batch, is checked here by device and inode.
  bool mayWrite(const std::string& output) {
    const std::optional<FileIdentity> identity = identityOf(output);
    if (!identity) return true;
    for (const NamedIdentity& input : inputs_) {
      if (input.identity == *identity) {
        report_.error(formatted(OUTPUT_IS_INPUT, output.c_str(), input.name.c_str()));
        return false;
      }
    }
    for (const FileIdentity& written : written_) {
      if (written == *identity) {
        report_.error(formatted(OUTPUT_WRITTEN_BEFORE, output.c_str()));
        return false;
      }
    }
    return true;
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
  std::vector<NamedIdentity> inputs_;
  std::vector<FileIdentity> written_;
  std::uint64_t traces_ = 0;
  std::uint64_t bytes_ = 0;
  bool picturesMade_ = true;
};

}  // namespace

int runBatch(const BatchOptions& options) {
  disableProfileFiles();
  BatchReport report(stderr, ::isatty(STDERR_FILENO) != 0);
  Batch batch(options, report);
  return batch.run();
}
