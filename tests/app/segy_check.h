// Reads a SEG-Y file the program wrote back with segyio (check_segy.py, run
// by the Python that VESK_TEST_PYTHON names) and says what differs from the
// traces the test expects.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct ExpectedSegy {
  bool bigEndian = false;
  std::uint32_t samplesPerTrace = 0;
  std::vector<std::vector<std::int16_t>> traces;  // in file order
};

// Empty when segyio reads the file as expected; else its report. The
// expectation is written next to the SEG-Y file.
std::string segyioDifferences(const std::string& segyFile, const ExpectedSegy& expected);
