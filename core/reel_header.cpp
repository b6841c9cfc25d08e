#include "core/reel_header.h"

#include "core/converter_context.h"
#include "core/segy_fields.h"
#include "platform/split_path.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

constexpr unsigned char BLANK = 0x20;
constexpr unsigned char DELETE = 0x7F;
constexpr double MICROSECONDS_PER_SECOND = 1000000.0;
constexpr double LOW_16_MODULUS = 65536.0;
constexpr std::int32_t ALIAS_FIGURE_MAX = 99999;  // five columns before "HZ  NOTCH"

// Figures of the conversion that the form fills in.
enum class Figure { NONE, BASE_NAME, TRACES_PER_RECORD, SAMPLE_INTERVAL, SAMPLE_COUNT, ALIAS_FILTER };

struct FormPiece {
  std::int16_t line;
  std::int16_t column;
  const char* text;  // the form's own text, or nullptr for a figure
  Figure figure = Figure::NONE;
};

// Card images 1 to 22, line by line and left to right within a line. Pieces
// are placed in this order, so a later one overwrites an earlier, longer one.
constexpr FormPiece TEXT_HEADER_FORM[] = {
    {1, 1, "C 1 CLIENT"},
    {1, 35, "COMPANY"},
    {1, 65, "CREW NO"},
    {2, 1, "C 2 LINE"},
    {2, 10, nullptr, Figure::BASE_NAME},
    {2, 20, " AREA"},
    {2, 49, "MAP ID"},
    {3, 1, "C 3 REEL NO"},
    {3, 23, "DAY-START OF REEL"},
    {3, 45, "YEAR"},
    {3, 55, "OBSERVER"},
    {4, 1, "C 4 INSTRUMENT: SONAR"},
    {4, 32, "MODEL xx"},
    {4, 49, "SERIAL NO"},
    {5, 1, "C 5 DATA TRACES/RECORD"},
    {5, 24, nullptr, Figure::TRACES_PER_RECORD},
    {5, 31, "AUXILIARY TRACES/RECORD"},
    {5, 55, "0"},
    {5, 63, "CDP FOLD"},
    {6, 1, "C 6 SAMPLE INTERVAL"},
    {6, 21, nullptr, Figure::SAMPLE_INTERVAL},
    {6, 29, "SAMPLES/TRACE"},
    {SAMPLE_COUNT_LINE, SAMPLE_COUNT_COLUMN, nullptr, Figure::SAMPLE_COUNT},
    {6, 49, "BITS/IN 16"},
    {6, 62, "BYTES/SAMPLE 2"},
    {7, 1, "C 7 RECORDING FORMAT"},
    {7, 29, "FORMAT THIS REEL"},
    {7, 53, "MEASUREMENT SYSTEM"},
    {8, 1, "C 8 SAMPLE CODE:"},
    {8, 18, "FIXED PT"},
    {9, 1, "C 9 GAIN TYPE: FIXED"},
    {10, 1, "C10 FILTERS: ALIAS"},
    {10, 19, nullptr, Figure::ALIAS_FILTER},
    {10, 24, "HZ  NOTCH"},
    {10, 38, "HZ  BAND"},
    {10, 51, "-"},
    {10, 57, "HZ  SLOPE"},
    {10, 70, "-"},
    {10, 75, "DB/OCT"},
    {11, 1, "C11 SOURCE: TYPE"},
    {11, 29, "NUMBER/POINT"},
    {11, 49, "POINT INTERVAL"},
    {12, 1, "C12     PATTERN:"},
    {12, 44, "LENGTH"},
    {12, 58, "WIDTH"},
    {13, 1, "C13 SWEEP: START"},
    {13, 22, "HZ  END"},
    {13, 34, "HZ  LENGHT"},
    {13, 50, "MS  CHANNEL NO"},
    {13, 69, "TYPE"},
    {14, 1, "C14 TAPER: START LENGHT"},
    {14, 31, "MS  END LENGHT"},
    {14, 52, "MS  TYPE"},
    {15, 1, "C15 SPREAD: OFFSET"},
    {15, 27, "MAX DISTANCE"},
    {15, 47, "GROUP INTERVAL"},
    {16, 1, "C16 GEOPHONES: PER GROUP"},
    {16, 30, "SPACING"},
    {16, 42, "FREQUENCY"},
    {16, 56, "MFG"},
    {16, 69, "MODEL"},
    {17, 1, "C17     PATTERN:"},
    {17, 44, "LENGTH"},
    {17, 58, "WIDTH"},
    {18, 1, "C18 TRACES SORTED BY: RECORD"},
    {19, 1, "C19 AMPLITUDE RECOVERY: NONE"},
    {20, 1, "C20 MAP PROJECTION"},
    {20, 41, "ZONE ID"},
    {20, 55, "COORDINATE UNITS"},
    {21, 1, "C21 PROCESSING:"},
    {22, 1, "C22 PROCESSING:"},
};

// Cards 23 to 39 hold "C" and their own number, nothing else.
constexpr std::int16_t FIRST_NUMBERED_CARD = 23;
constexpr std::int16_t LAST_NUMBERED_CARD = 39;
constexpr FormPiece LAST_CARD = {40, 1, "C40 END EBCDIC"};

// Sampling rate in hertz from the signed 16-bit interval, before its
// reduction to 16 bits; 0 where the interval has no meaning.
std::int32_t samplingRateHertz(std::int16_t interval) {
  if (interval == 0) return 0;
  return static_cast<std::int32_t>(MICROSECONDS_PER_SECOND / interval);
}

// The Nyquist frequency, as the "HZ" after it says; 0 where it is undefined
// or would not fit its five columns (intervals below 6 us). Printed with
// "%5d": the same text as the form's "% 5d" up to four digits, and a fifth
// digit still fits before "HZ  NOTCH" instead of being overwritten.
std::int32_t aliasFilterHertz(std::int32_t samplingRate) {
  const std::int32_t nyquist = samplingRate / 2;
  return nyquist > 0 && nyquist <= ALIAS_FIGURE_MAX ? nyquist : 0;
}

// The base name as line 2 shows it. Control characters, which no file name
// on Windows can hold, become '?' so the card images never break.
void baseNameOf(const char* segyFileName, char* name) {
  char path[PATH_BUFFER_SIZE + 1];
  std::memcpy(path, segyFileName, PATH_BUFFER_SIZE);
  path[PATH_BUFFER_SIZE] = '\0';
  _splitpath(path, nullptr, nullptr, name, nullptr);
  for (char* c = name; *c != '\0'; ++c) {
    const auto byte = static_cast<unsigned char>(*c);
    if (byte < BLANK || byte == DELETE) *c = '?';
  }
}

}  // namespace

std::int16_t sampleIntervalMicroseconds(float duration, std::uint32_t sampleCount) {
  if (sampleCount == 0) return 0;
  const double quotient = static_cast<double>(duration) * MICROSECONDS_PER_SECOND / static_cast<double>(sampleCount);
  if (!(quotient >= 1.0) || std::isinf(quotient)) return 0;
  // fmod is exact, so these are the low 16 bits of the truncated value however large it is.
  const double low = std::fmod(std::trunc(quotient), LOW_16_MODULUS);
  return static_cast<std::int16_t>(static_cast<std::uint16_t>(low));
}

void PutHeaderText(std::int16_t line, unsigned char* textHeader, const char* text, std::int16_t column) {
  std::memcpy(textHeader + segy::textOffset(line, column), text, std::strlen(text));
}

void BuildReelHeader(ConverterContext* context, std::int32_t tracesPerRecord, std::uint32_t sampleCount,
                     float duration) {
  context->samplesPerTrace = sampleCount;
  context->traceDuration = duration;

  const std::int16_t interval = sampleIntervalMicroseconds(duration, sampleCount);
  const std::int32_t samplingRate = samplingRateHertz(interval);

  unsigned char* text = context->headerBuffer;
  std::memset(text, BLANK, TEXT_HEADER_BYTES);
  char baseName[_MAX_FNAME];
  char figure[16];
  for (const FormPiece& piece : TEXT_HEADER_FORM) {
    const char* placed = piece.text;
    switch (piece.figure) {
      case Figure::NONE:
        break;
      case Figure::BASE_NAME:
        baseNameOf(context->segyFileName, baseName);
        placed = baseName;
        break;
      case Figure::TRACES_PER_RECORD:
        std::snprintf(figure, sizeof figure, "%d", tracesPerRecord);
        break;
      case Figure::SAMPLE_INTERVAL:
        std::snprintf(figure, sizeof figure, "%d", interval);
        break;
      case Figure::SAMPLE_COUNT:
        std::snprintf(figure, sizeof figure, "%d", static_cast<std::int32_t>(sampleCount));
        break;
      case Figure::ALIAS_FILTER:
        std::snprintf(figure, sizeof figure, "%5d", aliasFilterHertz(samplingRate));
        break;
    }
    if (placed == nullptr) placed = figure;
    PutHeaderText(piece.line, text, placed, piece.column);
  }
  for (std::int16_t card = FIRST_NUMBERED_CARD; card <= LAST_NUMBERED_CARD; ++card) {
    std::snprintf(figure, sizeof figure, "%d", card);
    PutHeaderText(card, text, "C", 1);
    PutHeaderText(card, text, figure, 2);
  }
  PutHeaderText(LAST_CARD.line, text, LAST_CARD.text, LAST_CARD.column);

  unsigned char* file = context->headerBuffer;  // binary fields are numbered from the start of the file
  const std::uint32_t order = context->bigEndian;
  std::memset(file + TEXT_HEADER_BYTES, 0, BINARY_HEADER_BYTES);
  putSegyShort(file, segy::BIN_TRACES_PER_ENSEMBLE, order, low16(tracesPerRecord));
  putSegyShort(file, segy::BIN_AUXILIARY_TRACES, order, 0);
  putSegyShort(file, segy::BIN_SAMPLE_INTERVAL, order, static_cast<std::uint16_t>(interval));
  putSegyShort(file, segy::BIN_SAMPLES_PER_TRACE, order, low16(sampleCount));
  putSegyShort(file, segy::BIN_SAMPLE_FORMAT, order, segy::FORMAT_TWO_BYTE_INTEGER);
  putSegyShort(file, segy::BIN_SORTING_CODE, order, segy::SORTED_AS_RECORDED);
  putSegyShort(file, segy::BIN_MEASUREMENT_SYSTEM, order, segy::MEASURED_IN_METRES);
  putSegyShort(file, segy::BIN_SAMPLING_RATE, order, low16(samplingRate));
}
