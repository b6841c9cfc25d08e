// Inputs the batch refuses or cannot convert: the window's message on
// stderr, the run going on with the next input, exit status 1, and every
// file that was not converted left as it was.
#include "batch_program.h"
#include "survey_files.h"

#include "app/settings_file.h"
#include "platform/files.h"

#include <filesystem>
#include <fstream>

namespace {

constexpr std::uint32_t SAMPLES = 64;
constexpr int PINGS = 5;
const std::string UNTOUCHED = "an older file that must stay as it is";

class BatchRefusal : public BatchTest {
 protected:
  void good(const std::string& name, int pings = PINGS) {
    writeSurvey(name, survey_files::twoPairsAndSubbottom(SAMPLES), pings);
  }
  void place(const std::string& name) const { std::ofstream(path(name), std::ios::binary) << UNTOUCHED; }
  void expectConverted(const std::string& segy, int pings) {
    EXPECT_EQ(segyioDifferences(path(segy), expectedSegy(false, SAMPLES, pings, {{0, true}, {1, false}})), "") << segy;
  }
};

TEST_F(BatchRefusal, ARefusedInputAmongGoodOnesLeavesItsOutputAndTheOthersConvert) {
  good("first.vsk", 4);
  const std::string broken = path("broken.vsk");
  survey_files::writeSurvey(broken, survey_files::twoPairsAndSubbottom(SAMPLES), 300);
  std::ofstream(broken, std::ios::binary | std::ios::app) << std::string(40, '\x07');
  good("last.vsk", 6);
  place("broken.SEG");
  const BatchRun run = runBatch({"-c", "pair1", "first.vsk", "broken.vsk", "last.vsk"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.err.find("ERROR: The file [broken.vsk] does't match VSK specifications.\n"), std::string::npos)
      << run.err;
  EXPECT_EQ(fileBytes(path("broken.SEG")), UNTOUCHED);
  expectConverted("first.SEG", 4);
  expectConverted("last.SEG", 6);
  EXPECT_NE(run.err.find("2 of 3 files converted, 20 traces, "), std::string::npos) << run.err;
}

TEST_F(BatchRefusal, AMissingInputOrAFolderIsToldAndSkipped) {
  good("line.vsk");
  std::filesystem::create_directory(path("folder.vsk"));
  const BatchRun run = runBatch({"-c", "pair1", "missing.vsk", "folder.vsk", "line.vsk"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.err.find("Select VSK file: missing.vsk File not found. Check the file name and try again.\n"),
            std::string::npos)
      << run.err;
  EXPECT_NE(run.err.find("ERROR: [folder.vsk] is a folder.\n"), std::string::npos) << run.err;
  EXPECT_FALSE(exists(path("missing.SEG")));
  expectConverted("line.SEG", PINGS);
}

TEST_F(BatchRefusal, AChannelSetTheFileLacksCreatesNoOutput) {
  good("line.vsk");
  const BatchRun run = runBatch({"-c", "ch7", "line.vsk"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.err.find("ERROR: The file [line.vsk] has no channel set ch7 (it offers: pair1 pair2 subbottom ch1 ch2 "
                         "ch3 ch4 ch5).\n"),
            std::string::npos)
      << run.err;
  EXPECT_FALSE(exists(path("line.SEG")));
}

TEST_F(BatchRefusal, AnOutputThatIsAnInputUnderAnotherNameIsNotTouched) {
  std::filesystem::create_directory(path("a"));
  std::filesystem::create_directory(path("b"));
  good("a/line.vsk");
  good("b/other.vsk");
  good("b/third.vsk");
  // a/line.SEG is b/other.vsk by a symbolic link, b/third.SEG is a/line.vsk by a hard link.
  std::filesystem::create_symlink("../b/other.vsk", path("a/line.SEG"));
  std::filesystem::create_hard_link(path("a/line.vsk"), path("b/third.SEG"));
  const std::string otherBefore = fileBytes(path("b/other.vsk"));
  const std::string lineBefore = fileBytes(path("a/line.vsk"));
  const BatchRun run = runBatch({"-c", "pair1", "a/line.vsk", "b/other.vsk", "b/third.vsk"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.err.find("ERROR: The output [a/line.SEG] is the input [b/other.vsk]; it is left as it was.\n"),
            std::string::npos)
      << run.err;
  EXPECT_NE(run.err.find("ERROR: The output [b/third.SEG] is the input [a/line.vsk]; it is left as it was.\n"),
            std::string::npos)
      << run.err;
  EXPECT_EQ(fileBytes(path("b/other.vsk")), otherBefore);
  EXPECT_EQ(fileBytes(path("a/line.vsk")), lineBefore);
  expectConverted("b/other.SEG", PINGS);
}

TEST_F(BatchRefusal, TheOpenInputIsNeverItsOwnOutput) {
  good("line.vsk");
  const std::string before = fileBytes(path("line.vsk"));
  const BatchRun run = runBatch({"-c", "pair1", "-o", "./line.vsk", "line.vsk"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.err.find("ERROR: The output [./line.vsk] is the input [line.vsk]; it is left as it was.\n"),
            std::string::npos)
      << run.err;
  EXPECT_EQ(fileBytes(path("line.vsk")), before);
}

TEST_F(BatchRefusal, TwoInputsOfOneNameCannotShareAnOutput) {
  std::filesystem::create_directory(path("a"));
  std::filesystem::create_directory(path("b"));
  std::filesystem::create_directory(path("out"));
  good("a/line.vsk", 3);
  good("b/line.vsk", 8);
  const BatchRun run = runBatch({"-c", "pair1", "-o", "out", "a/line.vsk", "b/line.vsk"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.err.find("ERROR: The output [out/line.SEG] belongs to an earlier input; it is left as it was.\n"),
            std::string::npos)
      << run.err;
  expectConverted("out/line.SEG", 3);
}

TEST_F(BatchRefusal, AnOutputInAMissingFolderIsTold) {
  good("line.vsk");
  const BatchRun run = runBatch({"-c", "pair1", "-o", "nowhere/line.SEG", "line.vsk"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.err.find("ERROR: The output [nowhere/line.SEG] cannot be written: No such file or directory.\n"),
            std::string::npos)
      << run.err;
  EXPECT_FALSE(exists(path("nowhere")));
}

TEST_F(BatchRefusal, AnOutputInUseElsewhereIsTheWindowsErrorAndStaysAsItWas) {
  good("line.vsk");
  place("line.SEG");
  // Another program holds it open without sharing.
  HANDLE holder =
      CreateFileA(path("line.SEG").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);
  const BatchRun run = runBatch({"-c", "pair1", "line.vsk"});
  CloseHandle(holder);
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.err.find("ERROR: Error opening file [line.SEG]. Check for WRITE PROTECT or IN USE state.\n"),
            std::string::npos)
      << run.err;
  EXPECT_EQ(run.err.find("VSK and/or SEG file are missing"), std::string::npos) << "PROCESS is not pressed";
  EXPECT_EQ(fileBytes(path("line.SEG")), UNTOUCHED);
}

TEST_F(BatchRefusal, AWarningOfTheSurveyIsShownAndTheInputStillConverts) {
  vsk::FileSpec spec;
  spec.sonarChannels = {survey_files::channel(survey_files::PORT, 0, 100, SAMPLES),
                        survey_files::channel(survey_files::STARBOARD, 1, 100, SAMPLES),
                        survey_files::channel(5, 2, 100, SAMPLES)};
  writeSurvey("odd.vsk", spec, PINGS);
  const BatchRun run = runBatch({"-c", "pair1", "odd.vsk"});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_NE(run.err.find("Channel type: Unrecognized file type in channel 3.  Assuming subbottom.\n"),
            std::string::npos)
      << run.err;
  expectConverted("odd.SEG", PINGS);
}

TEST_F(BatchRefusal, NoSettingsFileIsReadOrWritten) {
  good("line.vsk");
  const std::string settings =
      "[VESKCONV]\nMOTOROLA Memory Model=1\nUse Ship Coordinates=0\n"
      "Enable Processing Information=0\nLast VSK File Name=elsewhere.vsk\n";
  writeSettings(settings);
  ASSERT_EQ(runBatch({"-c", "pair1", "line.vsk"}).exitCode, 0);
  EXPECT_EQ(settingsText(), settings);
  expectConverted("line.SEG", PINGS);  // little-endian, as asked, whatever the settings say
  std::filesystem::remove(path("config") + "/" + SETTINGS_FILE);
  ASSERT_EQ(runBatch({"-c", "pair1", "line.vsk"}).exitCode, 0);
  EXPECT_TRUE(std::filesystem::is_empty(path("config")));
}

}  // namespace
