// Runs the conversion engine on the test thread: a small window of the
// controls the engine updates, created on that thread so the engine's
// window calls are direct; a front end that records every control update;
// VSK surveys written with the project's writer and opened as the program
// opens them; the context filled the way the survey fills it.
#pragma once

#include "core/conversion_engine.h"
#include "core/converter_context.h"
#include "platform/files.h"
#include "platform/front_end.h"
#include "platform/resources.h"
#include "platform/window.h"
#include "platform/window_model.h"
#include "res/resource_ids.h"
#include "vsktools/vsk_reader.h"
#include "vsktools/vsk_writer.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace engine_test {

constexpr int TEST_DIALOG = 1;
inline constexpr const char* TEST_CLASS = "VESKCORETEST";

inline const DialogItemTemplate TEST_ITEMS[] = {
    {CLASS_STATIC, " Converting VSK file to SEG file", IDC_STATUS, SS_LEFT, 0, 0, 100, 10, 0},
    {CLASS_STATIC, "", IDC_PING_NUMBER, SS_LEFT, 0, 10, 50, 10, 0},
    {CLASS_STATIC, "", IDC_SHIP_POSITION_1, SS_LEFT, 0, 20, 50, 10, 0},
    {CLASS_STATIC, "", IDC_SENSOR_POSITION_1, SS_LEFT, 50, 20, 50, 10, 0},
    {CLASS_STATIC, "", IDC_SHIP_POSITION_2, SS_LEFT, 0, 30, 50, 10, 0},
    {CLASS_STATIC, "", IDC_SENSOR_POSITION_2, SS_LEFT, 50, 30, 50, 10, 0},
    {CLASS_STATIC, "", IDC_SONAR_PING_COUNT, SS_LEFT, 0, 40, 50, 10, 0},  // never touched by the engine
    {CLASS_PROGRESS, "", IDC_PROGRESS, 0, 0, 50, 100, 10, 0},
};
inline const DialogTemplate TEST_DIALOGS[] = {
    {TEST_DIALOG, WS_POPUP, 0, 0, 100, 60, nullptr, 8, TEST_CLASS, 0, "engine test",
     TEST_ITEMS, static_cast<int>(std::size(TEST_ITEMS))},
};
inline const ResourceTable TEST_RESOURCES = {TEST_DIALOGS, 1, nullptr, 0, nullptr, 0};

struct ControlUpdate {
  int controlId;
  std::string text;
  int progress;
  std::uint64_t inputPosition;  // the engine's sonarFilePosition at the update
};

// Records every update of the test window's controls and every beep.
class RecordingFrontEnd final : public FrontEnd {
 public:
  const ConverterContext* context = nullptr;
  std::vector<ControlUpdate> updates;
  int beeps = 0;

  void waitForEvents(int) override {}
  void wakeMainThread() override {}
  int showMessageBox(HWND, const std::string&, const std::string&, UINT) override { return IDOK; }
  bool askFileName(HWND, const FileDialogRequest&, std::string*) override { return false; }
  bool confirmOverwrite(HWND, const std::string&) override { return false; }
  void beep(UINT) override { ++beeps; }
  void windowChanged(HWND window, int controlId) override {
    WindowModel* model = windowModel(window);
    if (model == nullptr || controlId == 0) return;
    const ControlModel* control = findControl(*model, controlId);
    if (control == nullptr) return;
    updates.push_back({controlId, control->text, control->progressPos, context ? context->sonarFilePosition : 0});
  }
  void windowCreated(HWND) override {}
  void windowDestroyed(HWND) override {}

  std::vector<ControlUpdate> of(int controlId) const {
    std::vector<ControlUpdate> found;
    for (const ControlUpdate& update : updates) {
      if (update.controlId == controlId) found.push_back(update);
    }
    return found;
  }
};

inline LRESULT testWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(window, message, wParam, lParam);
}

inline std::vector<unsigned char> readWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class EngineTest : public ::testing::Test {
 protected:
  std::unique_ptr<ConverterContext> context = std::make_unique<ConverterContext>();
  RecordingFrontEnd recorder;
  std::filesystem::path folder;
  std::string sonarPath;
  std::string segyPath;

  void SetUp() override {
    std::string test = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    std::replace(test.begin(), test.end(), '/', '_');  // parameterised tests
    folder = std::filesystem::temp_directory_path() / ("vesk-core-" + test + "-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    sonarPath = (folder / "survey.vsk").string();
    segyPath = (folder / "LINE1.sgy").string();
    recorder.context = context.get();
    setFrontEnd(&recorder);
    WNDCLASSA windowClass;
    windowClass.lpfnWndProc = testWindowProcedure;
    windowClass.lpszClassName = TEST_CLASS;
    windowClass.hInstance = &TEST_RESOURCES;
    RegisterClassA(&windowClass);
    context->window = CreateDialogParamA(&TEST_RESOURCES, MAKEINTRESOURCEA(TEST_DIALOG), nullptr, nullptr, 0);
    ASSERT_NE(context->window, nullptr);
  }

  void TearDown() override {
    closeFiles();
    DestroyWindow(context->window);
    UnregisterClassA(TEST_CLASS, &TEST_RESOURCES);
    setFrontEnd(nullptr);
    std::free(context->traceSamples);
    setWriteFaultHook({});
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
  }

  void closeFiles() {
    if (context->sonarFileOpen != 0) CloseHandle(context->sonarFile);
    if (context->segyFileOpen != 0) CloseHandle(context->segyFile);
    context->sonarFileOpen = context->segyFileOpen = 0;
  }

  void writeSurvey(const vsk::FileSpec& file, const std::vector<vsk::Ping>& pings) {
    vsk::Writer writer(sonarPath, file);
    for (const vsk::Ping& ping : pings) writer.writePing(ping);
    ASSERT_TRUE(writer.close());
  }

  // Opens both files as the program does and reads the header as the survey
  // does; the channel geometry comes from the caller, as the survey's tables.
  void open() {
    context->sonarFile = CreateFileA(sonarPath.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(context->sonarFile, INVALID_HANDLE_VALUE);
    context->sonarFileOpen = 1;
    DWORD unused = 0;
    ASSERT_EQ(ReadFullVSKHeader(context->sonarFile, &context->fileHeader, &unused), VSK_OK);
    context->sonarFileSize = fileSize64(context->sonarFile);
    std::snprintf(context->segyFileName, sizeof context->segyFileName, "%s", segyPath.c_str());
    context->segyFile = CreateFileA(segyPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(context->segyFile, INVALID_HANDLE_VALUE);
    context->segyFileOpen = 1;
  }

  // What CMD_START_CONVERSION fixes before the run.
  void choose(int selection, int selectedChannel, std::uint32_t samples, float duration) {
    context->channelSelection = selection;
    context->selectedChannel = selectedChannel;
    context->tracesPerRecord = selection >= 0 && selection <= 3 ? 2 : 1;
    if (selectedChannel >= 0 && selectedChannel < MAX_CHANNELS) {
      context->channelSamples[selectedChannel] = samples;
      context->channelDuration[selectedChannel] = duration;
    }
  }

  void run() {
    recorder.updates.clear();
    recorder.beeps = 0;
    context->conversionStep = 0;
    runConversion(context.get());
    EXPECT_EQ(context->conversionStep, 0);
  }

  std::vector<unsigned char> output() const { return readWholeFile(segyPath); }
};

}  // namespace engine_test
