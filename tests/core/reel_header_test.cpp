#include "core/reel_header.h"
#include "core/converter_context.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

namespace {

constexpr int LINE_CHARS = 80;
constexpr int TEXT_LINES = 40;

struct ReelHeader : ::testing::Test {
  std::unique_ptr<ConverterContext> context = std::make_unique<ConverterContext>();

  void build(const char* segyName, std::int32_t traces, std::uint32_t samples, float duration,
             std::uint32_t bigEndian = 0) {
    std::strncpy(context->segyFileName, segyName, PATH_BUFFER_SIZE - 1);
    context->bigEndian = bigEndian;
    BuildReelHeader(context.get(), traces, samples, duration);
  }
  std::string line(int number) const {
    return std::string(reinterpret_cast<const char*>(context->headerBuffer) + (number - 1) * LINE_CHARS, LINE_CHARS);
  }
  // Columns counted from 1, both ends included.
  std::string columns(int number, int first, int last) const {
    return line(number).substr(first - 1, last - first + 1);
  }
  // Two bytes at SEG-Y file byte numbers (from 1), as they lie in the file.
  std::pair<int, int> fileBytes(int segyByte) const {
    return {context->headerBuffer[segyByte - 1], context->headerBuffer[segyByte]};
  }
  int littleEndianField(int segyByte) const {
    return context->headerBuffer[segyByte - 1] | (context->headerBuffer[segyByte] << 8);
  }
};

const char* const FORM_FOR_LINE1[TEXT_LINES] = {
    "C 1 CLIENT                        COMPANY                       CREW NO         ",
    "C 2 LINE LINE1      AREA                        MAP ID                          ",
    "C 3 REEL NO           DAY-START OF REEL     YEAR      OBSERVER                  ",
    "C 4 INSTRUMENT: SONAR          MODEL xx         SERIAL NO                       ",
    "C 5 DATA TRACES/RECORD 2      AUXILIARY TRACES/RECORD 0       CDP FOLD          ",
    "C 6 SAMPLE INTERVAL 100     SAMPLES/TRACE 2000  BITS/IN 16   BYTES/SAMPLE 2     ",
    "C 7 RECORDING FORMAT        FORMAT THIS REEL        MEASUREMENT SYSTEM          ",
    "C 8 SAMPLE CODE: FIXED PT                                                       ",
    "C 9 GAIN TYPE: FIXED                                                            ",
    "C10 FILTERS: ALIAS 5000HZ  NOTCH     HZ  BAND     -     HZ  SLOPE    -    DB/OCT",
    "C11 SOURCE: TYPE            NUMBER/POINT        POINT INTERVAL                  ",
    "C12     PATTERN:                           LENGTH        WIDTH                  ",
    "C13 SWEEP: START     HZ  END     HZ  LENGHT      MS  CHANNEL NO     TYPE        ",
    "C14 TAPER: START LENGHT       MS  END LENGHT       MS  TYPE                     ",
    "C15 SPREAD: OFFSET        MAX DISTANCE        GROUP INTERVAL                    ",
    "C16 GEOPHONES: PER GROUP     SPACING     FREQUENCY     MFG          MODEL       ",
    "C17     PATTERN:                           LENGTH        WIDTH                  ",
    "C18 TRACES SORTED BY: RECORD                                                    ",
    "C19 AMPLITUDE RECOVERY: NONE                                                    ",
    "C20 MAP PROJECTION                      ZONE ID       COORDINATE UNITS          ",
    "C21 PROCESSING:                                                                 ",
    "C22 PROCESSING:                                                                 ",
    "C23                                                                             ",
    "C24                                                                             ",
    "C25                                                                             ",
    "C26                                                                             ",
    "C27                                                                             ",
    "C28                                                                             ",
    "C29                                                                             ",
    "C30                                                                             ",
    "C31                                                                             ",
    "C32                                                                             ",
    "C33                                                                             ",
    "C34                                                                             ",
    "C35                                                                             ",
    "C36                                                                             ",
    "C37                                                                             ",
    "C38                                                                             ",
    "C39                                                                             ",
    "C40 END EBCDIC                                                                  ",
};

TEST_F(ReelHeader, TextHeaderIsTheFormLineByLine) {
  build("/survey/out/LINE1.sgy", 2, 2000, 0.2f);
  for (int number = 1; number <= TEXT_LINES; ++number)
    EXPECT_EQ(line(number), FORM_FOR_LINE1[number - 1]) << "line " << number;
}

TEST_F(ReelHeader, BinaryHeaderLittleEndian) {
  build("LINE1.sgy", 2, 2000, 0.2f);
  EXPECT_EQ(context->samplesPerTrace, 2000u);
  EXPECT_FLOAT_EQ(context->traceDuration, 0.2f);
  EXPECT_EQ(fileBytes(3213), std::make_pair(0x02, 0x00));
  const std::pair<int, int> fields[] = {{3213, 2}, {3215, 0}, {3217, 100}, {3221, 2000},
                                        {3225, 3}, {3229, 1}, {3255, 1},   {3261, 10000}};
  for (auto [segyByte, value] : fields) EXPECT_EQ(littleEndianField(segyByte), value) << "byte " << segyByte;
  for (int segyByte = 3201; segyByte <= 3600; ++segyByte) {
    bool set = false;
    for (auto [field, value] : fields) set = set || segyByte == field || segyByte == field + 1;
    if (!set) {
      EXPECT_EQ(context->headerBuffer[segyByte - 1], 0) << "byte " << segyByte;
    }
  }
}

TEST_F(ReelHeader, BinaryHeaderBigEndian) {
  build("LINE1.sgy", 2, 2000, 0.2f, 1);
  EXPECT_EQ(fileBytes(3213), std::make_pair(0x00, 0x02));
  EXPECT_EQ(fileBytes(3217), std::make_pair(0x00, 0x64));
  EXPECT_EQ(fileBytes(3221), std::make_pair(0x07, 0xD0));
  EXPECT_EQ(fileBytes(3225), std::make_pair(0x00, 0x03));
  EXPECT_EQ(fileBytes(3261), std::make_pair(0x27, 0x10));
  // The text does not depend on the byte order.
  EXPECT_EQ(line(6), FORM_FOR_LINE1[5]);
}

TEST_F(ReelHeader, SampleIntervalIsTruncatedNotRounded) {
  build("a.sgy", 1, 7000, 0.7f);
  EXPECT_EQ(littleEndianField(3217), 99);
  EXPECT_EQ(littleEndianField(3261), 10101);
  EXPECT_EQ(columns(6, 21, 23), "99 ");
  EXPECT_EQ(sampleIntervalMicroseconds(0.7f, 7000), 99);
}

TEST_F(ReelHeader, SixteenBitFieldsKeepTheLowBits) {
  build("a.sgy", 1, 70000, 7.0f);
  EXPECT_EQ(context->samplesPerTrace, 70000u);
  EXPECT_EQ(columns(6, 43, 47), "70000");
  EXPECT_EQ(littleEndianField(3221), 4464);

  build("a.sgy", 1, 50000, 0.5f);  // 10 us: 100000 Hz does not fit 16 bits
  EXPECT_EQ(littleEndianField(3217), 10);
  EXPECT_EQ(littleEndianField(3261), 34464);

  build("a.sgy", 70001, 40, 1.6f);  // 40000 us reads as -25536
  EXPECT_EQ(littleEndianField(3213), 4465);
  EXPECT_EQ(columns(6, 21, 26), "-25536");
  EXPECT_EQ(littleEndianField(3261), 0x10000 - 39);
}

TEST_F(ReelHeader, UndefinedIntervalIsZeroEverywhere) {
  for (auto [samples, duration] : {std::pair{0u, 0.2f}, std::pair{2000u, 0.0001f}, std::pair{10u, -1.0f}}) {
    build("a.sgy", 1, samples, duration);
    EXPECT_EQ(littleEndianField(3217), 0) << samples << " " << duration;
    EXPECT_EQ(littleEndianField(3261), 0);
    EXPECT_EQ(columns(6, 21, 28), "0       ");
    EXPECT_EQ(columns(10, 19, 23), "    0");
  }
}

TEST_F(ReelHeader, AliasFigureIsTheNyquistFrequency) {
  build("a.sgy", 1, 2000, 0.2f);  // 100 us
  EXPECT_EQ(columns(10, 18, 25), "S 5000HZ");
  build("a.sgy", 1, 50000, 0.5f);  // 10 us: five digits fill the gap
  EXPECT_EQ(columns(10, 18, 25), "S50000HZ");
  build("a.sgy", 1, 7000, 0.7f);  // 99 us: 10101 Hz, half of it
  EXPECT_EQ(columns(10, 19, 23), " 5050");
  build("a.sgy", 1, 100000, 0.1f);  // 1 us: 500000 Hz has no room
  EXPECT_EQ(columns(10, 19, 23), "    0");
}

TEST_F(ReelHeader, BaseNameOfLineTwo) {
  build("/data/ABCDEFGHIJ.sgy", 1, 10, 0.1f);
  EXPECT_EQ(columns(2, 10, 24), "ABCDEFGHIJ AREA");

  build("/data/run.7/no_extension", 1, 10, 0.1f);
  EXPECT_EQ(columns(2, 10, 24), "no_extensi AREA");

  build("/data/line.a.b", 1, 10, 0.1f);
  EXPECT_EQ(columns(2, 9, 19), " line.a    ");

  build("/data/dir/", 1, 10, 0.1f);
  EXPECT_EQ(line(2), "C 2 LINE            AREA                        MAP ID                          ");
}

TEST_F(ReelHeader, LongBaseNameIsOverwrittenByLaterPieces) {
  const std::string name = "N0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789@#$%^&+=xyz";
  ASSERT_GT(name.size(), 71u);
  build(("/d/" + name + ".sgy").c_str(), 1, 10, 0.1f);
  EXPECT_EQ(columns(2, 10, 19), name.substr(0, 10));
  EXPECT_EQ(columns(2, 20, 24), " AREA");
  EXPECT_EQ(columns(2, 25, 48), name.substr(15, 24));  // characters 16 to 39
  EXPECT_EQ(columns(2, 49, 54), "MAP ID");
  EXPECT_EQ(columns(2, 55, 80), name.substr(45, 26));
  // Character 72 runs on into line 3, where "C 3 REEL NO" covers columns 1 to 11.
  EXPECT_EQ(columns(3, 1, 11), "C 3 REEL NO");
  EXPECT_EQ(columns(3, 12, 12), name.substr(82, 1));
  EXPECT_EQ(columns(3, 23, 39), "DAY-START OF REEL");
}

TEST_F(ReelHeader, CardImagesStayIntactWhateverTheName) {
  build("/d/tab\there\nnew\x7f.sgy", 1, 10, 0.1f);
  EXPECT_EQ(columns(2, 10, 19), "tab?here?n");
  for (int number = 1; number <= TEXT_LINES; ++number) {
    const std::string text = line(number);
    EXPECT_EQ(text[0], 'C') << "line " << number;
    for (char c : text) EXPECT_TRUE(c >= 0x20 && c < 0x7F) << "line " << number;
  }
  EXPECT_EQ(columns(10, 75, 80), "DB/OCT");
}

TEST_F(ReelHeader, RebuildLeavesNoTraceOfTheFirstBuild) {
  std::memset(context->headerBuffer, 0xAB, HEADER_BUFFER_BYTES);
  build(("/d/" + std::string(200, 'Z') + ".sgy").c_str(), 70001, 70000, 0.7f, 1);
  build("/d/short.sgy", 1, 10, 0.01f, 0);

  auto fresh = std::make_unique<ConverterContext>();
  std::strcpy(fresh->segyFileName, "/d/short.sgy");
  BuildReelHeader(fresh.get(), 1, 10, 0.01f);
  EXPECT_EQ(std::memcmp(context->headerBuffer, fresh->headerBuffer, REEL_HEADER_BYTES), 0);
  // The trace header area behind it is not the reel header's.
  for (int i = REEL_HEADER_BYTES; i < HEADER_BUFFER_BYTES; ++i) ASSERT_EQ(context->headerBuffer[i], 0xAB);
}

TEST_F(ReelHeader, PutHeaderTextCopiesWithoutTerminatorOrPadding) {
  unsigned char text[TEXT_HEADER_BYTES];
  std::memset(text, '.', sizeof text);
  PutHeaderText(2, text, "XY", 79);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(text) + 80 + 77, 5), ".XY..");
  PutHeaderText(40, text, "END", 78);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(text) + 3197, 3), "END");
}

}  // namespace
