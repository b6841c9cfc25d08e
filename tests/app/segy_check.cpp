#include "segy_check.h"

#include "survey_files.h"

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
    json << "{\"endian\": \"" << (expected.bigEndian ? "big" : "little")
         << "\", \"samples_per_trace\": " << expected.samplesPerTrace << ", \"traces\": [";
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

ExpectedSegy expectedSegy(bool bigEndian, std::uint32_t samples, int pings, const std::vector<TraceSource>& perPing,
                          bool eightBit) {
  ExpectedSegy expected;
  expected.bigEndian = bigEndian;
  expected.samplesPerTrace = samples;
  for (int ping = 0; ping < pings; ++ping) {
    for (const TraceSource& source : perPing) {
      std::vector<std::int16_t> trace(samples);
      for (std::uint32_t i = 0; i < samples; ++i) {
        const std::uint32_t from = source.reversed ? samples - 1 - i : i;
        std::uint16_t value = survey_files::sampleValue(ping, source.position, from);
        if (eightBit) value = static_cast<std::uint16_t>((value & 0xFF) << 7);
        trace[i] = static_cast<std::int16_t>(value);
      }
      expected.traces.push_back(std::move(trace));
    }
  }
  return expected;
}
