// The VSK side fails: the input is deleted, truncated or rewritten between
// the ping count and PROCESS, or cannot be read at all. A run that cannot
// read its input ends with one "ERROR" box naming the VSK file and an empty
// SEG-Y file; the program never writes to the VSK file; the window converts
// again afterwards.
#include "hardening_support.h"

#include "app/ui_texts.h"
#include "core/converter_context.h"
#include "platform/files.h"
#include "res/resource_ids.h"

#include <filesystem>
#include <fstream>

namespace {

using hardening::fileBytes;
using hardening::formatted;
using hardening::segySize;

constexpr std::uint32_t SAMPLES = 300;
constexpr int PINGS = 8;
constexpr int PAIR_TRACES = 2;
constexpr std::uint32_t OTHER_SAMPLES = 120;

void writeBytes(const std::string& path, const std::vector<unsigned char>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// Bytes of the header and of each record of a survey, as the writer makes them.
std::size_t headerBytes() { return vsk::encodeFileHeader(survey_files::twoPairsAndSubbottom(SAMPLES)).size(); }
std::size_t pingBytes() {
  const vsk::FileSpec spec = survey_files::twoPairsAndSubbottom(SAMPLES);
  return vsk::encodePing(survey_files::pingOf(spec, 0)).size();
}

class InputFaults : public hardening::HardeningTest {
 protected:
  // An accepted survey and a SEG-Y file for pair 1, ready to PROCESS.
  void prepareRun() {
    start();
    survey = acceptSurvey("line.vsk", SAMPLES, PINGS);
    segy = path("line.SEG");
    chooseSegyFile(segy);
    ASSERT_EQ(context().segyFileReady, 1);
    click(IDC_PAIR_1);
    ui.clearRecords();
  }

  void process() {
    ui.clearRecords();
    click(IDC_PROCESS);
  }

  // The run could not read its input: said so, SEG-Y file empty.
  void expectFailedRead() {
    expectOneErrorNaming(survey);
    ASSERT_FALSE(errorBoxes().empty());
    EXPECT_EQ(errorBoxes()[0].text, formatted(CONVERSION_READ_ERROR, survey));
    EXPECT_EQ(fileSize(segy), 0u);
    expectUsable();
  }

  // A run that read to a clean end: whole traces of the survey's geometry.
  void expectWholeTraces(std::uint64_t traces) {
    EXPECT_TRUE(errorBoxes().empty());
    EXPECT_EQ(fileSize(segy), segySize(traces, SAMPLES));
    EXPECT_EQ(context().tracesWritten, traces);
    expectUsable();
  }

  // Another survey chosen after the fault converts as any would.
  void expectRecovers() {
    ui.clearRecords();
    acceptSurvey("other.vsk", SAMPLES, PINGS);
    expectConvertsAgain(SAMPLES, PINGS);
  }

  std::string survey;
  std::string segy;
};

TEST_F(InputFaults, ADeletedInputStillConvertsWholeThroughTheOpenFile) {
  prepareRun();
  std::filesystem::remove(survey);
  process();
  expectWholeTraces(PINGS * PAIR_TRACES);
  expectRecovers();
}

TEST_F(InputFaults, AnInputCutInsideARecordEmptiesTheSegyFileAndSaysSo) {
  prepareRun();
  std::vector<unsigned char> bytes = fileBytes(survey);
  bytes.resize(bytes.size() - pingBytes() / 2);
  writeBytes(survey, bytes);
  process();
  expectFailedRead();
  EXPECT_EQ(fileBytes(survey), bytes) << "the VSK file is read only";
  expectRecovers();
}

TEST_F(InputFaults, AnInputCutInsideItsHeaderOrToNothingEmptiesTheSegyFile) {
  for (const std::size_t kept : {headerBytes() / 2, std::size_t{0}}) {
    SCOPED_TRACE(kept);
    prepareRun();
    std::vector<unsigned char> bytes = fileBytes(survey);
    bytes.resize(kept);
    writeBytes(survey, bytes);
    process();
    expectFailedRead();
    EXPECT_EQ(fileBytes(survey), bytes);
    quit();
  }
}

TEST_F(InputFaults, AnInputRewrittenWithGarbageEmptiesTheSegyFile) {
  prepareRun();
  std::vector<unsigned char> bytes = fileBytes(survey);
  for (std::size_t i = headerBytes(); i < bytes.size(); ++i) bytes[i] = static_cast<unsigned char>(i * 37);
  writeBytes(survey, bytes);
  process();
  expectFailedRead();
  EXPECT_EQ(fileBytes(survey), bytes);
  expectRecovers();
}

TEST_F(InputFaults, AnInputCutAtARecordEndEmptiesTheSegyFileAndSaysSo) {
  prepareRun();
  // Behind the header: PINGS times a navigation record and a ping. Keep three of them.
  std::vector<unsigned char> bytes = fileBytes(survey);
  const std::size_t record = (bytes.size() - headerBytes()) / PINGS;
  constexpr int KEPT = 3;
  bytes.resize(headerBytes() + KEPT * record);
  writeBytes(survey, bytes);
  process();
  expectFailedRead();
  EXPECT_EQ(fileBytes(survey), bytes);
  expectRecovers();
}

TEST_F(InputFaults, AnInputRewrittenAsAnotherSurveyOfOtherSizeEmptiesTheSegyFile) {
  prepareRun();
  ASSERT_TRUE(survey_files::writeSurvey(survey, survey_files::twoPairsAndSubbottom(OTHER_SAMPLES), PINGS + 2));
  process();
  // The geometry the user saw was the file as it was checked: its traces would not be this survey.
  expectFailedRead();
  expectRecovers();
}

TEST_F(InputFaults, AnInputRemovedBeforeItOpensOrHeldElsewhereIsNotOpened) {
  start();
  const std::string removed = writeSurvey("removed.vsk", survey_files::twoPairsAndSubbottom(SAMPLES), PINGS);
  const std::string held = writeSurvey("held.vsk", survey_files::twoPairsAndSubbottom(SAMPLES), PINGS);
  HANDLE holder = CreateFileA(held.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);
  const std::vector<unsigned char> heldBytes = fileBytes(held);
  // The dialog has taken the name (it is shown) and the open is one deferred step away.
  ui.setChangeObserver([&](HWND changed, int controlId) {
    if (changed == window && controlId == IDC_SONAR_FILE_NAME && text(IDC_SONAR_FILE_NAME) == removed) {
      std::filesystem::remove(removed);
    }
  });
  for (const std::string& input : {removed, held}) {
    SCOPED_TRACE(input);
    ui.clearRecords();
    chooseSonarFile(input);
    expectOneErrorNaming(input);
    ASSERT_FALSE(errorBoxes().empty());
    EXPECT_EQ(errorBoxes()[0].text, formatted(SONAR_OPEN_ERROR, input));
    EXPECT_EQ(context().sonarFileOpen, 0);
    EXPECT_EQ(context().sonarFileChecked, 0);
    expectUsable();
  }
  ui.setChangeObserver(nullptr);
  CloseHandle(holder);
  EXPECT_EQ(fileBytes(held), heldBytes);
  ui.clearRecords();
  click(IDC_PROCESS);
  ASSERT_FALSE(boxes().empty());
  EXPECT_EQ(boxes()[0].text, FILES_MISSING);
  expectRecovers();
}

TEST_F(InputFaults, AnInputThatOpensButCannotBeReadIsRefusedByName) {
  start();
  // Root may read any file; this one opens and fails every read at offset 0.
  const std::string unreadable = path("unreadable.vsk");
  std::filesystem::create_symlink("/proc/self/mem", unreadable);
  ui.clearRecords();
  chooseSonarFile(unreadable);
  expectOneErrorNaming(unreadable);
  ASSERT_FALSE(errorBoxes().empty());
  EXPECT_EQ(errorBoxes()[0].text, formatted(SONAR_HEADER_ERROR, unreadable));
  EXPECT_EQ(context().sonarFileChecked, 0);
  EXPECT_EQ(text(IDC_SONAR_PING_COUNT), "");
  EXPECT_EQ(text(IDC_CHANNEL_LIST), "");
  expectUsable();
  expectRecovers();
}

}  // namespace
