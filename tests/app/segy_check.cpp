#include "segy_check.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <fstream>

std::string segyioDifferences(const std::string& segyFile, const ExpectedSegy& expected) {
  const char* python = std::getenv("VESK_TEST_PYTHON");
  if (python == nullptr || *python == '\0') return "VESK_TEST_PYTHON is not set";
  const std::string expectationFile = segyFile + ".expected.json";
  {
    std::ofstream json(expectationFile);
    json << "{\"endian\": \"" << (expected.bigEndian ? "big" : "little") << "\", \"samples_per_trace\": "
         << expected.samplesPerTrace << ", \"traces\": [";
    for (std::size_t t = 0; t < expected.traces.size(); ++t) {
      json << (t == 0 ? "[" : ", [");
      for (std::size_t i = 0; i < expected.traces[t].size(); ++i) json << (i == 0 ? "" : ",") << expected.traces[t][i];
      json << "]";
    }
    json << "]}";
  }
  const std::string command =
      std::string(python) + " " + VESK_CHECK_SEGY_SCRIPT + " '" + segyFile + "' '" + expectationFile + "' 2>&1";
  std::FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) return "cannot run " + command;
  std::string report;
  std::array<char, 256> chunk{};
  while (std::fgets(chunk.data(), static_cast<int>(chunk.size()), pipe) != nullptr) report += chunk.data();
  const int status = ::pclose(pipe);
  if (status != 0 && report.empty()) report = "check_segy.py failed with status " + std::to_string(status);
  return status == 0 ? std::string() : report;
}
