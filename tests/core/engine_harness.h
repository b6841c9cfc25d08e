// Runs the conversion engine on the test thread with a record of the events
// it tells; VSK surveys written with the project's writer and opened as the
// program opens them; the context filled the way the survey fills it.
#pragma once

#include "core/conversion_engine.h"
#include "core/converter_context.h"
#include "core/converter_events.h"
#include "platform/files.h"
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

struct Progress {
  int percent;
  std::uint64_t inputPosition;  // the engine's sonarFilePosition when it was told
};

// The events of a run, by kind.
class RecordedEvents final : public ConverterEvents {
 public:
  const ConverterContext* context = nullptr;
  std::vector<Progress> progress;
  std::vector<PingInformation> pings;
  std::vector<std::uint32_t> pingsWithoutData;  // their pingCount
  int valuesOutsideTable = 0;

  void progressChanged(int percent) override { progress.push_back({percent, context->sonarFilePosition}); }
  void pingRead(const PingInformation& ping) override { pings.push_back(ping); }
  void noData() override { pingsWithoutData.push_back(context->pingCount); }
  void valueOutsideTable() override { ++valuesOutsideTable; }
  void unrecognisedChannel(int) override { ADD_FAILURE() << "the engine never reads the channel table's types"; }
};

inline std::vector<unsigned char> readWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class EngineTest : public ::testing::Test {
 protected:
  std::unique_ptr<ConverterContext> context = std::make_unique<ConverterContext>();
  RecordedEvents events;
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
    events.context = context.get();
  }

  void TearDown() override {
    closeFiles();
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
    context->sonarFile =
        CreateFileA(sonarPath.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(context->sonarFile, INVALID_HANDLE_VALUE);
    context->sonarFileOpen = 1;
    DWORD unused = 0;
    ASSERT_EQ(ReadFullVSKHeader(context->sonarFile, &context->fileHeader, &unused), VSK_OK);
    context->sonarFileSize = fileSize64(context->sonarFile);
    std::snprintf(context->segyFileName, sizeof context->segyFileName, "%s", segyPath.c_str());
    // Shared for reading, unlike the program's, so that output() can look at
    // it while it is still open (Windows refuses that otherwise).
    context->segyFile = CreateFileA(segyPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
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
    events = RecordedEvents{};
    events.context = context.get();
    context->conversionStep = 0;
    runConversion(context.get(), events);
    EXPECT_EQ(context->conversionStep, 0);
  }

  std::vector<unsigned char> output() const { return readWholeFile(segyPath); }
};

}  // namespace engine_test
