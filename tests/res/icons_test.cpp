// The compiled-in icons parse as 32 x 32 XPM images of at most 16 colours,
// on a transparent background, each glyph in its own colour.
#include "platform/resources.h"
#include "res/program_resources.h"
#include "res/resource_ids.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>

namespace {

constexpr int ICON_SIZE = 32;
constexpr int MAX_COLOURS = 16;

struct Rgb {
  unsigned r, g, b;
};

struct Xpm {
  int width = 0, height = 0;
  std::map<char, std::string> colours;  // key: the colour text after "c"
  std::map<char, int> uses;
};

// Parses the XPM arrays the way an XPM reader does: values line, colour
// lines of one character per pixel, then the rows. Failures are test failures.
Xpm parse(const char* const* xpm) {
  Xpm image;
  int colourCount = 0, charsPerPixel = 0;
  EXPECT_EQ(std::sscanf(xpm[0], "%d %d %d %d", &image.width, &image.height, &colourCount, &charsPerPixel), 4);
  EXPECT_EQ(charsPerPixel, 1);
  for (int i = 1; i <= colourCount; ++i) {
    const std::string line = xpm[i];
    EXPECT_GE(line.size(), 5u) << line;
    EXPECT_EQ(line.substr(1, 3), " c ") << line;
    EXPECT_EQ(image.colours.count(line[0]), 0u) << "colour key used twice: " << line;
    image.colours[line[0]] = line.substr(4);
  }
  for (int y = 0; y < image.height; ++y) {
    const std::string row = xpm[1 + colourCount + y];
    EXPECT_EQ(static_cast<int>(row.size()), image.width) << "row " << y;
    for (char pixel : row) {
      EXPECT_EQ(image.colours.count(pixel), 1u) << "row " << y << " pixel '" << pixel << "'";
      ++image.uses[pixel];
    }
  }
  return image;
}

bool transparent(const Xpm& image, char key) { return image.colours.at(key) == "None"; }

Rgb rgb(const std::string& text) {
  Rgb c{};
  EXPECT_EQ(std::sscanf(text.c_str(), "#%2x%2x%2x", &c.r, &c.g, &c.b), 3) << text;
  return c;
}

const char* const* icon(int id) {
  const ResourceTable* table = programInstance();
  for (int i = 0; i < table->iconCount; ++i) {
    if (table->icons[i].id == id) return table->icons[i].xpm;
  }
  ADD_FAILURE() << "no icon " << id;
  return nullptr;
}

constexpr unsigned BRIGHT = 0xC0;

// Which of red, green and blue make a colour's hue: those of at least 3/5
// of its strongest channel.
std::string hue(Rgb c) {
  const unsigned strongest = std::max({c.r, c.g, c.b});
  std::string channels;
  if (c.r * 5 >= strongest * 3) channels += 'r';
  if (c.g * 5 >= strongest * 3) channels += 'g';
  if (c.b * 5 >= strongest * 3) channels += 'b';
  return channels;
}

// Every painted colour (the glyph, its outline, its highlight) is of one
// hue, and the glyph is bright.
void expectGlyphOfHue(int id, const std::string& expected) {
  SCOPED_TRACE(id);
  const char* const* xpm = icon(id);
  ASSERT_NE(xpm, nullptr);
  const Xpm image = parse(xpm);
  unsigned brightest = 0;
  for (const auto& [key, count] : image.uses) {
    if (transparent(image, key)) continue;
    const Rgb c = rgb(image.colours.at(key));
    EXPECT_EQ(hue(c), expected) << image.colours.at(key);
    brightest = std::max({brightest, c.r, c.g, c.b});
  }
  EXPECT_GE(brightest, BRIGHT);
}

}  // namespace

TEST(ResIcons, EveryIconIs32By32InAtMost16ColoursOnATransparentGround) {
  for (int id : {IDI_VESKCONV, IDI_BAND_1, IDI_BAND_2, IDI_BAND_3, IDI_BAND_INFO}) {
    SCOPED_TRACE(id);
    const char* const* xpm = icon(id);
    ASSERT_NE(xpm, nullptr);
    const Xpm image = parse(xpm);
    EXPECT_EQ(image.width, ICON_SIZE);
    EXPECT_EQ(image.height, ICON_SIZE);
    EXPECT_LE(image.colours.size(), static_cast<std::size_t>(MAX_COLOURS));
    const char corner = xpm[1 + image.colours.size()][0];
    ASSERT_EQ(image.colours.count(corner), 1u);
    EXPECT_TRUE(transparent(image, corner));
    int painted = 0;
    for (const auto& [key, count] : image.uses) {
      if (!transparent(image, key)) painted += count;
    }
    // A legible glyph covers a fair part of the image, but not all of it.
    EXPECT_GT(painted, ICON_SIZE * ICON_SIZE / 8);
    EXPECT_LT(painted, ICON_SIZE * ICON_SIZE * 3 / 4);
  }
}

TEST(ResIcons, EachGlyphHasItsColour) {
  expectGlyphOfHue(IDI_VESKCONV, "g");
  expectGlyphOfHue(IDI_BAND_1, "g");
  expectGlyphOfHue(IDI_BAND_2, "rg");
  expectGlyphOfHue(IDI_BAND_3, "r");
  expectGlyphOfHue(IDI_BAND_INFO, "gb");
}
