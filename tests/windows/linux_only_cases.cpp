#include "linux_only_cases.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

struct LinuxOnlyCase {
  const char* suite;
  const char* name;  // "*" for every case of the suite
  const char* reason;
};

constexpr const char* SEGYIO_READBACK =
    "reads the SEG-Y file back with segyio, a Python module of the Linux host; batch_matches_linux compares the "
    "Windows output with the Linux build's byte for byte instead";

constexpr LinuxOnlyCase LINUX_ONLY_CASES[] = {
    {"WholeConversion", "*", SEGYIO_READBACK},
    {"Conversions/SegyReadback", "*", SEGYIO_READBACK},
    {"Conversion", "ARecordTheReaderRefusesDuringTheRunIsReported",
     "spoils the survey while the program holds it open, which share mode 0 refuses on Windows"},
    {"Settings", "AFileNameWithALineBreakIsSavedEmptyAndInjectsNothing",
     "makes a file whose name holds a line break, which no Windows file name can"},
};

bool matches(const LinuxOnlyCase& linuxOnly, const testing::TestInfo& test) {
  return std::string(linuxOnly.suite) == test.test_suite_name() &&
         (std::string(linuxOnly.name) == "*" || std::string(linuxOnly.name) == test.name());
}

}  // namespace

void leaveOutLinuxOnlyCases() {
  // Whole source files were left out of the build; the test says so here.
  if (const char* sources = std::getenv("VESK_LEFT_OUT_SOURCES")) std::printf("%s", sources);
  std::string leftOut;
  const testing::UnitTest& tests = *testing::UnitTest::GetInstance();
  for (const LinuxOnlyCase& linuxOnly : LINUX_ONLY_CASES) {
    for (int s = 0; s < tests.total_test_suite_count(); ++s) {
      const testing::TestSuite& suite = *tests.GetTestSuite(s);
      for (int t = 0; t < suite.total_test_count(); ++t) {
        const testing::TestInfo& test = *suite.GetTestInfo(t);
        if (!matches(linuxOnly, test)) continue;
        const std::string name = std::string(test.test_suite_name()) + "." + test.name();
        std::printf("[ SKIPPED  ] %s: not run on Windows: %s\n", name.c_str(), linuxOnly.reason);
        leftOut += (leftOut.empty() ? "" : ":") + name;
      }
    }
  }
  if (leftOut.empty()) return;
  const std::string filter = GTEST_FLAG_GET(filter);
  GTEST_FLAG_SET(filter, filter + (filter.find('-') == std::string::npos ? "-" : ":") + leftOut);
}
