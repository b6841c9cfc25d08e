// The picture's size: traces per record x samples per trace wide, one row
// per ping, until that exceeds 2048 x 4096; then each way reduced on its own
// by the smallest whole factor that fits, each pixel the mean of its block.
#include "preview_support.h"

#include "res/resource_ids.h"
#include "tools/segy_preview/segy_preview.h"

namespace {

struct SizeCase {
  std::uint32_t tracesPerRecord;
  std::uint32_t samplesPerTrace;
  std::uint64_t records;
  std::uint64_t columnFactor;
  std::uint64_t rowFactor;
  std::uint32_t width;
  std::uint32_t height;
};

TEST(PictureGeometry, EachWayTheSmallestWholeFactorThatFitsIt) {
  const std::vector<SizeCase> cases = {
      {2, 120, 9, 1, 1, 240, 9},          // small: every sample, every ping
      {1, 2048, 4096, 1, 1, 2048, 4096},  // the largest picture at full size
      {2, 1024, 1, 1, 1, 2048, 1},
      {1, 2049, 10, 2, 1, 1025, 10},    // one column too many: the rows stay
      {2, 1025, 1, 2, 1, 1026, 1},      // each trace reduced on its own
      {1, 100, 4097, 1, 2, 100, 2049},  // one row too many: the columns stay
      {1, 100, 40961, 1, 11, 100, 3724},
      {2, 1500, 70000, 2, 18, 1500, 3889},  // the benchmark's line
      {8, 1500, 70000, 6, 18, 2000, 3889},
      {2, 22720, 12, 23, 1, 1976, 12},  // a short line of long traces: a row per ping
      {1, 70000, 3, 35, 1, 2000, 3},    // longer traces than 16 bits count
  };
  for (const SizeCase& c : cases) {
    const PictureGeometry geometry = pictureGeometry(c.tracesPerRecord, c.samplesPerTrace, c.records);
    SCOPED_TRACE(std::to_string(c.tracesPerRecord) + " x " + std::to_string(c.samplesPerTrace) + ", " +
                 std::to_string(c.records) + " records");
    EXPECT_EQ(geometry.columnFactor, c.columnFactor);
    EXPECT_EQ(geometry.rowFactor, c.rowFactor);
    EXPECT_EQ(geometry.width, c.width);
    EXPECT_EQ(geometry.height, c.height);
    EXPECT_LE(geometry.width, MAX_PICTURE_WIDTH);
    EXPECT_LE(geometry.height, MAX_PICTURE_HEIGHT);
  }
}

constexpr std::uint16_t BRIGHT = 30000;
constexpr std::uint16_t MEAN = 2000;
constexpr std::uint8_t WHITE = 255;
constexpr int STARBOARD = 1;

// Varied, and the same within each 2 x 2 block.
std::uint16_t background(int ping, std::uint32_t i) {
  return static_cast<std::uint16_t>(1000 + ((i / 2) * 7 + static_cast<std::uint32_t>(ping / 2) * 13) % 2001);
}

class PictureSize : public PreviewTest {
 protected:
  DecodedPicture pictureOf(const std::string& name, std::uint32_t samples, int pings, const SamplePattern& pattern,
                           std::uint64_t columnFactor, std::uint64_t rowFactor) {
    const std::string survey = path(name + ".vsk");
    EXPECT_TRUE(writePatternSurvey(survey, pairAndSubbottom(samples), pings, pattern));
    convert(survey, path(name + ".SEG"), {IDC_PAIR_1});
    const Preview preview = writePreview(path(name + ".SEG"), path(name + ".png"));
    EXPECT_EQ(preview.status, PreviewStatus::Written) << preview.problem;
    EXPECT_EQ(preview.geometry.columnFactor, columnFactor);
    EXPECT_EQ(preview.geometry.rowFactor, rowFactor);
    DecodedPicture picture;
    EXPECT_TRUE(decodePng(path(name + ".png"), &picture));
    return picture;
  }
};

TEST_F(PictureSize, ASmallSurveyIsShownWhole) {
  const DecodedPicture picture = pictureOf(
      "small", 120, 9, [](int ping, int, std::uint32_t i) { return static_cast<std::uint16_t>(ping * 100 + i); }, 1, 1);
  EXPECT_EQ(picture.width, 240u);
  EXPECT_EQ(picture.height, 9u);
}

// 2 x 1100 columns: halved across, every ping kept. Starboard samples
// 600-601 of pings 40-41 are bright: one white pixel in each of two rows.
// Samples 900-901 of ping 120 are both 2000, of ping 200 are 0 and 4000: the
// mean, not one sample or the largest, makes the pixel.
TEST_F(PictureSize, AWideSurveyIsReducedByBlocksOfOneTrace) {
  const DecodedPicture picture = pictureOf(
      "wide", 1100, 300,
      [](int ping, int position, std::uint32_t i) -> std::uint16_t {
        if (position != STARBOARD) return background(ping, i);
        if (ping / 2 == 20 && i / 2 == 300) return BRIGHT;
        if (ping == 120 && i / 2 == 450) return MEAN;
        if (ping == 200 && i / 2 == 450) return i % 2 == 1 ? 2 * MEAN : 0;
        return background(ping, i);
      },
      2, 1);
  ASSERT_EQ(picture.width, 1100u);
  ASSERT_EQ(picture.height, 300u);
  const std::uint32_t starboard = 550;
  EXPECT_EQ(picture.at(starboard + 300, 40), WHITE);
  EXPECT_EQ(picture.at(starboard + 300, 41), WHITE);
  EXPECT_LT(picture.at(starboard + 300, 42), WHITE);
  const std::uint8_t mean = picture.at(starboard + 450, 120);
  EXPECT_GT(mean, 0);
  EXPECT_LT(mean, WHITE);
  EXPECT_EQ(picture.at(starboard + 450, 200), mean);
}

// 4500 rows: halved down, every sample kept; the bright samples 6-7 of pings
// 3000-3001 are two pixels of row 1500.
TEST_F(PictureSize, ALongSurveyIsReducedToItsRowLimit) {
  const DecodedPicture picture = pictureOf(
      "long", 16, 4500,
      [](int ping, int position, std::uint32_t i) -> std::uint16_t {
        return position == STARBOARD && ping / 2 == 1500 && i / 2 == 3 ? BRIGHT : background(ping, i);
      },
      1, 2);
  ASSERT_EQ(picture.width, 32u);
  ASSERT_EQ(picture.height, 2250u);
  EXPECT_EQ(picture.at(16 + 6, 1500), WHITE);
  EXPECT_EQ(picture.at(16 + 7, 1500), WHITE);
  EXPECT_LT(picture.at(16 + 7, 1499), WHITE);
}

}  // namespace
