#include "tools/veskconv_batch/window_session.h"

#include "app/file_selection.h"
#include "app/program.h"
#include "app/program_state.h"
#include "app/ui_texts.h"
#include "core/converter_context.h"
#include "platform/path_queries.h"
#include "res/program_resources.h"
#include "res/resource_ids.h"
#include "tools/veskconv_batch/batch_texts.h"
#include "tools/veskconv_batch/output_names.h"

#include <cstdlib>

namespace {

constexpr int SETTLE_ROUND_MS = 1000;

const ConverterContext& context() { return converterContext(); }

// In double quotes the dialogs take a name as it stands, with no default
// extension added: the batch's paths are meant as given.
std::string asTyped(const std::string& path) { return '"' + path + '"'; }

}  // namespace

WindowSession::WindowSession(HeadlessFrontEnd& ui, JobReport& report) : ui_(ui), report_(report) {}

// The front end outlives the session; its observer must not.
WindowSession::~WindowSession() { ui_.setChangeObserver(nullptr); }

bool WindowSession::start() {
  ui_.clearRecords();
  boxesReported_ = 0;
  window_ = startProgram(programInstance(), SW_SHOWNORMAL);
  if (window_ == nullptr) {
    report_.error(PROGRAM_DID_NOT_START);
    return false;
  }
  ui_.setChangeObserver([this](HWND window, int controlId) {
    if (window == window_ && controlId == IDC_PROGRESS) report_.progress(ui_.progressPosition(window, controlId));
  });
  settle();
  reportBoxes();
  return true;
}

bool WindowSession::openInput(const std::string& input) {
  report_.counting();
  ui_.answerFileDialog(asTyped(input));
  const bool clicked = click(IDC_BROWSE_SONAR);
  const bool boxShown = boxesReported_ < ui_.messageBoxes().size();
  reportBoxes();
  if (clicked && context().sonarFileChecked == 1) return true;
  if (context().sonarFileOpen == 0 && !boxShown) reportNameNotTaken(input);
  return false;
}

bool WindowSession::openOutput(const std::string& output) {
  ui_.answerFileDialog(asTyped(output));
  const bool clicked = click(IDC_BROWSE_SEGY);
  const bool boxShown = boxesReported_ < ui_.messageBoxes().size();
  reportBoxes();
  if (clicked && context().segyFileReady == 1) return true;
  if (context().segyFileOpen == 0 && !boxShown) reportNameNotTaken(output);
  return false;
}

bool WindowSession::chooseOptions(const BatchOptions& options) {
  const auto take = [this](bool taken, const char* option) {
    if (!taken) report_.error(formatted(OPTION_NOT_TAKEN, option));
    return taken;
  };
  const ChannelSet& set = *options.channels;
  if (!take(click(set.box) && checked(set.box), set.name)) return false;
  if (checked(IDC_BIG_ENDIAN) != options.bigEndian) click(IDC_BIG_ENDIAN);
  if (!take(checked(options.bigEndian ? IDC_BIG_ENDIAN : IDC_LITTLE_ENDIAN), options.bigEndian ? "big" : "little")) {
    return false;
  }
  const int source = options.sensorPositions ? IDC_SENSOR : IDC_SHIP;
  if (!take(click(source) && checked(source), options.sensorPositions ? "sensor" : "ship")) return false;
  if (options.reverseSamples && !take(click(IDC_REVERSE_SAMPLES) && checked(IDC_REVERSE_SAMPLES), "reverse")) {
    return false;
  }
  reportBoxes();
  return true;
}

bool WindowSession::setProcessingInfo(bool on) {
  if (checked(IDC_VERBOSE) != on) click(IDC_VERBOSE);
  return checked(IDC_VERBOSE) == on;
}

bool WindowSession::process() {
  report_.converting(pingCount());
  const bool clicked = click(IDC_PROCESS);
  const bool errorShown = reportBoxes();
  if (!clicked || errorShown) return false;
  // A run that could not be handed to the Converter thread ends without a word.
  if (context().busy != 0 || context().bytesWritten < static_cast<std::uint64_t>(REEL_HEADER_BYTES)) {
    report_.error(formatted(RUN_DID_NOT_START, context().sonarFileName));
    return false;
  }
  return context().conversionOutcome == CONVERSION_OK;
}

bool WindowSession::quit() {
  if (ui_.click(window_, IDC_EXIT) == FALSE) ui_.close(window_);
  for (;;) {
    const bool atRest = ui_.runUntilIdle(SETTLE_ROUND_MS);
    if (ui_.quitReceived()) break;
    if (atRest) return false;
  }
  ui_.setChangeObserver(nullptr);
  reportBoxes();
  endProgram(programInstance());
  window_ = nullptr;
  return true;
}

std::string WindowSession::pingCountText() const { return ui_.controlText(window_, IDC_SONAR_PING_COUNT); }

std::string WindowSession::channelListText() const { return ui_.controlText(window_, IDC_CHANNEL_LIST); }

unsigned long WindowSession::pingCount() const { return std::strtoul(pingCountText().c_str(), nullptr, 10); }

bool WindowSession::offers(const ChannelSet& set) const { return ui_.controlEnabled(window_, set.box); }

std::uint64_t WindowSession::bytesWritten() const { return context().bytesWritten; }

std::uint32_t WindowSession::tracesWritten() const { return context().tracesWritten; }

void WindowSession::settle() {
  while (!ui_.runUntilIdle(SETTLE_ROUND_MS)) {
  }
}

bool WindowSession::click(int controlId) {
  if (ui_.click(window_, controlId) == FALSE) return false;
  settle();
  return true;
}

bool WindowSession::checked(int controlId) const { return ui_.controlChecked(window_, controlId) == BST_CHECKED; }

bool WindowSession::reportBoxes() {
  const std::vector<MessageBoxRecord> boxes = ui_.messageBoxes();
  bool error = false;
  for (; boxesReported_ < boxes.size(); ++boxesReported_) {
    const MessageBoxRecord& box = boxes[boxesReported_];
    report_.message(box.caption, box.text);
    error = error || box.caption == ERROR_CAPTION;
  }
  return error;
}

void WindowSession::reportNameNotTaken(const std::string& typed) {
  if (typed.size() > DIALOG_NAME_LIMIT - 1) {
    report_.error(formatted(NAME_TOO_LONG, typed.c_str(), static_cast<unsigned>(DIALOG_NAME_LIMIT - 1)));
  } else if (pathIsFolder(typed)) {
    report_.error(formatted(NAME_IS_FOLDER, typed.c_str()));
  } else {
    report_.error(formatted(NAME_NOT_TAKEN, typed.c_str()));
  }
}
