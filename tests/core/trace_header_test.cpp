#include "core/trace_header.h"
#include "core/channel_locator.h"
#include "core/converter_context.h"
#include "core/reel_header.h"
#include "sonar_memory.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <memory>
#include <set>

namespace {

constexpr std::uint16_t METRES = 0;
constexpr std::uint16_t DEGREES = 1;

struct TraceHeader : ::testing::Test {
  std::unique_ptr<ConverterContext> context = std::make_unique<ConverterContext>();
  std::unique_ptr<SonarMemory> memory;
  vsk::Ping ping;

  TraceHeader() {
    ping.year = 2025;
    ping.dayOfYear = 300;
    ping.hour = 23;
    ping.minute = 59;
    ping.second = 58;
    ping.shipX = 512345.678;
    ping.shipY = 6123456.789;
    ping.sensorX = 512300.5;
    ping.sensorY = 6123400.25;
    ping.sensorDepth = 0.29f;
    ping.primaryAltitude = 12.34f;
    ping.auxiliaryAltitude = 0.8f;
    vsk::PingChannel port = pingChannel(0, vsk::samples16({1, 2}), 2);
    port.timeDelay = 0.0125f;
    vsk::PingChannel starboard = pingChannel(1, vsk::samples16({3, 4}), 2);
    starboard.timeDelay = 0.5f;
    ping.channels = {port, starboard};
  }

  // Builds the reel header's geometry, then the trace header of channel position.
  void build(std::uint16_t units, std::int16_t traceNumber = 1, int position = 0, int pair = 0,
             std::uint32_t bigEndian = 0) {
    vsk::FileSpec file;
    file.navigationUnits = units;
    file.sonarChannels = {channelSpec(1, 0), channelSpec(2, 1)};
    memory = std::make_unique<SonarMemory>(file, ping);
    memory->attach(*context);
    locateChannels(context.get());
    context->bigEndian = bigEndian;
    context->pingCount = 7;
    BuildReelHeader(context.get(), 2, 2000, 0.2f);
    BuildTraceHeader(context.get(), traceNumber, position, pair);
  }
  const unsigned char* trace() const { return context->headerBuffer + REEL_HEADER_BYTES; }
  // Fields by SEG-Y byte number within the trace header, in the order chosen.
  std::int32_t long32(int segyByte) const {
    const unsigned char* at = trace() + segyByte - 1;
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i) value |= std::uint32_t{at[context->bigEndian != 0 ? 3 - i : i]} << (8 * i);
    return static_cast<std::int32_t>(value);
  }
  std::int16_t short16(int segyByte) const {
    const unsigned char* at = trace() + segyByte - 1;
    return static_cast<std::int16_t>(context->bigEndian != 0 ? (at[0] << 8) | at[1] : at[0] | (at[1] << 8));
  }
};

// Every byte the header may set, by SEG-Y byte number and width.
const std::pair<int, int> SET_FIELDS[] = {{9, 4},   {13, 4},  {29, 2},  {49, 4},  {61, 4},  {69, 2},  {71, 2},
                                          {73, 4},  {77, 4},  {81, 4},  {85, 4},  {89, 2},  {109, 2}, {115, 2},
                                          {117, 2}, {119, 2}, {157, 2}, {159, 2}, {161, 2}, {163, 2}, {165, 2}};

TEST_F(TraceHeader, MetresFromTheShip) {
  build(METRES);
  EXPECT_EQ(long32(73), 51234567);
  EXPECT_EQ(long32(77), 612345678);
  EXPECT_EQ(long32(81), 51234567);
  EXPECT_EQ(long32(85), 612345678);
  EXPECT_EQ(short16(71), -100);
  EXPECT_EQ(short16(89), 1);
  EXPECT_EQ(trace()[68], 0x9C);
  EXPECT_EQ(trace()[69], 0xFF);
}

TEST_F(TraceHeader, DegreesFromTheSensorInThousandthsOfArcSeconds) {
  ping.sensorY = 48.123456789;
  ping.sensorX = -3.5;
  context->useShipCoordinates = 0;
  build(DEGREES);
  EXPECT_EQ(long32(77), 173244444);
  EXPECT_EQ(long32(73), -12600000);
  EXPECT_EQ(long32(85), 173244444);
  EXPECT_EQ(long32(81), -12600000);
  EXPECT_EQ(short16(71), -1000);
  EXPECT_EQ(short16(89), 2);
  EXPECT_EQ(trace()[70], 0x18);
  EXPECT_EQ(trace()[71], 0xFC);

  build(DEGREES, 1, 0, 0, 1);
  EXPECT_EQ(trace()[70], 0xFC);
  EXPECT_EQ(trace()[71], 0x18);
  EXPECT_EQ(long32(73), -12600000);
}

TEST_F(TraceHeader, ShipOrSensorChangesOnlyTheCoordinates) {
  build(METRES);
  std::vector<unsigned char> fromShip(trace(), trace() + TRACE_HEADER_BYTES);
  context->useShipCoordinates = 0;
  build(METRES);
  EXPECT_EQ(long32(73), 51230050);
  EXPECT_EQ(long32(77), 612340025);
  for (int i = 0; i < TRACE_HEADER_BYTES; ++i) {
    if (i >= 72 && i < 88) continue;
    EXPECT_EQ(trace()[i], fromShip[i]) << "header byte " << i;
  }
}

TEST_F(TraceHeader, TruncationTowardZero) {
  ping.shipX = -12.349;
  ping.sensorDepth = 0.29f;  // the float lies just below 0.29
  build(METRES);
  EXPECT_EQ(long32(73), -1234);
  EXPECT_EQ(long32(49), 28);
  EXPECT_EQ(short16(109), 12);  // 0.0125 s
}

TEST_F(TraceHeader, ScaledValuesBeyond32BitsAreMarkedNotWrapped) {
  ping.shipX = 3.0e7;  // 3e9 cm
  ping.shipY = std::numeric_limits<double>::quiet_NaN();
  build(METRES);
  EXPECT_EQ(long32(73), INT32_MIN);
  EXPECT_EQ(long32(77), INT32_MIN);
}

TEST_F(TraceHeader, AltitudeRule) {
  build(METRES);  // auxiliary 0.8 m is below a metre
  EXPECT_EQ(long32(61), 1234);
  ping.auxiliaryAltitude = 5.5f;
  build(METRES);
  EXPECT_EQ(long32(61), 550);
  ping.auxiliaryAltitude = -1.0f;
  build(METRES);
  EXPECT_EQ(long32(61), -100);
  ping.auxiliaryAltitude = -0.99f;
  build(METRES);
  EXPECT_EQ(long32(61), 1234);
}

TEST_F(TraceHeader, PairTracesShareThePingButNotTheDelay) {
  build(METRES, 1, 0, 1);
  EXPECT_EQ(long32(13), 1);
  EXPECT_EQ(short16(29), 9);
  EXPECT_EQ(short16(109), 12);
  std::vector<unsigned char> port(trace(), trace() + TRACE_HEADER_BYTES);

  build(METRES, 2, 1, 1);
  EXPECT_EQ(long32(13), 2);
  EXPECT_EQ(short16(29), 9);
  EXPECT_EQ(short16(109), 500);
  for (int i = 0; i < TRACE_HEADER_BYTES; ++i) {
    if ((i >= 12 && i < 16) || (i >= 108 && i < 110)) continue;
    EXPECT_EQ(trace()[i], port[i]) << "header byte " << i;
  }

  build(METRES, 1, 0, 0);
  EXPECT_EQ(short16(29), 1);
}

TEST_F(TraceHeader, FieldsInBothByteOrders) {
  for (std::uint32_t bigEndian : {0u, 1u}) {
    build(METRES, 1, 0, 0, bigEndian);
    EXPECT_EQ(long32(9), 7);
    EXPECT_EQ(long32(13), 1);
    EXPECT_EQ(short16(69), -100);
    EXPECT_EQ(short16(115), 2000);
    EXPECT_EQ(short16(117), 100);
    EXPECT_EQ(short16(119), 1);
    EXPECT_EQ(short16(157), 2025);
    EXPECT_EQ(short16(159), 300);
    EXPECT_EQ(short16(161), 23);
    EXPECT_EQ(short16(163), 59);
    EXPECT_EQ(short16(165), 58);
  }
  build(METRES, 1, 0, 0, 0);
  EXPECT_EQ(std::vector<int>(trace() + 12, trace() + 16), (std::vector<int>{1, 0, 0, 0}));
  build(METRES, 1, 0, 0, 1);
  EXPECT_EQ(std::vector<int>(trace() + 12, trace() + 16), (std::vector<int>{0, 0, 0, 1}));
  EXPECT_EQ(trace()[68], 0xFF);
  EXPECT_EQ(trace()[69], 0x9C);
}

TEST_F(TraceHeader, GeometryMatchesTheBinaryHeader) {
  build(METRES);
  BuildReelHeader(context.get(), 1, 70000, 0.7f);
  BuildTraceHeader(context.get(), 1, 0, 0);
  const unsigned char* binary = context->headerBuffer;
  EXPECT_EQ(short16(115), static_cast<std::int16_t>(binary[3220] | (binary[3221] << 8)));
  EXPECT_EQ(short16(115), 4464);
  EXPECT_EQ(short16(117), static_cast<std::int16_t>(binary[3216] | (binary[3217] << 8)));
  EXPECT_EQ(short16(117), 9);  // 0.7 s as a float lies below 0.7

  BuildReelHeader(context.get(), 1, 0, 0.7f);
  BuildTraceHeader(context.get(), 1, 0, 0);
  EXPECT_EQ(short16(115), 0);
  EXPECT_EQ(short16(117), 0);
}

TEST_F(TraceHeader, EveryOtherByteIsZeroAndTheReelHeaderIsUntouched) {
  build(METRES);
  std::vector<unsigned char> reel(context->headerBuffer, context->headerBuffer + REEL_HEADER_BYTES);
  std::memset(context->headerBuffer + REEL_HEADER_BYTES, 0xEE, TRACE_HEADER_BYTES);
  BuildTraceHeader(context.get(), 1, 0, 0);
  std::set<int> set;
  for (auto [segyByte, width] : SET_FIELDS) {
    for (int i = 0; i < width; ++i) set.insert(segyByte - 1 + i);
  }
  for (int i = 0; i < TRACE_HEADER_BYTES; ++i) {
    if (set.count(i) == 0) {
      EXPECT_EQ(trace()[i], 0) << "header byte " << i;
    }
  }
  EXPECT_EQ(std::vector<unsigned char>(context->headerBuffer, context->headerBuffer + REEL_HEADER_BYTES), reel);
}

}  // namespace
