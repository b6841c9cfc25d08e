#include "program_test.h"

#include "app/program.h"
#include "app/program_state.h"
#include "app/settings_file.h"
#include "platform/files.h"
#include "platform/front_end.h"
#include "platform/message_queue_state.h"
#include "platform/messages.h"
#include "platform/window.h"
#include "res/program_resources.h"
#include "res/resource_ids.h"
#include "settings_folder.h"
#include "survey_files.h"

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace {

constexpr int SETTLE_LIMIT_MS = 10 * 60 * 1000;

}  // namespace

void ProgramTest::SetUp() {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  folder = std::filesystem::temp_directory_path() /
           ("veskconv-app-" + std::to_string(::getpid()) + "-" + info->test_suite_name() + "-" + info->name());
  std::filesystem::remove_all(folder);
  settingsFolder = redirectSettings(folder / "config");
}

void ProgramTest::TearDown() {
  ui.setChangeObserver(nullptr);  // it may hold the test body's locals
  if (window != nullptr && IsWindow(window)) {
    ui.close(window);
    ui.runUntilIdle();
  }
  if (window != nullptr) endProgram(programInstance());
  window = nullptr;
  std::filesystem::remove_all(folder);
}

void ProgramTest::start() {
  window = startProgram(programInstance(), SW_SHOWNORMAL);
  ASSERT_NE(window, nullptr);
  settle();
}

void ProgramTest::quit() {
  ui.click(window, IDC_EXIT);
  settle();
  EXPECT_TRUE(ui.quitReceived());
  EXPECT_FALSE(IsWindow(window));
  endProgram(programInstance());
  window = nullptr;
}

// Long runs (a 4 GiB survey) on a loaded machine take minutes; only a program
// that never comes to rest fails here.
void ProgramTest::settle() { ASSERT_TRUE(ui.runUntilIdle(SETTLE_LIMIT_MS)) << "the program did not come to rest"; }

void ProgramTest::pump() {
  for (;;) {
    processPendingMessages();
    const int next = msUntilNextDue();
    if (next < 0) return;
    waitForMessages(next);
  }
}

bool ProgramTest::pumpUntilHeld(const WorkerGate& gate) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (!gate.held()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    processPendingMessages();
    waitForMessages(1);
  }
  return true;
}

WorkerGate::WorkerGate(DWORD threadId, At at) : at_(at), state_(std::make_shared<State>(threadId)) {
  if (at_ == At::Read) {
    setReadHook([state = state_](HANDLE) { state->holdHere(); });
  } else {
    setWriteFaultHook([state = state_](HANDLE, DWORD bytes) {
      state->holdHere();
      return bytes;
    });
  }
}

WorkerGate::~WorkerGate() {
  open();
  if (at_ == At::Read) {
    setReadHook({});
  } else {
    setWriteFaultHook({});
  }
}

bool WorkerGate::held() const {
  std::lock_guard<std::mutex> lock(state_->mutex);
  return state_->held;
}

void WorkerGate::open() {
  std::lock_guard<std::mutex> lock(state_->mutex);
  state_->open = true;
  state_->changed.notify_all();
}

void WorkerGate::State::holdHere() {
  if (GetCurrentThreadId() != threadId) return;
  std::unique_lock<std::mutex> lock(mutex);
  held = true;
  changed.wait(lock, [this] { return open; });
}

std::string ProgramTest::path(const std::string& name) const { return (folder / name).string(); }

std::string ProgramTest::settingsText() const {
  std::ifstream file(settingsFolder / SETTINGS_FILE, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

void ProgramTest::writeSettings(const std::string& text) const {
  std::ofstream(settingsFolder / SETTINGS_FILE, std::ios::binary) << text;
}

std::uintmax_t ProgramTest::fileSize(const std::string& file) const { return std::filesystem::file_size(file); }

std::string ProgramTest::writeSurvey(const std::string& name, const vsk::FileSpec& spec, int pings, bool otherRecords) {
  const std::string file = path(name);
  EXPECT_TRUE(survey_files::writeSurvey(file, spec, pings, otherRecords)) << file;
  return file;
}

void ProgramTest::chooseSonarFile(const std::string& file) {
  ui.answerFileDialog(file);
  click(IDC_BROWSE_SONAR);
}

void ProgramTest::chooseSegyFile(const std::string& file) {
  ui.answerFileDialog(file);
  click(IDC_BROWSE_SEGY);
}

void ProgramTest::cancelSonarFile() {
  ui.cancelFileDialog();
  click(IDC_BROWSE_SONAR);
}

void ProgramTest::prepare(const std::string& sonarFile, const std::string& segyFile, int channelBox) {
  chooseSonarFile(sonarFile);
  chooseSegyFile(segyFile);
  click(channelBox);
}

void ProgramTest::click(int controlId) {
  EXPECT_TRUE(ui.click(window, controlId)) << "control " << controlId << " did not take the click";
  settle();
}

void ProgramTest::clickMenu(unsigned itemId) {
  EXPECT_TRUE(ui.clickMenu(window, itemId)) << "menu item " << itemId << " did not take the click";
  settle();
}

bool ProgramTest::checked(int controlId) const { return ui.controlChecked(window, controlId) == BST_CHECKED; }

ConverterContext& ProgramTest::context() const { return converterContext(); }
