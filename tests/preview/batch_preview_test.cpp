// veskconv-batch --preview as a script runs it: the picture beside each
// SEG-Y file or in a folder, decoded again by Python's imaging library; the
// file without traces; pictures that would replace an input, the SEG-Y file
// itself or an earlier picture are refused.
#include "batch_program.h"
#include "hardening_support.h"
#include "preview_support.h"
#include "survey_files.h"

#include <sys/mount.h>
#include <sys/stat.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <numeric>

namespace {

constexpr std::uint32_t SAMPLES = 120;
constexpr int PINGS = 9;

// "MODE WIDTH HEIGHT SUM" of a picture as PIL reads it.
std::string describedByPil(const std::string& png) {
  const char* python = std::getenv("VESK_TEST_PYTHON");
  if (python == nullptr || *python == '\0') return "VESK_TEST_PYTHON is not set";
  const std::string command = std::string(python) +
                              " -c 'import sys; from PIL import Image; p = Image.open(sys.argv[1]); "
                              "print(p.mode, p.width, p.height, sum(p.getdata()))' '" +
                              png + "' 2>&1";
  std::FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) return "cannot run " + command;
  std::string text;
  std::array<char, 256> chunk{};
  while (std::fgets(chunk.data(), static_cast<int>(chunk.size()), pipe) != nullptr) text += chunk.data();
  ::pclose(pipe);
  return text;
}

std::string describedByLibpng(const std::string& png) {
  DecodedPicture picture;
  if (!decodePng(png, &picture)) return "libpng cannot read " + png;
  const std::uint64_t sum = std::accumulate(picture.grey.begin(), picture.grey.end(), std::uint64_t{0});
  return "L " + std::to_string(picture.width) + " " + std::to_string(picture.height) + " " + std::to_string(sum) + "\n";
}

class BatchPreview : public BatchTest {
 protected:
  bool nothingPendingLeft() const {
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
      if (entry.path().filename().string().rfind(".veskconv-", 0) == 0) return false;
    }
    return true;
  }
};

TEST_F(BatchPreview, APictureBesideEachSegyFile) {
  writeSurvey("line.vsk", survey_files::twoPairsAndSubbottom(SAMPLES), PINGS, true);
  const BatchRun run = runBatch({"-c", "pair1", "--preview", "line.vsk"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_NE(run.err.find("line.vsk: 9 pings, 100% -> line.SEG\nline.vsk: picture 240 x 9 -> line.png\n"),
            std::string::npos)
      << run.err;
  const std::string pil = describedByPil(path("line.png"));
  EXPECT_EQ(pil.rfind("L 240 9 ", 0), 0u) << pil;
  EXPECT_EQ(pil, describedByLibpng(path("line.png")));
  EXPECT_TRUE(nothingPendingLeft());
}

TEST_F(BatchPreview, PicturesInAFolderNamedAfterPreviewOrWithEquals) {
  writeSurvey("line1.vsk", survey_files::twoPairsAndSubbottom(SAMPLES), PINGS);
  writeSurvey("line2.vsk", survey_files::twoPairsAndSubbottom(SAMPLES), 4);
  std::filesystem::create_directory(path("pictures"));
  BatchRun run = runBatch({"--preview", "pictures", "-c", "ch1", "line1.vsk", "line2.vsk"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(describedByPil(path("pictures/line1.png")).rfind("L 120 9 ", 0), 0u);
  EXPECT_EQ(describedByPil(path("pictures/line2.png")).rfind("L 120 4 ", 0), 0u);
  EXPECT_FALSE(exists(path("line1.png")));
  EXPECT_NE(run.err.find("line2.vsk: picture 120 x 4 -> pictures/line2.png\n"), std::string::npos) << run.err;

  std::filesystem::create_directory(path("out"));
  std::filesystem::create_directory(path("seen"));
  run = runBatch({"-c", "subbottom", "--preview=seen", "-o", "out", "line1.vsk"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_TRUE(exists(path("seen/line1.png")));
  EXPECT_FALSE(exists(path("out/line1.png")));

  // A file after --preview is an input, and the picture goes beside its SEG-Y file.
  run = runBatch({"-c", "ch2", "--preview", "line2.vsk"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_TRUE(exists(path("line2.png")));

  run = runBatch({"-c", "ch2", "--preview=missing", "line2.vsk"});
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_EQ(run.err.rfind("veskconv-batch: --preview=missing: not an existing folder\n", 0), 0u) << run.err;
  EXPECT_TRUE(nothingPendingLeft());
}

TEST_F(BatchPreview, AConversionWithoutTracesGivesNeitherSegyFileNorPicture) {
  // The table offers pair 1; no ping holds it.
  const vsk::FileSpec spec = survey_files::twoPairsAndSubbottom(SAMPLES);
  vsk::Writer writer(path("line.vsk"), spec);
  for (int ping = 0; ping < PINGS; ++ping) {
    vsk::Ping record = survey_files::pingOf(spec, ping);
    record.channels.erase(record.channels.begin(), record.channels.begin() + 2);
    writer.writePing(record);
  }
  ASSERT_TRUE(writer.close());
  const BatchRun run = runBatch({"-c", "pair1", "--preview", "line.vsk"});
  EXPECT_EQ(run.exitCode, 1) << run.err;
  EXPECT_NE(run.err.find("ERROR: No sonar ping of [line.vsk] holds the chosen channels."), std::string::npos)
      << run.err;
  EXPECT_FALSE(exists(path("line.SEG")));
  EXPECT_FALSE(exists(path("line.png")));
}

TEST_F(BatchPreview, APictureNeverReplacesAnInputTheSegyFileOrAnEarlierPicture) {
  writeSurvey("line.png", survey_files::twoPairsAndSubbottom(SAMPLES), PINGS);
  const std::string input = fileBytes(path("line.png"));
  BatchRun run = runBatch({"-c", "pair1", "--preview", "line.png"});
  EXPECT_EQ(run.exitCode, 1) << run.err;
  EXPECT_NE(run.err.find("ERROR: The output [line.png] is the input [line.png]; it is left as it was.\n"),
            std::string::npos)
      << run.err;
  EXPECT_TRUE(fileBytes(path("line.png")) == input);
  EXPECT_GT(fileSize(path("line.SEG")), 3600u) << "the conversion itself stands";

  writeSurvey("line.vsk", survey_files::twoPairsAndSubbottom(SAMPLES), PINGS);
  run = runBatch({"-c", "pair1", "--preview", "-o", "out.png", "line.vsk"});
  EXPECT_EQ(run.exitCode, 1) << run.err;
  EXPECT_NE(run.err.find("ERROR: The picture [out.png] would replace the SEG-Y file it shows; no picture was made.\n"),
            std::string::npos)
      << run.err;
  EXPECT_EQ(fileBytes(path("out.png")).rfind("C 1 CLIENT", 0), 0u);

  std::filesystem::create_directories(path("day1"));
  std::filesystem::create_directories(path("day2"));
  std::filesystem::create_directories(path("pictures"));
  writeSurvey("day1/line.vsk", survey_files::twoPairsAndSubbottom(SAMPLES), PINGS);
  writeSurvey("day2/line.vsk", survey_files::twoPairsAndSubbottom(SAMPLES), 3);
  run = runBatch({"-c", "ch1", "--preview", "pictures", "day1/line.vsk", "day2/line.vsk"});
  EXPECT_EQ(run.exitCode, 1) << run.err;
  EXPECT_NE(run.err.find("ERROR: The output [pictures/line.png] belongs to an earlier input; it is left as it was.\n"),
            std::string::npos)
      << run.err;
  EXPECT_EQ(describedByPil(path("pictures/line.png")).rfind("L 120 9 ", 0), 0u) << "the first picture stays";
  EXPECT_TRUE(nothingPendingLeft());
}

// The picture follows the SEG-Y file's rules: written through a link, never
// over what is no file or what another program holds; a trace of any length
// the writer makes is drawn; and where no picture can be made, none of an
// earlier run stays beside the new SEG-Y file.
TEST_F(BatchPreview, APictureIsPublishedAsTheSegyFileIs) {
  writeSurvey("line.vsk", survey_files::twoPairsAndSubbottom(SAMPLES), PINGS);
  std::filesystem::create_directory(path("pictures"));
  std::ofstream(path("pictures/real.png")) << "older";
  std::filesystem::create_symlink("pictures/real.png", path("line.png"));
  BatchRun run = runBatch({"-c", "pair1", "--preview", "line.vsk"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_TRUE(std::filesystem::is_symlink(path("line.png")));
  EXPECT_EQ(describedByLibpng(path("pictures/real.png")).rfind("L 240 9 ", 0), 0u);

  std::filesystem::remove(path("line.png"));
  ASSERT_EQ(::mkfifo(path("line.png").c_str(), 0600), 0);
  run = runBatch({"-c", "pair1", "--preview", "line.vsk"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.err.find("ERROR: The picture [line.png] could not be written: it is not a regular file.\n"),
            std::string::npos)
      << run.err;
  EXPECT_TRUE(std::filesystem::is_fifo(path("line.png")));

  std::filesystem::remove(path("line.png"));
  std::ofstream(path("line.png")) << "a viewer shows this";
  const int viewer = holdOpen(path("line.png"), "<");
  run = runBatch({"-c", "pair1", "--preview", "line.vsk"});
  release(viewer);
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.err.find("ERROR: The picture [line.png] could not be written: another program holds it"),
            std::string::npos)
      << run.err;
  EXPECT_EQ(fileBytes(path("line.png")), "a viewer shows this");

  // A million samples a trace: more digits than the text header has room for.
  ASSERT_TRUE(writePatternSurvey(path("long.vsk"), pairAndSubbottom(1000000), 2,
                                 [](int, int, std::uint32_t i) { return static_cast<std::uint16_t>(i / 100); }));
  run = runBatch({"-c", "subbottom", "--preview", "long.vsk"});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_NE(run.err.find("long.vsk: picture "), std::string::npos) << run.err;
  EXPECT_EQ(describedByPil(path("long.png")).rfind("L ", 0), 0u);

  // A disk with room for the SEG-Y file but not for the picture.
  std::string why;
  const std::string full = path("full");
  std::filesystem::create_directory(full);
  if (!hardening::mountTmpfs(full, std::uint64_t{64} << 10, false, &why)) GTEST_SKIP() << why;
  std::ofstream(full + "/noise.png") << std::string(30000, 'x');
  ASSERT_TRUE(writePatternSurvey(path("noise.vsk"), pairAndSubbottom(2000), 60, [](int ping, int, std::uint32_t i) {
    return static_cast<std::uint16_t>((i * 2654435761u + static_cast<std::uint32_t>(ping) * 40503u) >> 7);
  }));
  run = runBatch({"-c", "subbottom", "--preview=full", "noise.vsk"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.err.find("ERROR: The picture [full/noise.png] could not be written: No space left on device. The "
                         "picture [full/noise.png] of an earlier run was removed: it did not show this SEG-Y file.\n"),
            std::string::npos)
      << run.err;
  EXPECT_FALSE(exists(full + "/noise.png"));
  EXPECT_TRUE(exists(path("noise.SEG")));
  EXPECT_TRUE(nothingPendingLeft());
  ::umount2(full.c_str(), MNT_DETACH);
}

}  // namespace
