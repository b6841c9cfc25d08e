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

// Where a trace's samples come from: a table position of the ping, reversed
// or not.
struct TraceSource {
  int position;
  bool reversed;
};

// What survey_files::writeSurvey's pings give, one trace per source per ping
// (eightBit: the survey's samples were stored as 8-bit and come back x 128).
ExpectedSegy expectedSegy(bool bigEndian, std::uint32_t samples, int pings, const std::vector<TraceSource>& perPing,
                          bool eightBit = false);

// Empty when segyio reads the file as expected; else its report. The
// expectation is written next to the SEG-Y file.
std::string segyioDifferences(const std::string& segyFile, const ExpectedSegy& expected);
