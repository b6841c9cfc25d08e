#include "app/number_text.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <system_error>

// Doubles below 2^64 in magnitude (every position a survey holds) are rounded
// with exact integer arithmetic, at less than half the cost of std::to_chars
// with a precision, which takes the rest (and the integers of "%ld").
namespace {

__extension__ using Wide = unsigned __int128;

constexpr int FRACTION_BITS = 52;
constexpr std::uint64_t FRACTION_MASK = (std::uint64_t{1} << FRACTION_BITS) - 1;
constexpr int EXPONENT_MASK = 0x7FF;
// The power of two of a normal double's lowest mantissa bit is its exponent
// field minus this; a subnormal's is that of field 1.
constexpr int LOWEST_BIT_BIAS = 1075;
// Integers up to 2^64 are exact in the 64-bit integer part.
constexpr int MAX_INTEGER_SHIFT = 64 - (FRACTION_BITS + 1);
// A fraction of at most 53 bits times 10^17 has at most 110 bits: shifted
// right by 128 or more, it is below half a unit of the last decimal.
constexpr int WIDE_BITS = 128;
constexpr int UINT64_DIGITS = 20;
constexpr std::uint64_t POWERS_OF_TEN[UINT64_DIGITS] = {
    1ULL,
    10ULL,
    100ULL,
    1000ULL,
    10000ULL,
    100000ULL,
    1000000ULL,
    10000000ULL,
    100000000ULL,
    1000000000ULL,
    10000000000ULL,
    100000000000ULL,
    1000000000000ULL,
    10000000000000ULL,
    100000000000000ULL,
    1000000000000000ULL,
    10000000000000000ULL,
    100000000000000000ULL,
    1000000000000000000ULL,
    10000000000000000000ULL,
};
static_assert(MAX_FIXED_DECIMALS < UINT64_DIGITS);
// log10(2) as 1233 / 4096: close enough for every bit width up to 64.
constexpr std::uint64_t LOG10_2_TIMES_4096 = 1233;
constexpr int LOG10_2_SHIFT = 12;
constexpr char DIGIT_PAIRS[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";
constexpr std::uint64_t HUNDRED = 100;
constexpr std::uint64_t TEN = 10;

// At least 1: zero is written "0".
int digitCount(std::uint64_t value) {
  const std::uint64_t nonzero = value | 1;  // the same count, as every power of ten from 10 on is even
  const auto estimate =
      static_cast<int>((static_cast<std::uint64_t>(std::bit_width(nonzero)) * LOG10_2_TIMES_4096) >> LOG10_2_SHIFT);
  return estimate + (nonzero >= POWERS_OF_TEN[estimate] ? 1 : 0);
}

// The last `count` decimal digits of value, ending at `end`.
void writeDigitsBefore(char* end, std::uint64_t value, int count) {
  for (; count >= 2; count -= 2) {
    end -= 2;
    std::memcpy(end, DIGIT_PAIRS + 2 * (value % HUNDRED), 2);
    value /= HUNDRED;
  }
  if (count == 1) end[-1] = static_cast<char>('0' + value % TEN);
}

// The value rounded to `decimals` places from its exact binary value, as
// integer part and decimals. False for NaNs, infinities and magnitudes of
// 2^64 and more.
struct Rounded {
  bool negative;
  std::uint64_t integer;
  std::uint64_t decimals;  // below 10^decimals
};

bool roundExactly(double value, int decimals, Rounded* rounded) {
  const auto bits = std::bit_cast<std::uint64_t>(value);
  const int exponentField = static_cast<int>(bits >> FRACTION_BITS) & EXPONENT_MASK;
  if (exponentField == EXPONENT_MASK) return false;
  const std::uint64_t mantissa =
      exponentField == 0 ? (bits & FRACTION_MASK) : ((bits & FRACTION_MASK) | (FRACTION_MASK + 1));
  const int lowestBit = (exponentField == 0 ? 1 : exponentField) - LOWEST_BIT_BIAS;
  rounded->negative = (bits >> 63) != 0;
  rounded->decimals = 0;
  if (lowestBit >= 0) {
    if (lowestBit > MAX_INTEGER_SHIFT) return false;
    rounded->integer = mantissa << lowestBit;
    return true;
  }
  const int shift = -lowestBit;
  rounded->integer = shift <= FRACTION_BITS ? mantissa >> shift : 0;
  if (shift >= WIDE_BITS) return true;
  const std::uint64_t fraction = shift <= FRACTION_BITS ? mantissa & ((std::uint64_t{1} << shift) - 1) : mantissa;
  // fraction / 2^shift is the exact fractional part; scaled by 10^decimals,
  // its integer part is the decimals, the rest decides the rounding.
  const Wide scaled = static_cast<Wide>(fraction) * POWERS_OF_TEN[decimals];
  const Wide rest = scaled & ((Wide{1} << shift) - 1);
  const Wide half = Wide{1} << (shift - 1);
  auto digits = static_cast<std::uint64_t>(scaled >> shift);
  const std::uint64_t lastDigit = decimals == 0 ? rounded->integer : digits;
  if (rest > half || (rest == half && (lastDigit & 1) != 0)) {
    if (++digits == POWERS_OF_TEN[decimals]) {
      digits = 0;
      ++rounded->integer;
    }
  }
  rounded->decimals = digits;
  return true;
}

// Anything roundExactly does not take: the standard library's exact
// conversion, then the padding printf gives.
char* writeFixedInGeneral(char* first, char* last, double value, FixedFormat format) {
#ifdef _WIN32
  // The Windows build's C runtime writes a NaN without its sign.
  if (std::isnan(value)) value = std::fabs(value);
#endif
  const auto [end, error] = std::to_chars(first, last, value, std::chars_format::fixed, format.decimals);
  if (error != std::errc{}) return nullptr;
  const std::ptrdiff_t length = end - first;
  if (length >= format.width) return end;
  if (last - first < format.width) return nullptr;
  const std::ptrdiff_t padding = format.width - length;
  const bool finite = std::isfinite(value);
  const std::ptrdiff_t sign = finite && *first == '-' ? 1 : 0;
  std::memmove(first + sign + padding, first + sign, static_cast<std::size_t>(length - sign));
  std::memset(first + sign, finite ? '0' : ' ', static_cast<std::size_t>(padding));
  return first + format.width;
}

}  // namespace

char* writeFixed(char* first, char* last, double value, FixedFormat format) {
  Rounded rounded;
  if (format.decimals < 0 || format.decimals > MAX_FIXED_DECIMALS || !roundExactly(value, format.decimals, &rounded)) {
    return writeFixedInGeneral(first, last, value, format);
  }
  const int integerDigits = digitCount(rounded.integer);
  const int sign = rounded.negative ? 1 : 0;
  const int pointAndDecimals = format.decimals == 0 ? 0 : 1 + format.decimals;
  const int length = std::max(format.width, sign + integerDigits + pointAndDecimals);
  if (last - first < length) return nullptr;
  char* const end = first + length;
  char* const point = end - pointAndDecimals;
  if (format.decimals != 0) {
    *point = '.';
    writeDigitsBefore(end, rounded.decimals, format.decimals);
  }
  writeDigitsBefore(point, rounded.integer, integerDigits);
  char* at = first;
  if (rounded.negative) *at++ = '-';
  for (char* const digits = point - integerDigits; at < digits; ++at) *at = '0';
  return end;
}

char* writeLong(char* first, char* last, long value) {
  const auto [end, error] = std::to_chars(first, last, value);
  return error == std::errc{} ? end : nullptr;
}
