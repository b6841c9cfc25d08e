#include "vsktools/vsk_reader.h"

#include "platform/files.h"
#include "tests/vsktools/temp_survey_dir.h"
#include "vsktools/vsk_layout.h"
#include "vsktools/vsk_writer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <sys/statvfs.h>
#include <vector>

namespace {

vsk::FileSpec pairSpec() {
  vsk::FileSpec spec;
  spec.sonarChannels = {{1, 0, 2, 500, 100.0f, "PORT"}, {2, 1, 2, 500, 100.0f, "STBD"}};
  return spec;
}

vsk::Ping pingOf(std::uint32_t number, std::uint32_t samplesEach) {
  vsk::Ping ping;
  ping.pingNumber = number;
  ping.shipX = 500000.0 + number;
  for (std::uint16_t channel = 0; channel < 2; ++channel) {
    vsk::PingChannel c;
    c.channelNumber = channel;
    c.sampleCount = samplesEach;
    c.samples.assign(samplesEach * 2, static_cast<std::uint8_t>(0x40 + channel));
    ping.channels.push_back(c);
  }
  return ping;
}

// A record start whose length field says `length`, followed by `bodyBytes` bytes.
std::vector<std::uint8_t> rawRecord(std::uint32_t length, std::size_t bodyBytes) {
  std::vector<std::uint8_t> bytes = vsk::encodeOtherRecord(7, std::vector<std::uint8_t>(bodyBytes, 0xEE));
  vsk::store32(bytes.data() + vsk::RECORD_LENGTH, length);
  return bytes;
}

struct Record {
  int result = 99;
  const unsigned char* bytes = nullptr;
  int length = 0;
};

Record readRecord(HANDLE file) {
  void* buffer = nullptr;
  Record r;
  r.result = ReadNextVSKData(file, &buffer, &r.length, VSK_READ_MODE);
  r.bytes = static_cast<const unsigned char*>(buffer);
  return r;
}

std::uint64_t positionOf(HANDLE file) { return filePosition64(file); }

void seek(HANDLE file, std::uint64_t position) {
  LONG high = static_cast<LONG>(position >> 32);
  SetFilePointer(file, static_cast<LONG>(static_cast<DWORD>(position)), &high, FILE_BEGIN);
}

class ReaderTest : public TempSurveyDir {
 protected:
  HANDLE openBytes(const std::vector<std::uint8_t>& bytes, const char* name = "survey.vsk") {
    return open(writeFile(name, bytes));
  }
  int headerResult(const std::vector<std::uint8_t>& bytes) {
    HANDLE file = openBytes(bytes, "header.vsk");
    SonarFileHeader* header = nullptr;
    DWORD unused = 0;
    const int full = ReadFullVSKHeader(file, &header, &unused);
    seek(file, 0);
    EXPECT_EQ(ReadVSKHeader(file, nullptr), full) << "both header reads judge alike";
    seek(file, 0);
    EXPECT_EQ(readRecord(file).result, full == VSK_OK ? VSK_END_OF_FILE : full)
        << "a record read at byte 0 checks the header alike";
    close(file);
    return full;
  }
};

// ---- The file header

TEST_F(ReaderTest, RefusesHeadersThatDoNotFollowTheFormat) {
  const std::vector<std::uint8_t> good = vsk::encodeFileHeader(pairSpec());
  EXPECT_EQ(headerResult(good), VSK_OK);

  EXPECT_EQ(headerResult(std::vector<std::uint8_t>(good.begin(), good.begin() + 255)), VSK_ERROR_FILE_TOO_SHORT);
  EXPECT_EQ(headerResult({}), VSK_ERROR_FILE_TOO_SHORT);

  std::vector<std::uint8_t> bad = good;
  bad[2] = 'X';
  EXPECT_EQ(headerResult(bad), VSK_ERROR_SIGNATURE);
  bad = good;
  bad[vsk::FILE_VERSION] = 2;
  EXPECT_EQ(headerResult(bad), VSK_ERROR_SIGNATURE);

  bad = good;  // one byte short of the two-entry table
  vsk::store32(bad.data() + vsk::FILE_HEADER_LENGTH, 256 + 2 * 128 - 1);
  EXPECT_EQ(headerResult(bad), VSK_ERROR_HEADER_LENGTH);
  bad = good;
  vsk::store32(bad.data() + vsk::FILE_HEADER_LENGTH, static_cast<std::uint32_t>(good.size() + 1));
  EXPECT_EQ(headerResult(bad), VSK_ERROR_HEADER_LENGTH);
  bad = good;  // the counts' sum, not either count alone, sizes the table
  vsk::store16(bad.data() + vsk::FILE_BATHYMETRY_CHANNELS, 1);
  EXPECT_EQ(headerResult(bad), VSK_ERROR_HEADER_LENGTH);
}

TEST_F(ReaderTest, HeaderCarriesTheWholeChannelTableAndSkipsExtraBytes) {
  vsk::FileSpec spec = pairSpec();
  spec.navigationUnits = 1;
  spec.bathymetryChannels = {{1, 2, 1, 300, 250.0f, "BATHY"}};
  spec.extraHeaderBytes = 1000;
  const std::vector<std::uint8_t> header = vsk::encodeFileHeader(spec);
  const std::vector<std::uint8_t> ping = vsk::encodePing(pingOf(1, 10));
  HANDLE file = openBytes(concat({header, ping}));

  SonarFileHeader* result = nullptr;
  DWORD unused = 0;
  ASSERT_EQ(ReadFullVSKHeader(file, &result, &unused), VSK_OK);
  ASSERT_NE(result, nullptr);
  EXPECT_EQ(std::memcmp(result, header.data(), 256 + 3 * 128), 0);
  EXPECT_EQ(positionOf(file), header.size());
  EXPECT_EQ(unused, header.size());

  const Record first = readRecord(file);
  ASSERT_EQ(first.result, VSK_OK);
  EXPECT_EQ(std::memcmp(first.bytes, ping.data(), ping.size()), 0);
}

TEST_F(ReaderTest, HeaderIsPaddedToEightEntriesWithZeros) {
  vsk::FileSpec spec;
  spec.sonarChannels = {{0, 0, 2, 100, 3.5f, "SB"}};
  HANDLE file = openBytes(vsk::encodeFileHeader(spec));
  SonarFileHeader* header = nullptr;
  DWORD unused = 0;
  ASSERT_EQ(ReadFullVSKHeader(file, &header, &unused), VSK_OK);
  const auto* bytes = reinterpret_cast<const unsigned char*>(header);
  for (std::size_t i = 256 + 128; i < 256 + 8 * 128; ++i) ASSERT_EQ(bytes[i], 0) << i;
}

TEST_F(ReaderTest, ReadVSKHeaderSkipsTheHeaderAndLeavesTheFullHeaderAlone) {
  vsk::FileSpec spec = pairSpec();
  spec.extraHeaderBytes = 2000;
  const std::vector<std::uint8_t> header = vsk::encodeFileHeader(spec);
  const std::vector<std::uint8_t> ping = vsk::encodePing(pingOf(1, 4));
  HANDLE file = openBytes(concat({header, ping}));
  SonarFileHeader* full = nullptr;
  DWORD unused = 0;
  ASSERT_EQ(ReadFullVSKHeader(file, &full, &unused), VSK_OK);
  const std::vector<unsigned char> before(reinterpret_cast<unsigned char*>(full),
                                          reinterpret_cast<unsigned char*>(full) + header.size() - 2000);

  std::vector<unsigned char> scratch(VSK_HEADER_SCRATCH_BYTES + 16, 0xCC);
  seek(file, 0);
  ASSERT_EQ(ReadVSKHeader(file, scratch.data()), VSK_OK);
  EXPECT_EQ(positionOf(file), header.size());
  EXPECT_EQ(std::memcmp(scratch.data(), header.data(), VSK_HEADER_SCRATCH_BYTES), 0);
  EXPECT_EQ(scratch[VSK_HEADER_SCRATCH_BYTES], 0xCC) << "nothing written past the 1028-byte area";
  EXPECT_EQ(std::memcmp(full, before.data(), before.size()), 0);
  EXPECT_EQ(readRecord(file).result, VSK_OK);
}

TEST_F(ReaderTest, ReadVSKHeaderZeroesTheScratchPastAShortHeader) {
  vsk::FileSpec spec;
  spec.sonarChannels = {{0, 0, 2, 100, 3.5f, "SB"}};
  const std::vector<std::uint8_t> header = vsk::encodeFileHeader(spec);
  std::vector<std::uint8_t> file = header;
  file.resize(2000, 0x77);  // bytes after the header must not reach the scratch area
  HANDLE handle = openBytes(file);
  std::vector<unsigned char> scratch(VSK_HEADER_SCRATCH_BYTES, 0xCC);
  ASSERT_EQ(ReadVSKHeader(handle, scratch.data()), VSK_OK);
  EXPECT_EQ(std::memcmp(scratch.data(), header.data(), header.size()), 0);
  for (std::size_t i = header.size(); i < scratch.size(); ++i) ASSERT_EQ(scratch[i], 0) << i;
}

TEST_F(ReaderTest, HeaderStaysWritableAndStableAcrossRecordReadsAndFailedHeaderReads) {
  std::vector<std::uint8_t> bytes = vsk::encodeFileHeader(pairSpec());
  for (std::uint32_t n = 1; n <= 5; ++n) bytes = concat({bytes, vsk::encodePing(pingOf(n, 100 * n))});
  HANDLE file = openBytes(bytes);
  SonarFileHeader* header = nullptr;
  DWORD unused = 0;
  ASSERT_EQ(ReadFullVSKHeader(file, &header, &unused), VSK_OK);
  auto* table = reinterpret_cast<unsigned char*>(header) + vsk::FILE_CHANNEL_TABLE;
  table[vsk::ENTRY_TYPE] = 0;  // as the survey rewrites an unrecognised entry
  vsk::storeFloat(table + vsk::ENTRY_FREQUENCY, 12.5f);

  while (readRecord(file).result == VSK_OK) {
  }
  seek(file, 0);
  EXPECT_EQ(ReadVSKHeader(file, nullptr), VSK_OK);
  HANDLE other = openBytes(std::vector<std::uint8_t>(300, 0x11), "not-a-survey.vsk");
  SonarFileHeader* refused = header;
  EXPECT_EQ(ReadFullVSKHeader(other, &refused, &unused), VSK_ERROR_SIGNATURE);
  EXPECT_EQ(refused, header) << "a failed read leaves the caller's pointer alone";

  EXPECT_EQ(table[vsk::ENTRY_TYPE], 0);
  EXPECT_EQ(vsk::loadFloat(table + vsk::ENTRY_FREQUENCY), 12.5f);
  EXPECT_EQ(table[vsk::ENTRY_BYTES + vsk::ENTRY_TYPE], 2);
}

// ---- Records

TEST_F(ReaderTest, ReadsRecordsInOrderAndEndsExactlyAtTheEnd) {
  const std::vector<std::uint8_t> header = vsk::encodeFileHeader(pairSpec());
  const std::vector<std::uint8_t> a = vsk::encodePing(pingOf(1, 50));
  const std::vector<std::uint8_t> nav = vsk::encodeOtherRecord(3, std::vector<std::uint8_t>(40, 0x5A));
  const std::vector<std::uint8_t> b = vsk::encodePing(pingOf(2, 3000));
  const std::vector<std::uint8_t> c = vsk::encodePing(pingOf(3, 20));
  HANDLE file = openBytes(concat({header, a, nav, b, c}));
  seek(file, header.size());

  std::uint64_t expectedPosition = header.size();
  for (const auto* expected : {&a, &nav, &b, &c}) {
    const Record r = readRecord(file);
    ASSERT_EQ(r.result, VSK_OK);
    ASSERT_EQ(r.length, static_cast<int>(expected->size()));
    EXPECT_EQ(std::memcmp(r.bytes, expected->data(), expected->size()), 0);
    expectedPosition += expected->size();
    EXPECT_EQ(positionOf(file), expectedPosition);
  }
  EXPECT_EQ(readRecord(file).result, VSK_END_OF_FILE);
  EXPECT_EQ(readRecord(file).result, VSK_END_OF_FILE) << "the end stays the end";
}

TEST_F(ReaderTest, FromByteZeroPassesOverTheHeaderByItself) {
  vsk::FileSpec spec = pairSpec();
  spec.extraHeaderBytes = 3;
  const std::vector<std::uint8_t> header = vsk::encodeFileHeader(spec);
  const std::vector<std::uint8_t> ping = vsk::encodePing(pingOf(9, 8));
  HANDLE file = openBytes(concat({header, ping}));
  const Record r = readRecord(file);
  ASSERT_EQ(r.result, VSK_OK);
  EXPECT_EQ(r.length, static_cast<int>(ping.size()));
  EXPECT_EQ(vsk::load32(r.bytes + vsk::PING_NUMBER), 9u);
  EXPECT_EQ(readRecord(file).result, VSK_END_OF_FILE);

  HANDLE headerOnly = openBytes(header, "header-only.vsk");
  EXPECT_EQ(readRecord(headerOnly).result, VSK_END_OF_FILE);
}

TEST_F(ReaderTest, EachIrregularRecordHasItsOwnError) {
  const std::vector<std::uint8_t> header = vsk::encodeFileHeader(pairSpec());
  const std::vector<std::uint8_t> ping = vsk::encodePing(pingOf(1, 10));
  struct Case {
    const char* what;
    std::vector<std::uint8_t> tail;
    int result;
  };
  std::vector<std::uint8_t> wrongMarker = ping;
  wrongMarker[1] = 0xA4;
  const Case cases[] = {
      {"eleven bytes left", std::vector<std::uint8_t>(ping.begin(), ping.begin() + 11), VSK_ERROR_TRUNCATED_RECORD},
      {"one byte left", {0x5A}, VSK_ERROR_TRUNCATED_RECORD},
      {"wrong marker", wrongMarker, VSK_ERROR_RECORD_MARKER},
      {"length 15", rawRecord(15, 4), VSK_ERROR_RECORD_LENGTH},
      {"length 0", rawRecord(0, 4), VSK_ERROR_RECORD_LENGTH},
      {"one byte past the end", rawRecord(12 + 41, 40), VSK_ERROR_RECORD_PAST_END},
      {"far past the end", rawRecord(0xFFFFFFF0u, 40), VSK_ERROR_RECORD_PAST_END},
      {"ping cut short", std::vector<std::uint8_t>(ping.begin(), ping.end() - 1), VSK_ERROR_RECORD_PAST_END},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    HANDLE file = openBytes(concat({header, ping, c.tail}), "irregular.vsk");
    EXPECT_EQ(readRecord(file).result, VSK_OK);
    EXPECT_EQ(readRecord(file).result, c.result);
    EXPECT_EQ(positionOf(file), header.size() + ping.size()) << "left where the refused record starts";
    EXPECT_EQ(readRecord(file).result, c.result) << "and refused again by the next read";
    seek(file, header.size());
    int type = -1;
    EXPECT_EQ(SkipNextVSKData(file, &type), VSK_OK);
    EXPECT_EQ(type, 0);
    EXPECT_EQ(SkipNextVSKData(file, &type), c.result) << "stepping over bodies judges alike";
    EXPECT_EQ(positionOf(file), header.size() + ping.size());
    close(file);
  }
}

TEST_F(ReaderTest, SteppingOverRecordsEndsWhereReadingThemEnds) {
  const std::vector<std::uint8_t> header = vsk::encodeFileHeader(pairSpec());
  std::vector<std::vector<std::uint8_t>> records;
  // Short, long and longer-than-the-read-ahead records, pings and others.
  for (std::uint32_t samples : {3u, 20u, 700u, 300000u, 5u, 90000u}) {
    records.push_back(vsk::encodePing(pingOf(samples, samples)));
    records.push_back(vsk::encodeOtherRecord(3, std::vector<std::uint8_t>(4 + samples % 97, 0x5A)));
  }
  std::vector<std::uint8_t> bytes = header;
  for (const auto& r : records) bytes.insert(bytes.end(), r.begin(), r.end());
  HANDLE file = openBytes(bytes);
  std::uint64_t expected = header.size();
  for (const auto& r : records) {
    int type = -1;
    ASSERT_EQ(SkipNextVSKData(file, &type), VSK_OK);
    EXPECT_EQ(type, r[vsk::RECORD_HEADER_TYPE]);
    expected += r.size();
    EXPECT_EQ(positionOf(file), expected);
  }
  EXPECT_EQ(SkipNextVSKData(file, nullptr), VSK_END_OF_FILE);
  seek(file, 0);
  for (const auto& r : records) {
    const Record read = readRecord(file);
    ASSERT_EQ(read.result, VSK_OK);
    ASSERT_EQ(read.length, static_cast<int>(r.size()));
    EXPECT_EQ(std::memcmp(read.bytes, r.data(), r.size()), 0);
  }
  EXPECT_EQ(readRecord(file).result, VSK_END_OF_FILE);
}

// What was read before, in this file or another, never changes a verdict.
TEST_F(ReaderTest, AVerdictDoesNotDependOnWhatWasReadBefore) {
  const std::vector<std::uint8_t> header = vsk::encodeFileHeader(pairSpec());
  const std::vector<std::uint8_t> big = vsk::encodePing(pingOf(1, 9000));
  const std::vector<std::uint8_t> small = vsk::encodePing(pingOf(2, 10));
  const std::vector<std::uint8_t> cut(small.begin(), small.end() - 1);
  const std::string bigFile = writeFile("big.vsk", concat({header, big, big}));
  const std::string flawed = writeFile("flawed.vsk", concat({header, small, small, cut}));
  std::vector<int> verdicts;
  for (const std::string& before : {std::string(), bigFile}) {
    if (!before.empty()) {
      HANDLE other = open(before);
      while (readRecord(other).result == VSK_OK) {
      }
      close(other);
    }
    HANDLE file = open(flawed);
    int result = VSK_OK;
    while ((result = readRecord(file).result) == VSK_OK) {
    }
    verdicts.push_back(result);
    verdicts.push_back(readRecord(file).result);
    close(file);
  }
  EXPECT_EQ(verdicts, (std::vector<int>{VSK_ERROR_RECORD_PAST_END, VSK_ERROR_RECORD_PAST_END, VSK_ERROR_RECORD_PAST_END,
                                        VSK_ERROR_RECORD_PAST_END}));
}

TEST_F(ReaderTest, RecordPastTheEndIsFoundWhetherOrNotTheBufferMustGrow) {
  const std::vector<std::uint8_t> header = vsk::encodeFileHeader(pairSpec());
  const std::vector<std::uint8_t> big = vsk::encodePing(pingOf(1, 5000));
  // Small enough to fit the buffer the big ping left, but one byte short.
  const std::vector<std::uint8_t> cut = rawRecord(1000, 1000 - 12 - 1);
  HANDLE file = openBytes(concat({header, big, cut}));
  EXPECT_EQ(readRecord(file).result, VSK_OK);
  EXPECT_EQ(readRecord(file).result, VSK_ERROR_RECORD_PAST_END);
}

TEST_F(ReaderTest, APositionBeyondTheEndIsNotTheEnd) {
  const std::vector<std::uint8_t> header = vsk::encodeFileHeader(pairSpec());
  HANDLE file = openBytes(header);
  seek(file, header.size() + 10);
  EXPECT_EQ(readRecord(file).result, VSK_ERROR_TRUNCATED_RECORD);
}

TEST_F(ReaderTest, ShortRecordIsReadableFor256BytesZeroPadded) {
  const std::vector<std::uint8_t> header = vsk::encodeFileHeader(pairSpec());
  const std::vector<std::uint8_t> big = vsk::encodePing(pingOf(1, 400));  // fills the buffer first
  std::vector<std::uint8_t> small = vsk::encodeOtherRecord(0, {0x11, 0x22, 0x33, 0x44});
  HANDLE file = openBytes(concat({header, big, small}));
  ASSERT_EQ(readRecord(file).result, VSK_OK);
  const Record r = readRecord(file);
  ASSERT_EQ(r.result, VSK_OK);
  ASSERT_EQ(r.length, 16);
  EXPECT_EQ(std::memcmp(r.bytes, small.data(), 16), 0);
  for (int i = 16; i < 256; ++i) ASSERT_EQ(r.bytes[i], 0) << i;
  EXPECT_EQ(vsk::loadDouble(r.bytes + vsk::PING_SHIP_X), 0.0);
}

TEST_F(ReaderTest, RecordIsWritableUntilTheNextRead) {
  const std::vector<std::uint8_t> header = vsk::encodeFileHeader(pairSpec());
  HANDLE file = openBytes(concat({header, vsk::encodePing(pingOf(1, 10)), vsk::encodePing(pingOf(2, 10))}));
  void* buffer = nullptr;
  int length = 0;
  ASSERT_EQ(ReadNextVSKData(file, &buffer, &length, VSK_READ_MODE), VSK_OK);
  static_cast<unsigned char*>(buffer)[length - 1] = 0x99;
  ASSERT_EQ(ReadNextVSKData(file, &buffer, &length, VSK_READ_MODE), VSK_OK);
  EXPECT_EQ(vsk::load32(static_cast<unsigned char*>(buffer) + vsk::PING_NUMBER), 2u);
  EXPECT_EQ(static_cast<unsigned char*>(buffer)[length - 1], 0x41) << "the new record is the file's, not the old edit";
}

TEST_F(ReaderTest, SeveralFilesOneAfterAnother) {
  vsk::FileSpec one = pairSpec();
  vsk::FileSpec three = pairSpec();
  three.sonarChannels.push_back({0, 2, 1, 64, 4.0f, "SB"});
  three.extraHeaderBytes = 77;
  const std::string first =
      writeFile("first.vsk", concat({vsk::encodeFileHeader(one), vsk::encodePing(pingOf(1, 2000))}));
  const std::string second =
      writeFile("second.vsk", concat({vsk::encodeFileHeader(three), vsk::encodePing(pingOf(5, 3))}));
  for (const std::string& p : {first, second, first}) {
    HANDLE file = open(p);
    SonarFileHeader* header = nullptr;
    DWORD unused = 0;
    ASSERT_EQ(ReadFullVSKHeader(file, &header, &unused), VSK_OK);
    const auto* bytes = reinterpret_cast<const unsigned char*>(header);
    const bool isSecond = p == second;
    EXPECT_EQ(vsk::load16(bytes + vsk::FILE_SONAR_CHANNELS), isSecond ? 3 : 2);
    const Record r = readRecord(file);
    ASSERT_EQ(r.result, VSK_OK);
    EXPECT_EQ(vsk::load32(r.bytes + vsk::PING_NUMBER), isSecond ? 5u : 1u);
    EXPECT_EQ(readRecord(file).result, VSK_END_OF_FILE);
    close(file);
  }
}

// ---- Files of 4 GiB and more (sparse; skipped where the file system cannot hold them)

class LargeFileTest : public ReaderTest {
 protected:
  // Writes `head` at 0 and `tail` at `tailAt`, leaving a hole between.
  bool writeSparse(const std::string& p, const std::vector<std::uint8_t>& head, std::uint64_t tailAt,
                   const std::vector<std::uint8_t>& tail) {
    struct statvfs fs {};
    if (::statvfs(dir_.c_str(), &fs) != 0 || fs.f_bavail * fs.f_frsize < (16u << 20)) return false;
    std::FILE* f = std::fopen(p.c_str(), "wb");
    if (f == nullptr) return false;
    bool ok = std::fwrite(head.data(), 1, head.size(), f) == head.size() &&
              ::fseeko(f, static_cast<off_t>(tailAt), SEEK_SET) == 0 &&
              std::fwrite(tail.data(), 1, tail.size(), f) == tail.size();
    ok = std::fclose(f) == 0 && ok;
    std::error_code error;
    return ok && std::filesystem::file_size(p, error) == tailAt + tail.size();
  }
};

constexpr std::uint64_t FOUR_GIB = 1ull << 32;

TEST_F(LargeFileTest, ReadsARecordAtFourGiBAndTheEndBehindIt) {
  const std::vector<std::uint8_t> header = vsk::encodeFileHeader(pairSpec());
  const std::vector<std::uint8_t> ping = vsk::encodePing(pingOf(77, 16));
  const std::string p = path("large.vsk");
  // Exactly at 4 GiB the low 32 bits of the position are 0, which a reader
  // that kept only those would take for the start of the file.
  if (!writeSparse(p, header, FOUR_GIB, ping)) GTEST_SKIP() << "file system cannot hold a sparse 4 GiB file";
  HANDLE file = open(p);
  SonarFileHeader* h = nullptr;
  DWORD unused = 0;
  ASSERT_EQ(ReadFullVSKHeader(file, &h, &unused), VSK_OK);
  seek(file, FOUR_GIB);
  const Record r = readRecord(file);
  ASSERT_EQ(r.result, VSK_OK);
  EXPECT_EQ(vsk::load32(r.bytes + vsk::PING_NUMBER), 77u);
  EXPECT_EQ(positionOf(file), FOUR_GIB + ping.size());
  EXPECT_EQ(readRecord(file).result, VSK_END_OF_FILE);
}

TEST_F(LargeFileTest, RecordPastTheEndBeyondFourGiB) {
  const std::vector<std::uint8_t> header = vsk::encodeFileHeader(pairSpec());
  const std::vector<std::uint8_t> ping = vsk::encodePing(pingOf(1, 16));
  const std::string p = path("large-cut.vsk");
  if (!writeSparse(p, header, FOUR_GIB + 100, std::vector<std::uint8_t>(ping.begin(), ping.end() - 1))) {
    GTEST_SKIP() << "file system cannot hold a sparse 4 GiB file";
  }
  HANDLE file = open(p);
  seek(file, FOUR_GIB + 100);
  EXPECT_EQ(readRecord(file).result, VSK_ERROR_RECORD_PAST_END);
}

TEST_F(LargeFileTest, RecordOfTwoGiBOrMoreIsRefusedWithoutAllocating) {
  const std::vector<std::uint8_t> header = vsk::encodeFileHeader(pairSpec());
  const std::uint32_t length = 0x80000010u;
  const std::string p = path("huge-record.vsk");
  const std::vector<std::uint8_t> start = concat({header, rawRecord(length, 0)});
  if (!writeSparse(p, start, header.size() + length - 1, {0})) {
    GTEST_SKIP() << "file system cannot hold a sparse 2 GiB file";
  }
  HANDLE file = open(p);
  EXPECT_EQ(readRecord(file).result, VSK_ERROR_RECORD_LENGTH);
}

}  // namespace
