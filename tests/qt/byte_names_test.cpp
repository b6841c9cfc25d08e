// Names are bytes: shown legibly, and read back to the very same bytes.
#include "platform/qt/byte_names.h"
#include "platform/qt/folder_listing.h"

#include <gtest/gtest.h>

#include <random>

TEST(QtByteNames, Utf8ReadsAsLettersOtherBytesAsEscapes) {
  EXPECT_EQ(legibleText("line 7.vsk"), QStringLiteral("line 7.vsk"));
  EXPECT_EQ(legibleText("Str\xC3\xB6m.vsk"), QString::fromUtf8("Str\xC3\xB6m.vsk"));
  EXPECT_EQ(legibleText("caf\xE9.vsk"), QStringLiteral("caf\\xE9.vsk"));
  // Overlong forms, surrogates and cut sequences are not UTF-8.
  EXPECT_EQ(legibleText("\xC0\xAF"), QStringLiteral("\\xC0\\xAF"));
  EXPECT_EQ(legibleText("\xED\xA0\x80"), QStringLiteral("\\xED\\xA0\\x80"));
  EXPECT_EQ(legibleText("a\xE2\x82"), QStringLiteral("a\\xE2\\x82"));
  EXPECT_EQ(legibleText("\xF4\x90\x80\x80"), QStringLiteral("\\xF4\\x90\\x80\\x80"));
}

TEST(QtByteNames, ControlCharactersAndLookalikeEscapesAreEscaped) {
  EXPECT_EQ(legibleText("a\nb\tc"), QStringLiteral("a\\x0Ab\\x09c"));
  EXPECT_EQ(legibleText("a\nb", LineBreaks::keep), QStringLiteral("a\nb"));
  // A name that holds the text of an escape keeps it: its backslash is escaped.
  EXPECT_EQ(legibleText("a\\x41"), QStringLiteral("a\\x5Cx41"));
  EXPECT_EQ(legibleText("a\\b"), QStringLiteral("a\\b"));
  EXPECT_EQ(bytesOfText(QStringLiteral("a\\x5Cx41")), "a\\x41");
  EXPECT_EQ(bytesOfText(QStringLiteral("caf\\xe9")), "caf\xE9");
  EXPECT_EQ(bytesOfText(QStringLiteral("a\\xZZ\\x4")), "a\\xZZ\\x4");
}

TEST(QtByteNames, EveryByteStringReadsBack) {
  std::mt19937 random(20240611);
  std::uniform_int_distribution<int> byte(0, 255);
  std::uniform_int_distribution<int> length(0, 24);
  // Bias towards the bytes that make escapes and UTF-8 sequences.
  const char interesting[] = {'\\', 'x', 'A', '4', '\n', '\xC3', '\xB6', '\xE2', '\x82', '\xAC', '\xF0', '\x9F'};
  for (int round = 0; round < 20000; ++round) {
    std::string bytes;
    const int n = length(random);
    for (int i = 0; i < n; ++i) {
      const int pick = byte(random);
      bytes += pick < 128 ? interesting[pick % sizeof interesting] : static_cast<char>(byte(random));
    }
    ASSERT_EQ(bytesOfText(legibleText(bytes)), bytes) << round;
    ASSERT_EQ(bytesOfText(legibleText(bytes, LineBreaks::keep)), bytes) << round;
  }
}

TEST(QtFolderListing, PatternsMatchIgnoringCase) {
  EXPECT_TRUE(matchesPatterns("line7.vsk", "*.VSK"));
  EXPECT_TRUE(matchesPatterns("LINE7.VSK", "*.vsk"));
  EXPECT_FALSE(matchesPatterns("line7.vsk.bak", "*.VSK"));
  EXPECT_FALSE(matchesPatterns("line7.seg", "*.VSK"));
  EXPECT_TRUE(matchesPatterns("line7.seg", "*.VSK;*.SEG"));
  EXPECT_TRUE(matchesPatterns("a1b22c", "a*b*c"));
  EXPECT_TRUE(matchesPatterns("ab.c", "a?.c"));
  EXPECT_FALSE(matchesPatterns("a.c", "a?.c"));
  EXPECT_TRUE(matchesPatterns("caf\xE9.vsk", "*.vsk"));
  EXPECT_FALSE(matchesPatterns("x", ""));
}

TEST(QtFolderListing, PathsAreWorkedOutOnTheText) {
  EXPECT_EQ(joinPath("/", "a"), "/a");
  EXPECT_EQ(joinPath("/data", "a b"), "/data/a b");
  EXPECT_EQ(parentFolder("/data/survey"), "/data");
  EXPECT_EQ(parentFolder("/data/survey/"), "/data");
  EXPECT_EQ(parentFolder("/data"), "/");
  EXPECT_EQ(parentFolder("/"), "/");
  EXPECT_EQ(simplifiedPath("/data/./survey/../line//x"), "/data/line/x");
  EXPECT_EQ(simplifiedPath("/.."), "/");
}
