// Reading a SEG-Y file back: a file without traces gets no picture, a file
// that does not read as the program writes it gets a clear reason and no
// picture, the whole sample count comes from the text header or the file's
// size, and a picture that cannot be written leaves nothing.
#include "preview_support.h"

#include "res/resource_ids.h"
#include "tools/segy_preview/segy_preview.h"

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

constexpr std::uint32_t SAMPLES = 40;
constexpr int PINGS = 5;
constexpr std::size_t REEL_HEADER = 3600;
constexpr std::size_t TRACE_BYTES = 240 + 2 * SAMPLES;

std::string bytesOf(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeBytes(const std::string& file, const std::string& bytes) {
  std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
}

// Little-endian, as the test's conversions write.
void putLittle(std::string& bytes, std::size_t at, std::uint32_t value, std::size_t width) {
  for (std::size_t i = 0; i < width; ++i) bytes[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

class SegyFile : public PreviewTest {
 protected:
  // A pair of SAMPLES samples, PINGS pings, little-endian: its bytes.
  std::string pairFile() {
    const std::string survey = path("line.vsk");
    EXPECT_TRUE(writePatternSurvey(survey, pairAndSubbottom(SAMPLES), PINGS, [](int ping, int, std::uint32_t i) {
      return static_cast<std::uint16_t>(ping * 300 + static_cast<int>(i) * 20);
    }));
    convert(survey, path("line.SEG"), {IDC_PAIR_1});
    return bytesOf(path("line.SEG"));
  }

  // The picture of `bytes` as a SEG-Y file: nothing at all may be left
  // behind when none is made.
  Preview previewOf(const std::string& bytes) {
    writeBytes(path("test.SEG"), bytes);
    const Preview preview = writePreview(path("test.SEG"), path("test.png"));
    if (preview.status != PreviewStatus::Written) {
      EXPECT_FALSE(std::filesystem::exists(path("test.png")));
    }
    return preview;
  }
};

TEST_F(SegyFile, AFileWithoutTracesGetsNoPicture) {
  const std::string whole = pairFile();
  ASSERT_EQ(whole.size(), REEL_HEADER + 2 * PINGS * TRACE_BYTES);
  EXPECT_EQ(previewOf(whole).status, PreviewStatus::Written);
  std::filesystem::remove(path("test.png"));
  EXPECT_EQ(previewOf(whole.substr(0, REEL_HEADER)).status, PreviewStatus::NoTraces);
  EXPECT_EQ(previewOf("").status, PreviewStatus::NoTraces) << "a run that met no sonar ping writes nothing";
}

TEST_F(SegyFile, AFileThatDoesNotReadAsWrittenIsRefusedWithItsReason) {
  const std::string whole = pairFile();
  // Built by appending: GCC 12 at -O3 warns falsely (-Wrestrict) on "[" + path(...).
  std::string file("[");
  file += path("test.SEG");
  file += "]";
  struct Fault {
    std::string bytes;
    std::string reason;
  };
  std::vector<Fault> faults;
  faults.push_back({whole.substr(0, 100), "The file " + file + " is shorter than a SEG-Y reel header."});
  faults.push_back(
      {whole.substr(0, whole.size() - 1),
       "The file " + file + " ends inside trace 10: it is not the reel header and whole traces of 40 samples."});
  faults.push_back({whole.substr(0, whole.size() - TRACE_BYTES),
                    "The file " + file + " ends inside record 5: its 9 traces are not whole records of 2."});
  std::string bytes = whole;
  putLittle(bytes, 3224, 5, 2);
  faults.push_back({bytes, "The file " + file + " does not state 16-bit integer samples (sample format code 5)."});
  bytes = whole;
  putLittle(bytes, 3212, 9, 2);
  faults.push_back({bytes, "The file " + file + " states 9 traces per record; 1 to 8 can be shown."});
  bytes = whole;
  putLittle(bytes, REEL_HEADER + 3 * TRACE_BYTES + 12, 1, 4);
  faults.push_back({bytes, "Trace 4 of " + file + " has the trace number 1 where 2 belongs."});
  bytes = whole;
  putLittle(bytes, REEL_HEADER + 5 * TRACE_BYTES + 8, 77, 4);
  faults.push_back({bytes, "Trace 6 of " + file + " has the field record number 77; its record began with 3."});
  bytes = whole;
  putLittle(bytes, REEL_HEADER + 6 * TRACE_BYTES + 114, 41, 2);
  faults.push_back({bytes, "Trace 7 of " + file + " states 41 samples; the binary header states 40."});
  for (const Fault& fault : faults) {
    SCOPED_TRACE(fault.reason);
    const Preview preview = previewOf(fault.bytes);
    EXPECT_EQ(preview.status, PreviewStatus::Failed);
    EXPECT_EQ(preview.problem, fault.reason);
  }
  const Preview missing = writePreview(path("missing.SEG"), path("missing.png"));
  EXPECT_EQ(missing.status, PreviewStatus::Failed);
  EXPECT_EQ(missing.problem.rfind("The file [" + path("missing.SEG") + "] could not be read: ", 0), 0u)
      << missing.problem;
}

// The binary header holds 70000 - 65536 = 4464 samples per trace; the text
// header's line 6 holds 70000.
TEST_F(SegyFile, TracesLongerThanSixteenBitsCountAreReadWhole) {
  constexpr std::uint32_t LONG_SAMPLES = 70000;
  const std::string survey = path("long.vsk");
  ASSERT_TRUE(writePatternSurvey(survey, pairAndSubbottom(LONG_SAMPLES), 3,
                                 [](int, int, std::uint32_t i) { return static_cast<std::uint16_t>(i / 4); }));
  convert(survey, path("long.SEG"), {IDC_SUBBOTTOM});
  const std::string whole = bytesOf(path("long.SEG"));
  ASSERT_EQ(whole.size(), REEL_HEADER + 3 * (240 + 2 * std::size_t{LONG_SAMPLES}));
  const Preview preview = previewOf(whole);
  ASSERT_EQ(preview.status, PreviewStatus::Written) << preview.problem;
  EXPECT_EQ(preview.geometry.width, 2000u);
  EXPECT_EQ(preview.geometry.height, 3u);
  DecodedPicture picture;
  ASSERT_TRUE(decodePng(path("test.png"), &picture));
  EXPECT_LT(picture.at(0, 0), picture.at(1999, 0));

  // Without the text header's count, the file's size tells it.
  std::filesystem::remove(path("test.png"));
  std::string unstated = whole;
  std::memset(unstated.data() + 5 * 80 + 42, ' ', 6);
  const Preview fromSize = previewOf(unstated);
  ASSERT_EQ(fromSize.status, PreviewStatus::Written) << fromSize.problem;
  EXPECT_EQ(fromSize.geometry.width, preview.geometry.width);
}

TEST_F(SegyFile, APictureIsWrittenWholeOrNotAtAll) {
  pairFile();
  writeBytes(path("line.png"), "an older picture");
  Preview preview = writePreview(path("line.SEG"), path("line.png"));
  ASSERT_EQ(preview.status, PreviewStatus::Written) << preview.problem;
  DecodedPicture picture;
  ASSERT_TRUE(decodePng(path("line.png"), &picture));
  EXPECT_EQ(picture.width, 2 * SAMPLES);
  EXPECT_EQ(picture.height, static_cast<std::uint32_t>(PINGS));

  std::filesystem::create_directory(path("taken.png"));
  writeBytes(path("taken.png/inside"), "kept");
  preview = writePreview(path("line.SEG"), path("taken.png"));
  EXPECT_EQ(preview.status, PreviewStatus::Failed);
  EXPECT_EQ(preview.problem.rfind("The picture [" + path("taken.png") + "] could not be written: ", 0), 0u)
      << preview.problem;
  EXPECT_EQ(bytesOf(path("taken.png/inside")), "kept");

  preview = writePreview(path("line.SEG"), path("missing/line.png"));
  EXPECT_EQ(preview.status, PreviewStatus::Failed);
  EXPECT_FALSE(std::filesystem::exists(path("missing")));
}

TEST(PictureName, TheSegyFilesBaseNameWithPng) {
  EXPECT_EQ(pictureNameFor("line7.SEG", ""), "line7.png");
  EXPECT_EQ(pictureNameFor("/data/day.3/line7.SEG", ""), "/data/day.3/line7.png");
  EXPECT_EQ(pictureNameFor("/data/day.3/line7", ""), "/data/day.3/line7.png");
  EXPECT_EQ(pictureNameFor("out/a.b.SEG", ""), "out/a.b.png");
  EXPECT_EQ(pictureNameFor("out/line7.SEG", "pictures"), "pictures/line7.png");
  EXPECT_EQ(pictureNameFor("line7.SEG", "/tmp/pictures/"), "/tmp/pictures/line7.png");
}

}  // namespace
