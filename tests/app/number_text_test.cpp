// The number texts against the C library's own printf, value by value, on
// millions of values: any difference is a fault of the formatter. The
// DISABLED_ case repeats every kind on far more values (run it with
// --gtest_also_run_disabled_tests --gtest_filter='*ManyMore*').
#include "app/number_text.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <limits>
#include <random>
#include <string>

namespace {

using Random = std::mt19937_64;

struct PrintfFormat {
  const char* name;  // as printf takes it
  FixedFormat format;
};

// The formats of the processing information.
constexpr PrintfFormat SHOWN_FORMATS[] = {{"%010.2f", {10, 2}}, {"%010.6f", {10, 6}}, {"%09.6f", {9, 6}}};

constexpr FixedFormat UNPADDED_FORMATS[] = {{0, 0}, {0, 2}};

constexpr std::size_t TEXT_ROOM = FIXED_TEXT_BYTES + 1;
constexpr std::uint64_t EXAMPLES_KEPT = 5;
constexpr int DOUBLE_BITS = 53;   // of the mantissa, the hidden bit included
constexpr int LARGEST_SCALE = 8;  // survey values up to 10^8 in magnitude
constexpr int MAX_WIDTH_TRIED = 24;
constexpr std::uint64_t SEED = 20240611;

// Values compared with printf, and those whose texts differed.
struct Tally {
  std::uint64_t compared = 0;
  std::uint64_t differed = 0;
  std::string examples;

  void compare(const char* expected, int expectedLength, const char* written, const char* end,
               const std::string& what) {
    ++compared;
    if (end != nullptr && end - written == expectedLength &&
        std::memcmp(written, expected, static_cast<std::size_t>(expectedLength)) == 0) {
      return;
    }
    if (++differed > EXAMPLES_KEPT) return;
    examples += what + ": printf \"" + expected + "\", ours \"" +
                (end == nullptr ? std::string("(no room)") : std::string(written, end)) + "\"\n";
  }
  void report(const char* kind) const {
    std::printf("[ compared ] %s: %llu values, %llu differed\n", kind, static_cast<unsigned long long>(compared),
                static_cast<unsigned long long>(differed));
  }
};

std::string described(double value, const char* format) {
  char bits[64];
  std::snprintf(bits, sizeof bits, "%a (0x%016llx) with %s", value,
                static_cast<unsigned long long>(std::bit_cast<std::uint64_t>(value)), format);
  return bits;
}

void compareFixed(Tally& tally, double value, const PrintfFormat& format) {
  char expected[TEXT_ROOM];
  char written[TEXT_ROOM];
  const int expectedLength = std::snprintf(expected, sizeof expected, format.name, value);
  const char* end = writeFixed(written, written + FIXED_TEXT_BYTES, value, format.format);
  tally.compare(expected, expectedLength, written, end, described(value, format.name));
}

void compareFixed(Tally& tally, double value, FixedFormat format) {
  char expected[TEXT_ROOM];
  char written[TEXT_ROOM];
  const int expectedLength = std::snprintf(expected, sizeof expected, "%0*.*f", format.width, format.decimals, value);
  const char* end = writeFixed(written, written + FIXED_TEXT_BYTES, value, format);
  tally.compare(
      expected, expectedLength, written, end,
      described(value, ("%0" + std::to_string(format.width) + "." + std::to_string(format.decimals) + "f").c_str()));
}

void compareLong(Tally& tally, long value) {
  char expected[TEXT_ROOM];
  char written[TEXT_ROOM];
  const int expectedLength = std::snprintf(expected, sizeof expected, "%ld", value);
  const char* end = writeLong(written, written + LONG_TEXT_BYTES, value);
  tally.compare(expected, expectedLength, written, end, std::to_string(value) + " with %ld");
}

void compareInShownFormats(Tally& tally, double value) {
  for (const PrintfFormat& format : SHOWN_FORMATS) compareFixed(tally, value, format);
}

// A value, its negative and the doubles right beside both, also unpadded
// (where padding zeros could hide a digit too many).
void compareAround(Tally& tally, double value) {
  for (const double sign : {1.0, -1.0}) {
    const double signedValue = sign * value;
    for (const double near : {signedValue, std::nextafter(signedValue, std::numeric_limits<double>::infinity()),
                              std::nextafter(signedValue, -std::numeric_limits<double>::infinity())}) {
      compareInShownFormats(tally, near);
      for (const FixedFormat unpadded : UNPADDED_FORMATS) compareFixed(tally, near, unpadded);
    }
  }
}

double randomSign(Random& random) { return (random() & 1) != 0 ? -1.0 : 1.0; }

// Uniform over the bits: every exponent alike, NaNs with payloads, subnormals.
void compareRandomBits(Tally& tally, Random& random, std::uint64_t count) {
  for (std::uint64_t i = 0; i < count; ++i) compareInShownFormats(tally, std::bit_cast<double>(random()));
}

// Offsets, degrees, eastings and northings: magnitudes 1 to 10^8 alike.
void compareSurveyValues(Tally& tally, Random& random, std::uint64_t count) {
  for (std::uint64_t i = 0; i < count; ++i) {
    const double scale = std::pow(10.0, static_cast<double>(random() % (LARGEST_SCALE + 1)));
    compareInShownFormats(tally, std::uniform_real_distribution<double>(-scale, scale)(random));
  }
}

// A double exactly halfway between two texts with `decimals` places (an
// integer plus an odd multiple of 2^-(decimals+1), since 10^decimals times
// that is an odd multiple of 1/2), and the doubles beside it; then the double
// nearest to a decimal that ends in 5 one place further, which printf rounds
// by the double's exact value, not by the decimal.
void compareHalfways(Tally& tally, Random& random, std::uint64_t count, const PrintfFormat& format) {
  const int decimals = format.format.decimals;
  const int fractionBits = decimals + 1;
  const int largestIntegerBits = DOUBLE_BITS - fractionBits;
  const std::uint64_t fractions = std::uint64_t{1} << fractionBits;
  const double decimalScale = std::pow(10.0, static_cast<double>(fractionBits));
  for (std::uint64_t i = 0; i < count; ++i) {
    const auto integerBits = static_cast<int>(random() % static_cast<std::uint64_t>(largestIntegerBits));
    const std::uint64_t integer = integerBits == 0 ? 0 : random() >> (64 - integerBits);
    const std::uint64_t odd = (random() % fractions) | 1;
    const double half =
        randomSign(random) * std::ldexp(static_cast<double>((integer << fractionBits) | odd), -fractionBits);
    compareFixed(tally, half, format);
    compareFixed(tally, std::nextafter(half, std::numeric_limits<double>::infinity()), format);
    compareFixed(tally, std::nextafter(half, -std::numeric_limits<double>::infinity()), format);
    // Numerator and scale are exact, so the quotient is the double nearest to the decimal.
    const std::uint64_t numerator = (integer >> 4) * 10 + 5;
    compareFixed(tally, randomSign(random) * static_cast<double>(numerator) / decimalScale, format);
  }
}

// Every power of two and of ten a double holds, the extremes, the specials
// and the values whose rounding carries into a new digit.
void compareBoundaries(Tally& tally) {
  using Limits = std::numeric_limits<double>;
  for (const double value : {0.0, Limits::denorm_min(), Limits::min(), Limits::max(), Limits::epsilon(),
                             Limits::infinity(), 0.5, 1.0, 9007199254740992.0, 18446744073709551616.0}) {
    compareAround(tally, value);
  }
  for (const std::uint64_t bits : {0x7FF8000000000000ULL, 0xFFF8000000000000ULL, 0x7FF0000000000001ULL,
                                   0xFFF0000000000001ULL, 0x7FF4000000000000ULL, 0x7FFFFFFFFFFFFFFFULL,
                                   0xFFFFFFFFFFFFFFFFULL, 0x000FFFFFFFFFFFFFULL, 0x8000000000000001ULL}) {
    compareInShownFormats(tally, std::bit_cast<double>(bits));
  }
  for (int exponent = Limits::min_exponent - Limits::digits; exponent < Limits::max_exponent; ++exponent) {
    compareAround(tally, std::ldexp(1.0, exponent));
  }
  for (int exponent = Limits::min_exponent10 - Limits::digits10; exponent <= Limits::max_exponent10; ++exponent) {
    char text[16];
    std::snprintf(text, sizeof text, "1e%d", exponent);
    compareAround(tally, std::strtod(text, nullptr));
  }
  // 9.995, 99999.9999995 and the like, a hair above and below.
  for (const PrintfFormat& format : SHOWN_FORMATS) {
    const double unit = std::pow(10.0, static_cast<double>(-format.format.decimals));
    for (double whole = 1.0; whole < 1e16; whole *= 10.0) {
      const double carry = whole - unit / 2;
      for (const double value : {carry, std::nextafter(carry, 0.0), std::nextafter(carry, whole), -carry}) {
        compareFixed(tally, value, format);
      }
    }
  }
}

// The formatter is general: other widths (also below the text's length) and
// every number of decimals it takes.
void compareOtherFormats(Tally& tally, Random& random, std::uint64_t count) {
  for (std::uint64_t i = 0; i < count; ++i) {
    const FixedFormat format = {static_cast<int>(random() % (MAX_WIDTH_TRIED + 1)),
                                static_cast<int>(random() % (MAX_FIXED_DECIMALS + 1))};
    const double scale = std::pow(10.0, static_cast<double>(random() % (LARGEST_SCALE + 1)));
    const double value = (random() & 1) != 0 ? std::bit_cast<double>(random())
                                             : std::uniform_real_distribution<double>(-scale, scale)(random);
    compareFixed(tally, value, format);
  }
}

void compareLongs(Tally& tally, Random& random, std::uint64_t count) {
  using Limits = std::numeric_limits<long>;
  for (const long value : {Limits::min(), Limits::min() + 1, Limits::max(), -1L, 0L, 1L}) compareLong(tally, value);
  for (long power = 1; power <= Limits::max() / 10; power *= 10) {
    for (const long value : {power, power - 1, -power, 1 - power}) compareLong(tally, value);
  }
  for (std::uint64_t i = 0; i < count; ++i) {
    const long value = static_cast<long>(random());
    compareLong(tally, value);
    compareLong(tally, value >> (random() % 64));  // short numbers as often as long ones
  }
}

std::string fixedText(double value, FixedFormat format) {
  char text[TEXT_ROOM];
  char* end = writeFixed(text, text + sizeof text, value, format);
  return end == nullptr ? "(no room)" : std::string(text, end);
}

TEST(NumberText, ReadsAsPrintfWrites) {
  EXPECT_EQ(fixedText(12.5, {10, 6}), "012.500000");
  EXPECT_EQ(fixedText(5000000.25, {10, 2}), "5000000.25");
  EXPECT_EQ(fixedText(-3.25, {10, 2}), "-000003.25");
  EXPECT_EQ(fixedText(-0.0, {10, 2}), "-000000.00");
  EXPECT_EQ(fixedText(-0.001, {10, 2}), "-000000.00");  // the sign stays on what rounds to zero
  EXPECT_EQ(fixedText(0.125, {0, 2}), "0.12");          // exactly halfway: to the even digit
  EXPECT_EQ(fixedText(0.375, {0, 2}), "0.38");
  EXPECT_EQ(fixedText(0.005, {0, 2}), "0.01");  // the double lies above the decimal it was written as
  EXPECT_EQ(fixedText(123456789012.5, {10, 2}), "123456789012.50");
  EXPECT_EQ(fixedText(-std::numeric_limits<double>::infinity(), {10, 2}), "      -inf");
  EXPECT_EQ(fixedText(std::numeric_limits<double>::quiet_NaN(), {9, 6}), "      nan");
#ifdef _WIN32
  EXPECT_EQ(fixedText(-std::numeric_limits<double>::quiet_NaN(), {9, 6}), "      nan");
#else
  EXPECT_EQ(fixedText(-std::numeric_limits<double>::quiet_NaN(), {9, 6}), "     -nan");
#endif
  EXPECT_EQ(fixedText(std::numeric_limits<double>::max(), {10, 2}).size(), 309u + 3u);
}

TEST(NumberText, WritesNothingPastTheRoomItIsGiven) {
  char text[LONG_TEXT_BYTES + 1];
  for (const double value : {5000000.25, std::numeric_limits<double>::infinity(), 1e300}) {
    for (std::size_t room = 0; room < 10; ++room) {
      std::memset(text, '#', sizeof text);
      const char* end = writeFixed(text, text + room, value, {10, 2});
      EXPECT_EQ(end, nullptr) << value << " in " << room;
      EXPECT_EQ(std::string(text + room, text + sizeof text), std::string(sizeof text - room, '#'));
    }
  }
  EXPECT_EQ(writeLong(text, text + 2, -100L), nullptr);
  EXPECT_NE(writeLong(text, text + LONG_TEXT_BYTES, std::numeric_limits<long>::min()), nullptr);
  char* end = writeFixed(text, text + 10, 1.5, {10, 2});
  EXPECT_EQ(std::string(text, end), "0000001.50");
}

// One comparison against printf; a difference fails with its examples.
void expectMatchesPrintf(const char* kind, const std::function<void(Tally&)>& compare) {
  Tally tally;
  compare(tally);
  tally.report(kind);
  EXPECT_EQ(tally.differed, 0u) << tally.examples;
}

TEST(NumberText, BoundariesAndSpecialsMatchPrintf) {
  expectMatchesPrintf("boundaries and specials", [](Tally& tally) { compareBoundaries(tally); });
}

TEST(NumberText, RandomBitPatternsMatchPrintf) {
  Random random(SEED);
  expectMatchesPrintf("random bit patterns", [&](Tally& tally) { compareRandomBits(tally, random, 100000); });
}

TEST(NumberText, SurveyRangeValuesMatchPrintf) {
  Random random(SEED + 1);
  expectMatchesPrintf("survey range values", [&](Tally& tally) { compareSurveyValues(tally, random, 500000); });
}

TEST(NumberText, HalfwayCasesMatchPrintf) {
  Random random(SEED + 2);
  expectMatchesPrintf("halfway cases and their neighbours", [&](Tally& tally) {
    for (const PrintfFormat& format : SHOWN_FORMATS) compareHalfways(tally, random, 100000, format);
  });
}

TEST(NumberText, OtherWidthsAndDecimalsMatchPrintf) {
  Random random(SEED + 3);
  expectMatchesPrintf("other widths and decimals", [&](Tally& tally) { compareOtherFormats(tally, random, 200000); });
}

TEST(NumberText, LongsMatchPrintf) {
  Random random(SEED + 4);
  expectMatchesPrintf("longs", [&](Tally& tally) { compareLongs(tally, random, 500000); });
}

TEST(NumberText, DISABLED_ManyMoreValuesMatchPrintf) {
  const std::uint64_t seed = std::random_device{}();
  std::printf("seed %llu\n", static_cast<unsigned long long>(seed));
  Random random(seed);
  Tally tally;
  compareRandomBits(tally, random, 20000000);
  tally.report("random bit patterns");
  compareSurveyValues(tally, random, 100000000);
  tally.report("and survey range values");
  for (const PrintfFormat& format : SHOWN_FORMATS) compareHalfways(tally, random, 20000000, format);
  tally.report("and halfway cases");
  compareOtherFormats(tally, random, 20000000);
  tally.report("and other formats");
  compareLongs(tally, random, 100000000);
  tally.report("and longs");
  EXPECT_EQ(tally.differed, 0u) << tally.examples;
}

}  // namespace
