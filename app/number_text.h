// Texts of numbers, byte for byte as the C library's printf writes them in
// the "C" locale ("%ld", "%0<width>.<decimals>f"), for the processing
// information shown at every ping: no locale, no allocation, any thread.
//
// Both write into [first, last) without a terminating zero and return the end
// of the text, or nullptr (and an unspecified range) when it does not fit.
#pragma once

#include <cfloat>
#include <cstddef>

// "%0<width>.<decimals>f": fixed notation, rounded to the nearest (a tie to
// the even digit, as glibc does) from the double's exact value, then zeros
// after the sign up to width characters. Infinities and NaNs ("inf", "-nan";
// a NaN without its sign on Windows, as that runtime writes it) are padded
// with blanks in front instead, as printf ignores the zero flag for them.
// Needs 0 <= decimals <= MAX_FIXED_DECIMALS and width >= 0.
struct FixedFormat {
  int width;
  int decimals;
};

constexpr int MAX_FIXED_DECIMALS = 17;
// The longest text of any double with up to MAX_FIXED_DECIMALS decimals:
// the sign, the 309 digits of DBL_MAX, the point and the decimals. A format
// whose width is no larger always fits into this many bytes.
constexpr std::size_t FIXED_TEXT_BYTES = 1 + (DBL_MAX_10_EXP + 1) + 1 + MAX_FIXED_DECIMALS;

char* writeFixed(char* first, char* last, double value, FixedFormat format);

// "%ld".
constexpr std::size_t LONG_TEXT_BYTES = 20;  // "-9223372036854775808"
char* writeLong(char* first, char* last, long value);
