// The SEG-Y side fails: the disk fills during a conversion, the output folder
// is read-only. Each ends with one "ERROR" box naming the SEG-Y file, no
// SEG-Y file that looks complete, the VSK file untouched and a window that
// converts again.
#include "hardening_support.h"

#include "app/ui_texts.h"
#include "core/converter_context.h"
#include "platform/files.h"
#include "res/resource_ids.h"

#include <atomic>
#include <fstream>

namespace {

using hardening::fileBytes;
using hardening::formatted;
using hardening::segySize;

constexpr std::uint32_t SAMPLES = 2000;
constexpr int PINGS = 20;  // 3600 + 20 x 4240 bytes: more than the small disk holds
constexpr std::uint64_t SMALL_DISK_BYTES = 64 * 1024;
constexpr std::uint64_t ROOMY_DISK_BYTES = 1024 * 1024;
constexpr std::uint64_t SOME_TRACE_BYTES = 1000;

class OutputFaults : public hardening::HardeningTest {
 protected:
  // Converts pair 1 into segy and expects the run to fail on the write.
  void expectFailedWrite(const std::string& segy) {
    const std::string survey = acceptSurvey("line.vsk", SAMPLES, PINGS);
    const std::vector<unsigned char> surveyBytes = fileBytes(survey);
    chooseSegyFile(segy);
    ASSERT_EQ(context().segyFileReady, 1);
    click(IDC_PAIR_1);
    ui.clearRecords();
    click(IDC_PROCESS);
    expectOneErrorNaming(segy);
    ASSERT_FALSE(errorBoxes().empty());
    EXPECT_EQ(errorBoxes()[0].text, formatted(CONVERSION_WRITE_ERROR, segy));
    EXPECT_EQ(fileSize(segy), 0u) << "a SEG-Y file cut short must not look complete";
    EXPECT_EQ(fileBytes(survey), surveyBytes);
    expectUsable();
  }
};

// Lets `budget` bytes through in all, then writes short (the disk is full).
struct ByteBudget {
  std::atomic<std::uint64_t> left;
  explicit ByteBudget(std::uint64_t bytes) : left(bytes) {}
  DWORD operator()(HANDLE, DWORD requested) {
    const std::uint64_t now = left.load();
    const DWORD allowed = now < requested ? static_cast<DWORD>(now) : requested;
    left -= allowed;
    return allowed;
  }
};

TEST_F(OutputFaults, ADiskThatFillsDuringTheConversionEndsInAnEmptySegyFile) {
  start();
  std::string why;
  const std::string disk = mountedFolder("small-disk", SMALL_DISK_BYTES, &why);
  if (disk.empty()) GTEST_SKIP() << why << "; the injected write failure below covers a full disk";
  expectFailedWrite(disk + "/line.SEG");
  expectConvertsAgain(SAMPLES, PINGS);
}

TEST_F(OutputFaults, AWriteFailureAtAnyPointEndsInAnEmptySegyFile) {
  // The reel header itself, the first gathered traces, and late in the run.
  for (const std::uint64_t budget :
       {std::uint64_t{0}, REEL_HEADER_BYTES + SOME_TRACE_BYTES, segySize(2 * PINGS - 3, SAMPLES)}) {
    SCOPED_TRACE(budget);
    start();
    auto hook = std::make_shared<ByteBudget>(budget);
    setWriteFaultHook([hook](HANDLE file, DWORD bytes) { return (*hook)(file, bytes); });
    expectFailedWrite(path("line.SEG"));
    setWriteFaultHook({});
    expectConvertsAgain(SAMPLES, PINGS);
    quit();
  }
}

TEST_F(OutputFaults, AReadOnlyFolderRefusesTheSegyFileAndLeavesAnOldOneAsItWas) {
  start();
  const std::string survey = acceptSurvey("line.vsk", SAMPLES, PINGS);
  const std::vector<unsigned char> surveyBytes = fileBytes(survey);
  std::string why;
  std::string readOnly = mountedFolder("read-only", ROOMY_DISK_BYTES, &why);
  std::string oldSegy;
  if (!readOnly.empty()) {
    oldSegy = readOnly + "/old.SEG";
    std::ofstream(oldSegy, std::ios::binary) << "an earlier conversion";
    ASSERT_TRUE(hardening::remountReadOnly(readOnly, &why)) << why;
  } else {
    // Where no file system can be mounted, root still cannot create files in /proc.
    std::cout << "no read-only mount (" << why << "): using /proc, without an old file\n";
    readOnly = "/proc";
  }
  for (const std::string& segy : {readOnly + "/new.SEG", oldSegy}) {
    if (segy.empty()) continue;
    SCOPED_TRACE(segy);
    const std::vector<unsigned char> before = fileBytes(segy);
    ui.clearRecords();
    chooseSegyFile(segy);
    expectOneErrorNaming(segy);
    ASSERT_FALSE(errorBoxes().empty());
    EXPECT_EQ(errorBoxes()[0].text, formatted(SEGY_OPEN_ERROR, segy));
    EXPECT_EQ(context().segyFileReady, 0);
    EXPECT_EQ(fileBytes(segy), before);
    click(IDC_CHANNEL_1);
    ui.clearRecords();
    click(IDC_PROCESS);
    ASSERT_EQ(errorBoxes().size(), 1u);
    EXPECT_EQ(errorBoxes()[0].text, FILES_MISSING);
    expectUsable();
  }
  EXPECT_EQ(fileBytes(survey), surveyBytes);
  expectConvertsAgain(SAMPLES, PINGS);
}

}  // namespace
