// The picture's size: traces per record x samples per trace wide, one row
// per ping, until that exceeds 2048 x 4096; then both reduced by the
// smallest whole factor that fits, each pixel the mean of its block.
#include "preview_support.h"

#include "res/resource_ids.h"
#include "tools/segy_preview/segy_preview.h"

namespace {

struct SizeCase {
  std::uint32_t tracesPerRecord;
  std::uint32_t samplesPerTrace;
  std::uint64_t records;
  std::uint64_t factor;
  std::uint32_t width;
  std::uint32_t height;
};

TEST(PictureGeometry, TheSmallestWholeFactorThatFitsBothWays) {
  const std::vector<SizeCase> cases = {
      {2, 120, 9, 1, 240, 9},            // small: every sample, every ping
      {1, 2048, 4096, 1, 2048, 4096},    // the largest picture at full size
      {2, 1024, 1, 1, 2048, 1},
      {1, 2049, 10, 2, 1025, 5},         // one column too many: halved, rows too
      {2, 1025, 1, 2, 1026, 1},          // each trace reduced on its own
      {1, 100, 4097, 2, 50, 2049},       // one row too many
      {1, 100, 40961, 11, 10, 3724},
      {2, 1500, 70000, 18, 168, 3889},   // the benchmark's line
      {8, 1500, 70000, 18, 672, 3889},
      {1, 70000, 3, 35, 2000, 1},        // longer traces than 16 bits count
  };
  for (const SizeCase& c : cases) {
    const PictureGeometry geometry = pictureGeometry(c.tracesPerRecord, c.samplesPerTrace, c.records);
    SCOPED_TRACE(std::to_string(c.tracesPerRecord) + " x " + std::to_string(c.samplesPerTrace) + ", " +
                 std::to_string(c.records) + " records");
    EXPECT_EQ(geometry.factor, c.factor);
    EXPECT_EQ(geometry.width, c.width);
    EXPECT_EQ(geometry.height, c.height);
    EXPECT_LE(geometry.width, MAX_PICTURE_WIDTH);
    EXPECT_LE(geometry.height, MAX_PICTURE_HEIGHT);
  }
}

constexpr std::uint32_t LARGE_SAMPLES = 1100;
constexpr int LARGE_PINGS = 4500;
constexpr std::uint16_t BRIGHT = 30000;
constexpr std::uint16_t MEAN = 2000;
constexpr std::uint8_t WHITE = 255;

using PictureSize = PreviewTest;

TEST_F(PictureSize, ASmallSurveyIsShownWholeALargeOneReducedByBlocks) {
  const std::string small = path("small.vsk");
  ASSERT_TRUE(writePatternSurvey(small, pairAndSubbottom(120), 9,
                                 [](int ping, int, std::uint32_t i) { return static_cast<std::uint16_t>(ping * 100 + i); }));
  convert(small, path("small.SEG"), {IDC_PAIR_1});
  Preview preview = writePreview(path("small.SEG"), path("small.png"));
  ASSERT_EQ(preview.status, PreviewStatus::Written) << preview.problem;
  DecodedPicture picture;
  ASSERT_TRUE(decodePng(path("small.png"), &picture));
  EXPECT_EQ(picture.width, 240u);
  EXPECT_EQ(picture.height, 9u);

  // 2 x 1100 columns and 4500 rows: halved both ways. Starboard samples
  // 600-601 of pings 1000-1001 are bright: one white pixel. Samples 900-901
  // of pings 3000-3001 are all 2000, of pings 3200-3201 are 0, 0, 0 and
  // 8000: the mean, not one sample or the largest, makes the pixel.
  const auto pattern = [](int ping, int position, std::uint32_t i) -> std::uint16_t {
    const bool starboard = position == 1;
    if (starboard && ping / 2 == 500 && i / 2 == 300) return BRIGHT;
    if (starboard && ping / 2 == 1500 && i / 2 == 450) return MEAN;
    if (starboard && ping / 2 == 1600 && i / 2 == 450) return ping % 2 == 1 && i % 2 == 1 ? 4 * MEAN : 0;
    return static_cast<std::uint16_t>(1000 + ((i / 2) * 7 + static_cast<std::uint32_t>(ping / 2) * 13) % 2001);
  };
  const std::string large = path("large.vsk");
  ASSERT_TRUE(writePatternSurvey(large, pairAndSubbottom(LARGE_SAMPLES), LARGE_PINGS, pattern));
  convert(large, path("large.SEG"), {IDC_PAIR_1});
  preview = writePreview(path("large.SEG"), path("large.png"));
  ASSERT_EQ(preview.status, PreviewStatus::Written) << preview.problem;
  EXPECT_EQ(preview.geometry.factor, 2u);
  ASSERT_TRUE(decodePng(path("large.png"), &picture));
  EXPECT_EQ(picture.width, 2 * LARGE_SAMPLES / 2);
  EXPECT_EQ(picture.height, static_cast<std::uint32_t>(LARGE_PINGS / 2));
  const std::uint32_t starboard = LARGE_SAMPLES / 2;
  EXPECT_EQ(picture.at(starboard + 300, 500), WHITE);
  const std::uint8_t mean = picture.at(starboard + 450, 1500);
  EXPECT_GT(mean, 0);
  EXPECT_LT(mean, WHITE);
  EXPECT_EQ(picture.at(starboard + 450, 1600), mean);
}

}  // namespace
