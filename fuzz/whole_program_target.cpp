// Fuzz target: the whole program on the headless front end, as a user would
// drive it, over arbitrary bytes taken as a VSK file: choose it (survey and
// ping count), and when it is accepted choose a SEG-Y file and convert every
// channel set it offers, turning the options between runs. After each step
// the window must be at rest and usable, a failed run must have left an
// empty SEG-Y file, and the VSK file must still hold the bytes given.
#include "app/feedback.h"
#include "app/program.h"
#include "app/program_state.h"
#include "app/ui_texts.h"
#include "core/converter_context.h"
#include "fuzz/scratch_files.h"
#include "platform/headless/headless_front_end.h"
#include "platform/window.h"
#include "res/program_resources.h"
#include "res/resource_ids.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

constexpr int REST_TIMEOUT_MS = 20000;
constexpr std::uint32_t TRACE_SAMPLE_BYTES = 2;

// In ChannelSelection order: pairs 1 to 4, subbottom, channels 1 to 8.
constexpr int CHANNEL_SET_BOXES[] = {
    IDC_PAIR_1,    IDC_PAIR_2,    IDC_PAIR_3,    IDC_PAIR_4,    IDC_SUBBOTTOM, IDC_CHANNEL_1, IDC_CHANNEL_2,
    IDC_CHANNEL_3, IDC_CHANNEL_4, IDC_CHANNEL_5, IDC_CHANNEL_6, IDC_CHANNEL_7, IDC_CHANNEL_8,
};

// One program for the whole fuzzing process. It is never quit: at exit the
// main thread's message queue is gone before any static could be destroyed,
// so the program and its blocked workers simply end with the process.
class Program {
 public:
  Program() {
    sonarPath_ = fuzz::scratchPath("survey.vsk");
    segyPath_ = fuzz::scratchPath("line.SEG");
    const std::string settings = fuzz::scratchPath("config");
    std::filesystem::create_directories(settings);
    ::setenv("XDG_CONFIG_HOME", settings.c_str(), 1);
    window_ = startProgram(programInstance(), SW_SHOWNORMAL);
    if (window_ == nullptr) fuzz::fail("the program did not start");
    settle();
  }

  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  void run(const std::uint8_t* data, std::size_t size) {
    ui_.clearRecords();
    // A new file each time: the program's handle on the last one is closed only when it selects.
    std::filesystem::remove(sonarPath_);
    if (!fuzz::writeBytes(sonarPath_, data, size)) fuzz::fail("the scratch survey cannot be written");
    choose(IDC_BROWSE_SONAR, sonarPath_);
    if (converterContext().sonarFileChecked == 1) convertEveryChannelSet(data, size);
    if (fuzz::readBytes(sonarPath_) != std::vector<std::uint8_t>(data, data + size)) fuzz::fail("the survey changed");
  }

 private:
  void settle() {
    if (!ui_.runUntilIdle(REST_TIMEOUT_MS)) fuzz::fail("the program did not come to rest");
    if (ui_.quitReceived()) fuzz::fail("the program quit by itself");
  }

  void click(int controlId) {
    if (ui_.click(window_, controlId) == FALSE) fuzz::fail("a control did not take its click");
    settle();
  }

  void choose(int browseButton, const std::string& path) {
    if (!ui_.controlEnabled(window_, browseButton)) fuzz::fail("a BROWSE button stayed greyed at rest");
    ui_.answerFileDialog(path);
    click(browseButton);
  }

  // Options taken from the input's own bytes, so that the fuzzer steers them too.
  void turnOptions(const std::uint8_t* data, std::size_t size, std::size_t runIndex) {
    const std::uint8_t bits = data[runIndex % size];
    click((bits & 1u) != 0 ? IDC_BIG_ENDIAN : IDC_LITTLE_ENDIAN);
    click((bits & 2u) != 0 ? IDC_SENSOR : IDC_SHIP);
    if ((bits & 4u) != 0 && ui_.controlEnabled(window_, IDC_REVERSE_SAMPLES)) click(IDC_REVERSE_SAMPLES);
  }

  void convertEveryChannelSet(const std::uint8_t* data, std::size_t size) {
    choose(IDC_BROWSE_SEGY, segyPath_);
    if (converterContext().segyFileReady != 1) fuzz::fail("the SEG-Y file in scratch was refused");
    std::size_t runIndex = 0;
    for (int box : CHANNEL_SET_BOXES) {
      if (!ui_.controlEnabled(window_, box)) continue;
      click(box);
      turnOptions(data, size, runIndex++);
      ui_.clearRecords();
      click(IDC_PROCESS);
      checkRun();
    }
  }

  void checkRun() {
    const ConverterContext& context = converterContext();
    if (context.busy != 0 || !ui_.controlEnabled(window_, IDC_PROCESS)) fuzz::fail("the window stayed busy");
    if (ui_.controlText(window_, IDC_STATUS) != STATUS_READY) fuzz::fail("the status is not Ready at rest");
    // A box may be offered whose pair the file header orders otherwise: PROCESS refuses it, nothing runs.
    char refusal[MESSAGE_TEXT_BYTES];
    std::snprintf(refusal, sizeof refusal, CHANNEL_SET_NOT_IN_FILE, context.sonarFileName);
    bool errorShown = false;
    for (const MessageBoxRecord& box : ui_.messageBoxes()) {
      if (box.text == refusal) return;
      errorShown = errorShown || box.caption == ERROR_CAPTION;
    }
    const long long size = fuzz::fileSize(segyPath_);
    if (context.conversionOutcome != CONVERSION_OK) {
      if (!errorShown) fuzz::fail("a failed run was not reported");
      if (size != 0) fuzz::fail("a failed run left a SEG-Y file that is not empty");
      return;
    }
    if (static_cast<std::uint64_t>(size) != context.bytesWritten) {
      std::fprintf(stderr, "SEG-Y file %lld bytes, the run wrote %llu\n", size,
                   static_cast<unsigned long long>(context.bytesWritten));
      fuzz::fail("the SEG-Y file is not what the run wrote");
    }
    const std::uint64_t traceBytes = TRACE_HEADER_BYTES + std::uint64_t{context.samplesPerTrace} * TRACE_SAMPLE_BYTES;
    if (size != 0 && static_cast<std::uint64_t>(size) != REEL_HEADER_BYTES + context.tracesWritten * traceBytes) {
      fuzz::fail("the SEG-Y file is not the reel header and whole traces");
    }
  }

  HeadlessFrontEnd ui_;
  HWND window_ = nullptr;
  std::string sonarPath_;
  std::string segyPath_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  static Program* const program = new Program;
  program->run(data, size);
  return 0;
}
