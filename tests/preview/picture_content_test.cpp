// What the picture shows: a survey with known patterns (a ramp across the
// samples, bright targets at known pings and samples) converted by the
// program and found at the right pixels; the port side mirrored as the
// conversion wrote it; the same picture from both byte orders and from 8-
// and 16-bit sources.
#include "preview_support.h"

#include "res/resource_ids.h"
#include "tools/segy_preview/preview_picture.h"
#include "tools/segy_preview/segy_preview.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

constexpr std::uint32_t SAMPLES = 200;
constexpr int PINGS = 60;
constexpr int STARBOARD = 1;
constexpr std::uint16_t TARGET = 32000;
constexpr int STARBOARD_TARGET_PING = 37;
constexpr std::uint32_t STARBOARD_TARGET_SAMPLE = 150;
constexpr std::uint8_t WHITE = 255;
constexpr std::uint32_t NO_COLUMN = UINT32_MAX;

// Every channel: a ramp across the samples. The starboard channel has one
// target; the others one per ping, at the sample of the ping's own number
// (a diagonal).
std::uint16_t pattern(int ping, int position, std::uint32_t i) {
  const bool target = position == STARBOARD ? ping == STARBOARD_TARGET_PING && i == STARBOARD_TARGET_SAMPLE
                                            : i == static_cast<std::uint32_t>(ping);
  return target ? TARGET : static_cast<std::uint16_t>(100 + 40 * i);
}

// The grey levels of columns first to last - 1 of the row rise (or fall)
// from black to white, leaving out one column.
void expectRamp(const DecodedPicture& picture, std::uint32_t row, std::uint32_t first, std::uint32_t last, bool rising,
                std::uint32_t skip) {
  std::vector<std::uint8_t> levels;
  for (std::uint32_t column = first; column < last; ++column) {
    if (column != skip) levels.push_back(picture.at(column, row));
  }
  if (!rising) std::reverse(levels.begin(), levels.end());
  EXPECT_TRUE(std::is_sorted(levels.begin(), levels.end())) << "row " << row;
  EXPECT_EQ(levels.front(), 0) << "row " << row << ": the ramp's first samples lie below the low percentile";
  EXPECT_EQ(levels.back(), WHITE) << "row " << row << ": its last lie above the high one";
}

class PictureContent : public PreviewTest {
 protected:
  DecodedPicture pictureOf(const vsk::FileSpec& spec, const Conversion& conversion, const SamplePattern& samples,
                           const std::string& name) {
    const std::string survey = path(name + ".vsk");
    const std::string segy = path(name + ".SEG");
    const std::string png = path(name + ".png");
    EXPECT_TRUE(writePatternSurvey(survey, spec, PINGS, samples));
    convert(survey, segy, conversion);
    const Preview preview = writePreview(segy, png);
    EXPECT_EQ(preview.status, PreviewStatus::Written) << preview.problem;
    DecodedPicture picture;
    EXPECT_TRUE(decodePng(png, &picture)) << png;
    EXPECT_EQ(picture.width, preview.geometry.width);
    EXPECT_EQ(picture.height, preview.geometry.height);
    return picture;
  }
};

TEST_F(PictureContent, APairShowsPortMirroredBesideStarboardOneRowPerPingInOrder) {
  const DecodedPicture picture = pictureOf(pairAndSubbottom(SAMPLES), {IDC_PAIR_1}, pattern, "pair");
  ASSERT_EQ(picture.width, 2 * SAMPLES);
  ASSERT_EQ(picture.height, static_cast<std::uint32_t>(PINGS));
  for (std::uint32_t row = 0; row < picture.height; ++row) {
    // The port trace stands outer sample first: its sample k is column S - 1 - k.
    const std::uint32_t portTarget = SAMPLES - 1 - row;
    EXPECT_EQ(picture.at(portTarget, row), WHITE) << "row " << row;
    expectRamp(picture, row, 0, SAMPLES, false, portTarget);
    const bool targetRow = row == STARBOARD_TARGET_PING;
    const std::uint32_t starboardTarget = SAMPLES + STARBOARD_TARGET_SAMPLE;
    EXPECT_EQ(picture.at(starboardTarget, row) == WHITE, targetRow) << "row " << row;
    expectRamp(picture, row, SAMPLES, 2 * SAMPLES, true, targetRow ? starboardTarget : NO_COLUMN);
  }
}

TEST_F(PictureContent, SingleChannelsAndTheSubbottomAreOneTraceWide) {
  struct Case {
    const char* name;
    Conversion conversion;
    bool mirrored;
  };
  const std::vector<Case> cases = {{"single", {IDC_CHANNEL_1}, false},
                                   {"reversed", {IDC_CHANNEL_1, false, true}, true},
                                   {"subbottom", {IDC_SUBBOTTOM}, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const DecodedPicture picture = pictureOf(pairAndSubbottom(SAMPLES), c.conversion, pattern, c.name);
    ASSERT_EQ(picture.width, SAMPLES);
    ASSERT_EQ(picture.height, static_cast<std::uint32_t>(PINGS));
    for (std::uint32_t row = 0; row < picture.height; ++row) {
      const std::uint32_t target = c.mirrored ? SAMPLES - 1 - row : row;
      EXPECT_EQ(picture.at(target, row), WHITE) << "row " << row;
      expectRamp(picture, row, 0, SAMPLES, !c.mirrored, target);
    }
  }
}

TEST_F(PictureContent, BothByteOrdersGiveTheSamePicture) {
  const DecodedPicture little = pictureOf(pairAndSubbottom(SAMPLES), {IDC_PAIR_1, false}, pattern, "little");
  const DecodedPicture big = pictureOf(pairAndSubbottom(SAMPLES), {IDC_PAIR_1, true}, pattern, "big");
  std::ifstream littleFile(path("little.SEG"), std::ios::binary);
  std::ifstream bigFile(path("big.SEG"), std::ios::binary);
  const std::string littleBytes((std::istreambuf_iterator<char>(littleFile)), std::istreambuf_iterator<char>());
  const std::string bigBytes((std::istreambuf_iterator<char>(bigFile)), std::istreambuf_iterator<char>());
  ASSERT_EQ(littleBytes.size(), bigBytes.size());
  EXPECT_NE(littleBytes.substr(3200), bigBytes.substr(3200)) << "the byte orders were not both written";
  EXPECT_EQ(big.width, little.width);
  EXPECT_EQ(big.height, little.height);
  EXPECT_TRUE(big.grey == little.grey);
}

// An 8-bit sample v is written as v x 128, so a 16-bit survey of v x 128
// makes the same SEG-Y samples.
TEST_F(PictureContent, EightBitSourcesShowAsTheirSixteenBitEquivalents) {
  const auto eightBit = [](int ping, int, std::uint32_t i) {
    return static_cast<std::uint16_t>(i == static_cast<std::uint32_t>(ping) ? 255 : (i * 7 + ping) % 200);
  };
  const auto sixteenBit = [&](int ping, int position, std::uint32_t i) {
    return static_cast<std::uint16_t>(eightBit(ping, position, i) * 128);
  };
  const DecodedPicture narrow = pictureOf(pairAndSubbottom(SAMPLES, 1), {IDC_PAIR_1}, eightBit, "eight");
  const DecodedPicture wide = pictureOf(pairAndSubbottom(SAMPLES, 2), {IDC_PAIR_1}, sixteenBit, "sixteen");
  ASSERT_EQ(narrow.width, 2 * SAMPLES);
  EXPECT_TRUE(narrow.grey == wide.grey);
  EXPECT_EQ(narrow.at(SAMPLES + 5, 5), WHITE);
  EXPECT_LT(narrow.at(SAMPLES + 6, 5), WHITE);
}

TEST(GreyLevels, TheMedianIsMidGreyWhateverTheRuntimesLastBit) {
  // The knee puts the median on 127.5 exactly; it must round the same way
  // on every system, or the Windows and Linux pictures differ.
  int checked = 0;
  for (const std::uint32_t low : {0u, 3u, 1000u}) {
    for (std::uint32_t m = 1; m <= 300; m += 7) {
      for (std::uint32_t h = 2 * m + 1; h <= 2 * m + 20000; h += 997) {
        GreyStretch stretch;
        stretch.low = low;
        stretch.high = low + h;
        stretch.knee = static_cast<double>(m) * m / (h - 2.0 * m);
        if (stretch.knee < 1.0) continue;  // the stretch never uses a knee below 1
        ASSERT_EQ(greyLevel(stretch, low + m), 128) << "low " << low << ", median " << m << ", high " << h;
        ++checked;
      }
    }
  }
  EXPECT_GT(checked, 1000);
}

}  // namespace
