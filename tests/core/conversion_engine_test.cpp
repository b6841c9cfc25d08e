#include "core/sonar_records.h"
#include "engine_harness.h"
#include "sonar_memory.h"

#ifndef _WIN32
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <cstring>

namespace engine_test {
namespace {

constexpr int PAIR_1 = 0;
constexpr int SUBBOTTOM = 4;
constexpr int SINGLE_1 = 5;
constexpr int TRACE_BYTES_PER_SAMPLE = 2;

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool SANITIZED = true;
#elif defined(__has_feature)
constexpr bool SANITIZED = __has_feature(address_sanitizer) || __has_feature(thread_sanitizer);
#else
constexpr bool SANITIZED = false;
#endif

// A survey of a port/starboard pair (sub-channels 0 and 1) and a subbottom
// channel (2), 16-bit; sample i of channel c in ping p is p * 1000 + c * 100 + i.
vsk::FileSpec pairAndSubbottom(std::uint16_t navigationUnits = 0) {
  vsk::FileSpec file;
  file.navigationUnits = navigationUnits;
  file.sonarChannels = {channelSpec(1, 0), channelSpec(2, 1), channelSpec(0, 2)};
  return file;
}

vsk::Ping ping(int index, const std::vector<std::uint16_t>& channelNumbers, std::uint32_t samples) {
  vsk::Ping result;
  result.pingNumber = static_cast<std::uint32_t>(index);
  for (std::size_t c = 0; c < channelNumbers.size(); ++c) {
    std::vector<std::uint16_t> values(samples);
    for (std::uint32_t i = 0; i < samples; ++i) values[i] = static_cast<std::uint16_t>(index * 1000 + c * 100 + i);
    result.channels.push_back(pingChannel(channelNumbers[c], vsk::samples16(values), samples));
  }
  return result;
}

std::vector<vsk::Ping> pings(int count, std::uint32_t samples, const std::vector<std::uint16_t>& numbers = {0, 1, 2}) {
  std::vector<vsk::Ping> result;
  for (int p = 1; p <= count; ++p) result.push_back(ping(p, numbers, samples));
  return result;
}

std::uint16_t sampleAt(const std::vector<unsigned char>& file, std::size_t trace, std::uint32_t samplesPerTrace,
                       std::uint32_t i) {
  const std::size_t at = REEL_HEADER_BYTES + trace * (TRACE_HEADER_BYTES + TRACE_BYTES_PER_SAMPLE * samplesPerTrace) +
                         TRACE_HEADER_BYTES + TRACE_BYTES_PER_SAMPLE * i;
  return static_cast<std::uint16_t>(file[at] | (file[at + 1] << 8));
}

std::uint32_t fieldRecordOf(const std::vector<unsigned char>& file, std::size_t trace, std::uint32_t samplesPerTrace) {
  const std::size_t at =
      REEL_HEADER_BYTES + trace * (TRACE_HEADER_BYTES + TRACE_BYTES_PER_SAMPLE * samplesPerTrace) + 8;
  std::uint32_t value;
  std::memcpy(&value, file.data() + at, sizeof value);
  return value;
}

using ConversionEngine = EngineTest;

TEST_F(ConversionEngine, PairWritesPortReversedThenStarboard) {
  writeSurvey(pairAndSubbottom(), pings(3, 1000));
  open();
  choose(PAIR_1, 0, 1000, 0.1f);
  run();
  const std::vector<unsigned char> file = output();
  EXPECT_EQ(file.size(), 17040u);  // 3600 + 3 x 2 x (240 + 2000)
  EXPECT_EQ(context->conversionOutcome, CONVERSION_OK);
  EXPECT_EQ(context->tracesWritten, 6u);
  EXPECT_EQ(context->bytesWritten, 17040u);
  EXPECT_EQ(context->pingCount, 3u);
  for (std::size_t trace = 0; trace < 6; ++trace) {
    const int p = static_cast<int>(trace / 2) + 1;
    const bool port = trace % 2 == 0;
    EXPECT_EQ(fieldRecordOf(file, trace, 1000), static_cast<std::uint32_t>(p));
    EXPECT_EQ(sampleAt(file, trace, 1000, 0), port ? p * 1000 + 999 : p * 1000 + 100) << trace;
    EXPECT_EQ(sampleAt(file, trace, 1000, 999), port ? p * 1000 : p * 1000 + 100 + 999) << trace;
  }
}

TEST_F(ConversionEngine, SurveyWithoutSonarPingsWritesNothing) {
  {
    vsk::Writer writer(sonarPath, pairAndSubbottom());
    writer.writeOtherRecord(3, std::vector<std::uint8_t>(100, 1));
    writer.writeOtherRecord(7, std::vector<std::uint8_t>(4, 0));
    ASSERT_TRUE(writer.close());
  }
  open();
  const char older[] = "an older conversion";
  DWORD written = 0;
  ASSERT_TRUE(WriteFile(context->segyFile, older, sizeof older, &written, nullptr));
  choose(SINGLE_1, 0, 1000, 0.1f);
  run();
  EXPECT_TRUE(output().empty());
  EXPECT_EQ(context->conversionOutcome, CONVERSION_NO_TRACES);
  EXPECT_EQ(context->pingCount, 0u);
  EXPECT_EQ(context->traceSamples, nullptr);
}

TEST_F(ConversionEngine, PingWithoutTheSelectionShowsNoDataAndGivesNoTrace) {
  std::vector<vsk::Ping> survey = {ping(1, {1, 2}, 10), ping(2, {0, 1, 2}, 10), ping(3, {0, 2}, 10),
                                   ping(4, {0, 1}, 10)};
  writeSurvey(pairAndSubbottom(), survey);
  open();
  choose(PAIR_1, 0, 10, 0.01f);
  run();
  // Pings 1 and 3 lack the pair; the reel header is written on ping 1 all the same.
  const std::vector<unsigned char> file = output();
  ASSERT_EQ(file.size(), 3600u + 4 * (240 + 20));
  EXPECT_EQ(fieldRecordOf(file, 0, 10), 2u);
  EXPECT_EQ(fieldRecordOf(file, 2, 10), 4u);
  EXPECT_EQ(context->pingCount, 4u);
  EXPECT_EQ(events.pingsWithoutData, (std::vector<std::uint32_t>{1, 3}));
  // The ping number counts the pings without data too.
  ASSERT_EQ(events.pings.size(), 4u);
  for (std::uint32_t p = 0; p < 4; ++p) EXPECT_EQ(events.pings[p].pingNumber, p + 1);
}

TEST_F(ConversionEngine, SingleChannelFromTheFirstPingThatHoldsIt) {
  writeSurvey(pairAndSubbottom(), {ping(1, {0, 1}, 8), ping(2, {0, 1, 2}, 8), ping(3, {0, 1, 2}, 8)});
  open();
  choose(SUBBOTTOM, 2, 8, 0.008f);
  run();
  const std::vector<unsigned char> file = output();
  ASSERT_EQ(file.size(), 3600u + 2 * (240 + 16));
  EXPECT_EQ(fieldRecordOf(file, 0, 8), 2u);
  EXPECT_EQ(sampleAt(file, 0, 8, 0), 2000 + 200);  // a subbottom channel runs forward
  EXPECT_EQ(context->tracesWritten, 2u);
}

TEST_F(ConversionEngine, ProcessingInformationCarriesEachPingsPositionsAndUnits) {
  for (const std::uint16_t units : {std::uint16_t{0}, std::uint16_t{1}}) {
    vsk::Ping first = ping(1, {0, 1, 2}, 4);
    first.shipX = 512345.678;
    first.shipY = -3.25;
    first.sensorX = 12.5;
    first.sensorY = 48.123456789;
    closeFiles();
    writeSurvey(pairAndSubbottom(units), {first, ping(2, {0, 1, 2}, 4)});
    open();
    choose(SINGLE_1, 0, 4, 0.004f);
    run();
    ASSERT_EQ(events.pings.size(), 2u);
    const PingInformation& shown = events.pings[0];
    EXPECT_EQ(shown.pingNumber, 1u);
    EXPECT_EQ(shown.degrees, units != 0);
    EXPECT_EQ(shown.shipX, 512345.678);
    EXPECT_EQ(shown.shipY, -3.25);
    EXPECT_EQ(shown.sensorX, 12.5);
    EXPECT_EQ(shown.sensorY, 48.123456789);
    EXPECT_EQ(events.pings[1].pingNumber, 2u);
  }
}

TEST_F(ConversionEngine, ProcessingInformationOffSendsNoTexts) {
  writeSurvey(pairAndSubbottom(), pings(5, 4));
  open();
  choose(SINGLE_1, 0, 4, 0.004f);
  context->showProcessingInfo.store(0);
  run();
  EXPECT_TRUE(events.pings.empty());
  EXPECT_FALSE(events.progress.empty());
  EXPECT_EQ(output().size(), 3600u + 5 * (240 + 8));
}

TEST_F(ConversionEngine, ProgressRisesToHundredInAtMost101Updates) {
  writeSurvey(pairAndSubbottom(), pings(1500, 3));
  open();
  choose(SINGLE_1, 0, 3, 0.003f);
  context->showProcessingInfo.store(0);
  run();
  const std::vector<Progress>& progress = events.progress;
  ASSERT_FALSE(progress.empty());
  EXPECT_LE(progress.size(), 101u);
  int previous = 0;
  for (const Progress& update : progress) {
    EXPECT_GT(update.percent, previous);
    EXPECT_EQ(static_cast<std::uint64_t>(update.percent), update.inputPosition * 100 / context->sonarFileSize);
    previous = update.percent;
  }
  EXPECT_EQ(progress.back().percent, 100);
  EXPECT_EQ(context->progressPercent, 100);
  EXPECT_EQ(context->sonarFilePosition, context->sonarFileSize);
}

TEST_F(ConversionEngine, ProgressOfAHundredMillionByteInput) {
  // Pings of about 100 KB, and a record of another type sized so that one
  // record ends at byte 50,000,000 and the file at 100,000,000.
  constexpr std::uint64_t HALF = 50000000;
  constexpr std::uint64_t WHOLE = 100000000;
  constexpr std::uint32_t SAMPLES = 50000;
  const vsk::FileSpec file = pairAndSubbottom();
  const vsk::Ping big = ping(1, {0}, SAMPLES);
  const std::uint64_t headerBytes = vsk::encodeFileHeader(file).size();
  const std::uint64_t pingBytes = vsk::encodePing(big).size();
  constexpr std::uint64_t OTHER_RECORD_START = 12;
  {
    vsk::Writer writer(sonarPath, file);
    std::uint64_t at = headerBytes;
    for (std::uint64_t end : {HALF, WHOLE}) {
      while (at + pingBytes + OTHER_RECORD_START + 100 <= end) {
        writer.writePing(big);
        at += pingBytes;
      }
      writer.writeOtherRecord(9, std::vector<std::uint8_t>(end - at - OTHER_RECORD_START, 0));
      at = end;
    }
    ASSERT_TRUE(writer.close());
  }
  ASSERT_EQ(std::filesystem::file_size(sonarPath), WHOLE);
  open();
  choose(SUBBOTTOM, 2, 10, 0.01f);  // not in the file: nothing but the reel header
  context->showProcessingInfo.store(0);
  run();
  const std::vector<Progress>& progress = events.progress;
  ASSERT_EQ(progress.size(), 100u);
  for (std::size_t i = 0; i < progress.size(); ++i) EXPECT_EQ(progress[i].percent, static_cast<int>(i) + 1);
  bool sawHalf = false;
  for (const Progress& update : progress) {
    if (update.inputPosition == HALF) {
      sawHalf = true;
      EXPECT_EQ(update.percent, 50);
    }
  }
  EXPECT_TRUE(sawHalf);
}

TEST_F(ConversionEngine, SelectionOutsideTheTableBeepsOncePerPing) {
  writeSurvey(pairAndSubbottom(), pings(4, 4));
  open();
  choose(13, 0, 4, 0.004f);
  run();
  EXPECT_EQ(events.valuesOutsideTable, 4);
  EXPECT_EQ(context->conversionOutcome, CONVERSION_NO_TRACES);
  EXPECT_TRUE(output().empty()) << "a run without a trace is a failed run";
}

TEST_F(ConversionEngine, SampleCountZeroGivesHeaderOnlyTraces) {
  writeSurvey(pairAndSubbottom(), pings(3, 4));
  open();
  choose(PAIR_1, 0, 0, 0.004f);
  run();
  EXPECT_EQ(output().size(), 3600u + 6 * 240);
}

TEST_F(ConversionEngine, SecondShorterRunCutsTheFile) {
  writeSurvey(pairAndSubbottom(), pings(5, 200));
  open();
  choose(PAIR_1, 0, 200, 0.02f);
  run();
  ASSERT_EQ(output().size(), 3600u + 10 * (240 + 400));

  choose(SUBBOTTOM, 2, 50, 0.02f);
  run();
  const std::vector<unsigned char> second = output();
  ASSERT_EQ(second.size(), 3600u + 5 * (240 + 100));
  EXPECT_EQ(sampleAt(second, 4, 50, 49), 5000 + 200 + 49);
  EXPECT_EQ(context->bytesWritten, second.size());
}

TEST_F(ConversionEngine, LargerSecondRunGrowsTheBuffer) {
  constexpr std::uint32_t LARGE = 600000;  // a trace larger than the buffer's usual size
  writeSurvey(pairAndSubbottom(), pings(2, LARGE, {0}));
  open();
  choose(SINGLE_1, 0, 100, 0.01f);
  run();
  const std::uint32_t usual = context->traceSamplesCapacity;
  EXPECT_GE(usual, 120u + 100u);
  EXPECT_LT(usual, 120u + LARGE);

  choose(SINGLE_1, 0, LARGE, 6.0f);
  run();
  const std::vector<unsigned char> file = output();
  ASSERT_EQ(file.size(), 3600u + 2 * (240 + 2 * LARGE));
  EXPECT_GE(context->traceSamplesCapacity, 120u + LARGE);
  EXPECT_EQ(sampleAt(file, 1, LARGE, LARGE - 1), static_cast<std::uint16_t>(2000 + LARGE - 1));
  const std::uint32_t grown = context->traceSamplesCapacity;

  choose(SINGLE_1, 0, 10, 0.001f);
  run();
  EXPECT_EQ(context->traceSamplesCapacity, grown);
  EXPECT_EQ(output().size(), 3600u + 2 * (240 + 20));
}

TEST_F(ConversionEngine, FailedWriteStopsTheRunAndEmptiesTheOutput) {
  constexpr int PINGS = 250;
  constexpr std::uint32_t SAMPLES = 3000;  // the traces of all pings do not fit one write
  writeSurvey(pairAndSubbottom(), pings(PINGS, SAMPLES));
  open();
  choose(PAIR_1, 0, SAMPLES, 0.3f);
  std::vector<DWORD> writes;
  bool failed = false;
  int writesAfterFailure = 0;
  constexpr std::size_t FAILING_WRITE = 2;  // after the reel header and one piece of traces
  constexpr DWORD GRANTED = 100;
  setWriteFaultHook([&](HANDLE, DWORD bytes) -> DWORD {
    if (failed) ++writesAfterFailure;
    writes.push_back(bytes);
    if (writes.size() - 1 != FAILING_WRITE) return bytes;
    failed = true;
    return GRANTED;
  });
  run();
  setWriteFaultHook({});
  ASSERT_EQ(writes.size(), FAILING_WRITE + 1);
  EXPECT_EQ(writes[0], 3600u);
  EXPECT_EQ(context->conversionOutcome, CONVERSION_WRITE_FAILED);
  EXPECT_EQ(context->conversionError, static_cast<long>(ERROR_DISK_FULL));
  EXPECT_EQ(writesAfterFailure, 0);
  EXPECT_LT(context->pingCount, static_cast<std::uint32_t>(PINGS));  // the run ended at the failure
  EXPECT_EQ(context->tracesWritten, writes[1] / (240 + 2 * SAMPLES));
  EXPECT_EQ(context->bytesWritten, 3600u + writes[1] + GRANTED);
  EXPECT_TRUE(output().empty());

  // The next run starts afresh.
  run();
  EXPECT_EQ(context->conversionOutcome, CONVERSION_OK);
  EXPECT_EQ(output().size(), 3600u + 2 * PINGS * (240 + 2 * SAMPLES));
  EXPECT_EQ(context->tracesWritten, 2u * PINGS);
}

TEST_F(ConversionEngine, FailedReelHeaderWriteWritesNoTrace) {
  writeSurvey(pairAndSubbottom(), pings(3, 10));
  open();
  choose(SINGLE_1, 0, 10, 0.01f);
  int writes = 0;
  setWriteFaultHook([&](HANDLE, DWORD) -> DWORD {
    ++writes;
    return 0;
  });
  run();
  setWriteFaultHook({});
  EXPECT_EQ(writes, 1);
  EXPECT_EQ(context->conversionOutcome, CONVERSION_WRITE_FAILED);
  EXPECT_EQ(context->tracesWritten, 0u);
  EXPECT_TRUE(output().empty());
}

TEST_F(ConversionEngine, ReaderErrorEndsTheRunAndEmptiesTheOutput) {
  {
    vsk::Writer writer(sonarPath, pairAndSubbottom());
    for (const vsk::Ping& p : pings(3, 10)) writer.writePing(p);
    writer.writeBytes(std::vector<std::uint8_t>(20, 0x77));  // no record marker
    ASSERT_TRUE(writer.close());
  }
  open();
  choose(SINGLE_1, 0, 10, 0.01f);
  run();
  EXPECT_EQ(context->conversionOutcome, CONVERSION_READ_FAILED);
  EXPECT_EQ(context->conversionError, VSK_ERROR_RECORD_MARKER);
  EXPECT_EQ(context->pingCount, 3u);
  EXPECT_TRUE(output().empty());
}

TEST_F(ConversionEngine, AnInputThatEndsElsewhereThanWhenItWasCheckedFailsTheRun) {
  {
    vsk::Writer writer(sonarPath, pairAndSubbottom());
    for (const vsk::Ping& p : pings(3, 10)) writer.writePing(p);
    ASSERT_TRUE(writer.close());
  }
  open();
  choose(SINGLE_1, 0, 10, 0.01f);
  const std::uint64_t checkedSize = context->sonarFileSize;
  for (const std::uint64_t sizeAtCheck : {checkedSize + 1, checkedSize - 1}) {
    context->sonarFileSize = sizeAtCheck;  // as if the file was cut or grew after the ping count
    run();
    EXPECT_EQ(context->conversionOutcome, CONVERSION_READ_FAILED);
    EXPECT_EQ(context->conversionError, VSK_END_OF_FILE);
    EXPECT_TRUE(output().empty());
  }
  context->sonarFileSize = checkedSize;
  run();
  EXPECT_EQ(context->conversionOutcome, CONVERSION_OK);
  EXPECT_FALSE(output().empty());
}

TEST_F(ConversionEngine, PingRecordShorterThanItsChannelsShowsNoData) {
  vsk::FileSpec file = pairAndSubbottom();
  std::vector<std::uint8_t> lying = vsk::encodePing(ping(1, {0, 1, 2}, 10));
  vsk::store32(lying.data() + vsk::PING_HEADER_BYTES + vsk::CHANNEL_SAMPLE_COUNT, 100000);
  {
    vsk::Writer writer(sonarPath, file);
    writer.writeBytes(lying);
    writer.writePing(ping(2, {0, 1, 2}, 10));
    ASSERT_TRUE(writer.close());
  }
  open();
  choose(SINGLE_1, 0, 10, 0.01f);
  run();
  const std::vector<unsigned char> out = output();
  ASSERT_EQ(out.size(), 3600u + 240 + 20);
  EXPECT_EQ(fieldRecordOf(out, 0, 10), 2u);
  EXPECT_EQ(events.pingsWithoutData, std::vector<std::uint32_t>{1});
}

TEST_F(ConversionEngine, SampleBufferThatCannotBeHadEndsTheRun) {
#ifdef _WIN32
  GTEST_SKIP() << "not run on Windows: limits the address space with setrlimit (sys/resource.h)";
#else
  if (SANITIZED) GTEST_SKIP() << "an address space limit does not work under a sanitizer";
  writeSurvey(pairAndSubbottom(), pings(2, 10));
  open();
  choose(SINGLE_1, 0, 0xFFFFFFF0u, 0.01f);  // 8 GB of samples per trace
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    rlimit limit{};
    limit.rlim_cur = limit.rlim_max = rlim_t{2} << 30;
    setrlimit(RLIMIT_AS, &limit);
    runConversion(context.get(), events);
    const bool emptied = readWholeFile(segyPath).empty();
    _exit(context->conversionOutcome == CONVERSION_OUT_OF_MEMORY && emptied && context->traceSamples == nullptr ? 0
                                                                                                                : 1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
#endif
}

}  // namespace
}  // namespace engine_test
