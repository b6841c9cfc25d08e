#include "vsktools/vsk_writer.h"

#include "tests/vsktools/temp_survey_dir.h"
#include "vsktools/vsk_layout.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

std::uint16_t u16(const Bytes& b, std::size_t at) { return vsk::load16(b.data() + at); }
std::uint32_t u32(const Bytes& b, std::size_t at) { return vsk::load32(b.data() + at); }
std::string text(const Bytes& b, std::size_t at, std::size_t width) {
  return std::string(reinterpret_cast<const char*>(b.data() + at), width);
}

TEST(VskWriter, FileHeaderFieldsAtTheirOffsets) {
  vsk::FileSpec spec;
  spec.navigationUnits = 1;
  spec.recordingProgram = "a program name longer than thirty-two characters";
  spec.surveyNote = "line 7";
  spec.extraHeaderBytes = 10;
  spec.sonarChannels = {{9, 11, 1, 0, 455.5f, "an overlong channel name"}};
  spec.bathymetryChannels = {{2, 3, 2, 1234567, 100.0f, "B"}};
  const Bytes h = vsk::encodeFileHeader(spec);

  ASSERT_EQ(h.size(), 256u + 2 * 128 + 10);
  EXPECT_EQ(text(h, 0, 4), std::string("VSK\x01", 4));
  EXPECT_EQ(u32(h, 4), 0u);
  EXPECT_EQ(u32(h, 8), h.size());
  EXPECT_EQ(text(h, 12, 32), spec.recordingProgram.substr(0, 32));
  EXPECT_EQ(text(h, 44, 64), std::string("line 7") + std::string(58, '\0'));
  EXPECT_EQ(u16(h, 164), 1);
  EXPECT_EQ(u16(h, 166), 1);
  EXPECT_EQ(u16(h, 168), 1);

  const std::size_t first = 256, second = 256 + 128;
  EXPECT_EQ(h[first + 0], 9) << "unrecognised types are written as given";
  EXPECT_EQ(h[first + 1], 11) << "so are sub-channel numbers of 8 and more";
  EXPECT_EQ(u16(h, first + 6), 1);
  EXPECT_EQ(u32(h, first + 8), 0u);
  EXPECT_EQ(vsk::loadFloat(h.data() + first + 32), 455.5f);
  EXPECT_EQ(text(h, first + 36, 16), "an overlong chan");
  EXPECT_EQ(h[second + 0], 2);
  EXPECT_EQ(h[second + 1], 3);
  EXPECT_EQ(u16(h, second + 6), 2);
  EXPECT_EQ(u32(h, second + 8), 1234567u);
  EXPECT_EQ(text(h, second + 36, 2), std::string("B\0", 2));
  for (std::size_t reserved : {108u, 140u, 170u, 255u, 256u + 2, 256u + 12, 256u + 52, 256u + 127}) {
    EXPECT_EQ(h[reserved], 0) << reserved;
  }
  for (std::size_t extra = 512; extra < h.size(); ++extra) EXPECT_EQ(h[extra], 0);

  spec.headerLength = 100;
  EXPECT_EQ(u32(vsk::encodeFileHeader(spec), 8), 100u) << "an override for refused headers";
}

vsk::Ping fullPing() {
  vsk::Ping p;
  p.year = 2025;
  p.month = 12;
  p.day = 31;
  p.hour = 23;
  p.minute = 59;
  p.second = 58;
  p.hundredths = 99;
  p.dayOfYear = 365;
  p.pingNumber = 0xA1B2C3D4u;
  p.shipY = 6543210.25;
  p.shipX = 512345.5;
  p.shipHeading = 271.5f;
  p.shipSpeed = 4.25f;
  p.sensorY = 6543190.75;
  p.sensorX = 512340.0;
  p.sensorHeading = 270.0f;
  p.sensorDepth = 12.5f;
  p.primaryAltitude = 8.75f;
  p.auxiliaryAltitude = 0.5f;
  return p;
}

TEST(VskWriter, PingHeaderFieldsAtTheirOffsets) {
  const Bytes r = vsk::encodePing(fullPing());
  ASSERT_EQ(r.size(), 256u);
  EXPECT_EQ(r[0], 0x5A);
  EXPECT_EQ(r[1], 0xA5);
  EXPECT_EQ(r[2], 0) << "header type of a sonar ping";
  EXPECT_EQ(u16(r, 4), 0);
  EXPECT_EQ(u32(r, 8), 256u);
  EXPECT_EQ(u16(r, 14), 2025);
  const Bytes clock = {12, 31, 23, 59, 58, 99};
  EXPECT_EQ(Bytes(r.begin() + 16, r.begin() + 22), clock);
  EXPECT_EQ(u16(r, 22), 365);
  EXPECT_EQ(u32(r, 24), 0xA1B2C3D4u);
  EXPECT_EQ(vsk::loadDouble(r.data() + 128), 6543210.25);
  EXPECT_EQ(vsk::loadDouble(r.data() + 136), 512345.5);
  EXPECT_EQ(vsk::loadFloat(r.data() + 144), 271.5f);
  EXPECT_EQ(vsk::loadFloat(r.data() + 148), 4.25f);
  EXPECT_EQ(vsk::loadDouble(r.data() + 160), 6543190.75);
  EXPECT_EQ(vsk::loadDouble(r.data() + 168), 512340.0);
  EXPECT_EQ(vsk::loadFloat(r.data() + 176), 270.0f);
  EXPECT_EQ(vsk::loadFloat(r.data() + 192), 12.5f);
  EXPECT_EQ(vsk::loadFloat(r.data() + 196), 8.75f);
  EXPECT_EQ(vsk::loadFloat(r.data() + 200), 0.5f);
  for (std::size_t reserved : {3u, 6u, 12u, 28u, 127u, 152u, 180u, 204u, 255u}) EXPECT_EQ(r[reserved], 0) << reserved;
}

TEST(VskWriter, ChannelsFollowThePingHeaderAndSizeTheRecord) {
  vsk::Ping p = fullPing();
  vsk::PingChannel a;
  a.channelNumber = 12;
  a.timeDelay = 0.001f;
  a.timeDuration = 0.125f;
  a.slantRange = 93.75f;
  a.sampleCount = 3;
  a.samples = vsk::samples16({0x0102, 0xFFFE, 7});
  vsk::PingChannel b;
  b.channelNumber = 1;
  b.sampleCount = 0;  // the entry's count applies; the bytes are what the test gives
  b.samples = vsk::samples8({1, 2, 3, 4, 5});
  for (int i = 0; i < 9; ++i) p.channels.push_back(i == 0 ? a : b);  // more than any table of 8

  const Bytes r = vsk::encodePing(p);
  const std::size_t expected = 256 + (64 + 6) + 8 * (64 + 5);
  ASSERT_EQ(r.size(), expected);
  EXPECT_EQ(u32(r, 8), expected);
  EXPECT_EQ(u16(r, 4), 9);

  EXPECT_EQ(u16(r, 256), 12);
  EXPECT_EQ(vsk::loadFloat(r.data() + 256 + 12), 0.001f);
  EXPECT_EQ(vsk::loadFloat(r.data() + 256 + 16), 0.125f);
  EXPECT_EQ(vsk::loadFloat(r.data() + 256 + 20), 93.75f);
  EXPECT_EQ(u32(r, 256 + 42), 3u);
  EXPECT_EQ(Bytes(r.begin() + 320, r.begin() + 326), Bytes({0x02, 0x01, 0xFE, 0xFF, 0x07, 0x00}));
  const std::size_t second = 256 + 64 + 6;
  EXPECT_EQ(u16(r, second), 1);
  EXPECT_EQ(u32(r, second + 42), 0u);
  EXPECT_EQ(Bytes(r.begin() + second + 64, r.begin() + second + 69), Bytes({1, 2, 3, 4, 5}));

  b.sampleCount = 1000;  // a count that disagrees with the bytes, on purpose
  p.channels = {b};
  EXPECT_EQ(u32(vsk::encodePing(p), 8), 256u + 64 + 5);
  p.recordLength = 20;
  const Bytes overridden = vsk::encodePing(p);
  EXPECT_EQ(u32(overridden, 8), 20u);
  EXPECT_EQ(overridden.size(), 256u + 64 + 5);
}

TEST(VskWriter, OtherRecordsCarryTheirBodyAndNoChannels) {
  const Bytes r = vsk::encodeOtherRecord(4, {9, 8, 7, 6, 5});
  ASSERT_EQ(r.size(), 17u);
  EXPECT_EQ(u16(r, 0), 0xA55A);
  EXPECT_EQ(r[2], 4);
  EXPECT_EQ(u16(r, 4), 0);
  EXPECT_EQ(u32(r, 8), 17u);
  EXPECT_EQ(Bytes(r.begin() + 12, r.end()), Bytes({9, 8, 7, 6, 5}));
}

class VskWriterFile : public TempSurveyDir {};

TEST_F(VskWriterFile, StreamsTheHeaderThenTheRecordsInOrder) {
  vsk::FileSpec spec;
  spec.sonarChannels = {{0, 0, 2, 4, 3.5f, "SB"}};
  vsk::Ping p = fullPing();
  vsk::PingChannel c;
  c.sampleCount = 2;
  c.samples = vsk::samples16({1, 2});
  p.channels = {c};
  const std::string file = path("stream.vsk");
  vsk::Writer writer(file, spec);
  writer.writePing(p);
  writer.writeOtherRecord(5, {1, 2, 3});
  writer.writeBytes({0xAB});
  ASSERT_TRUE(writer.close());

  const Bytes expected =
      concat({vsk::encodeFileHeader(spec), vsk::encodePing(p), vsk::encodeOtherRecord(5, {1, 2, 3}), {0xAB}});
  std::ifstream in(file, std::ios::binary);
  const Bytes actual((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(actual, expected);
  EXPECT_EQ(writer.bytesWritten(), expected.size());
}

TEST_F(VskWriterFile, AFileThatCannotBeCreatedIsReported) {
  vsk::Writer writer(path("no-such-folder/x.vsk"), vsk::FileSpec{});
  EXPECT_FALSE(writer.ok());
  writer.writePing(fullPing());
  EXPECT_EQ(writer.bytesWritten(), 0u);
  EXPECT_FALSE(writer.close());
}

}  // namespace
