// vskgen: writes a synthetic VSK survey line. See --help.
#include "platform/program_version.h"
#include "tools/vskgen/survey_generator.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr int EXIT_USAGE = 2;
constexpr const char* PROGRAM_NAME = "vskgen";

const char HELP[] =
    "Usage: vskgen --output FILE [options]\n"
    "Writes a synthetic VSK survey line: the same options and seed give the same bytes.\n"
    "\n"
    "  -o, --output FILE        the file to write (required)\n"
    "  --seed N                 seed of every random choice (default 1)\n"
    "  --pings N                sonar pings to write (default 200)\n"
    "  --bytes SIZE             instead of --pings: write records while the file stays\n"
    "                           within SIZE bytes; K, M, G suffixes (1G = 1073741824)\n"
    "  --pairs F1,F2,...        port/starboard pairs at these frequencies in kHz\n"
    "                           (default 100,400; 'none' for no pairs)\n"
    "  --subbottom F            subbottom channel at F kHz (default 4)\n"
    "  --no-subbottom           no subbottom channel\n"
    "  --single KIND:F          an extra sonar channel; KIND is port, starboard,\n"
    "                           subbottom or other (an unrecognised type); repeatable\n"
    "  --bathymetry KIND:F      a bathymetry channel, as --single; repeatable\n"
    "  --samples N              nominal samples per channel (default 1500); pings vary\n"
    "                           around it, and some state 0 (the channel's default)\n"
    "  --bits 8|16              bits per sample (default 16)\n"
    "  --nav metres|degrees     easting/northing or latitude/longitude (default metres)\n"
    "  -h, --help               this text\n"
    "  --version                the program's version\n"
    "\n"
    "Sub-channels are numbered in this order: pairs (port, then starboard), subbottom,\n"
    "single channels, bathymetry channels; at most 8 in all.\n";

std::optional<std::uint64_t> parseNumber(const std::string& text) {
  if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos || text.size() > 19)
    return std::nullopt;
  return std::strtoull(text.c_str(), nullptr, 10);
}

std::optional<std::uint64_t> parseSize(std::string text) {
  std::uint64_t unit = 1;
  if (!text.empty()) {
    switch (text.back()) {
      case 'K':
      case 'k':
        unit = 1ull << 10;
        break;
      case 'M':
      case 'm':
        unit = 1ull << 20;
        break;
      case 'G':
      case 'g':
        unit = 1ull << 30;
        break;
      default:
        break;
    }
    if (unit != 1) text.pop_back();
  }
  const auto value = parseNumber(text);
  if (!value || *value > UINT64_MAX / unit) return std::nullopt;
  return *value * unit;
}

std::optional<float> parseFrequency(const std::string& text) {
  char* end = nullptr;
  const float value = std::strtof(text.c_str(), &end);
  if (text.empty() || end == nullptr || *end != '\0') return std::nullopt;
  return value;
}

std::optional<std::vector<float>> parseFrequencies(const std::string& text) {
  std::vector<float> list;
  if (text == "none") return list;
  std::size_t start = 0;
  while (start <= text.size()) {
    const std::size_t comma = std::min(text.find(',', start), text.size());
    const auto f = parseFrequency(text.substr(start, comma - start));
    if (!f) return std::nullopt;
    list.push_back(*f);
    start = comma + 1;
  }
  return list;
}

std::optional<vskgen::ChannelChoice> parseChoice(const std::string& text) {
  const std::size_t colon = text.find(':');
  if (colon == std::string::npos) return std::nullopt;
  const std::string kind = text.substr(0, colon);
  vskgen::ChannelChoice choice;
  if (kind == "port") choice.kind = vskgen::ChannelKind::Port;
  else if (kind == "starboard") choice.kind = vskgen::ChannelKind::Starboard;
  else if (kind == "subbottom") choice.kind = vskgen::ChannelKind::Subbottom;
  else if (kind == "other") choice.kind = vskgen::ChannelKind::Other;
  else return std::nullopt;
  const auto f = parseFrequency(text.substr(colon + 1));
  if (!f) return std::nullopt;
  choice.frequencyKHz = *f;
  return choice;
}

int usageError(const std::string& message) {
  std::fprintf(stderr, "%s: %s\n", PROGRAM_NAME, message.c_str());
  std::fprintf(stderr, TRY_HELP, PROGRAM_NAME);
  return EXIT_USAGE;
}

}  // namespace

int main(int argc, char** argv) {
  vskgen::SurveyOptions options;
  std::string output;
  for (int i = 1; i < argc; ++i) {
    const std::string option = argv[i];
    if (option == "-h" || option == "--help") {
      std::fputs(HELP, stdout);
      return EXIT_SUCCESS;
    }
    if (option == "--version") {
      std::printf(VERSION_TEXT, PROGRAM_NAME);
      return EXIT_SUCCESS;
    }
    if (option == "--no-subbottom") {
      options.subbottom = false;
      continue;
    }
    if (i + 1 >= argc) return usageError(option + " needs a value");
    const std::string value = argv[++i];
    const std::string bad = "bad value for " + option + ": " + value;
    if (option == "-o" || option == "--output") {
      output = value;
    } else if (option == "--seed") {
      const auto n = parseNumber(value);
      if (!n) return usageError(bad);
      options.seed = *n;
    } else if (option == "--pings") {
      const auto n = parseNumber(value);
      if (!n || *n == 0 || *n > UINT32_MAX) return usageError(bad);
      options.pingCount = static_cast<std::uint32_t>(*n);
    } else if (option == "--bytes") {
      const auto n = parseSize(value);
      if (!n || *n == 0) return usageError(bad);
      options.targetBytes = *n;
    } else if (option == "--pairs") {
      auto list = parseFrequencies(value);
      if (!list) return usageError(bad);
      options.pairFrequencies = *list;
    } else if (option == "--subbottom") {
      const auto f = parseFrequency(value);
      if (!f) return usageError(bad);
      options.subbottom = true;
      options.subbottomFrequency = *f;
    } else if (option == "--single" || option == "--bathymetry") {
      const auto choice = parseChoice(value);
      if (!choice) return usageError(bad);
      (option == "--single" ? options.singles : options.bathymetry).push_back(*choice);
    } else if (option == "--samples") {
      const auto n = parseNumber(value);
      if (!n || *n > UINT32_MAX) return usageError(bad);
      options.samplesPerChannel = static_cast<std::uint32_t>(*n);
    } else if (option == "--bits") {
      if (value != "8" && value != "16") return usageError(bad);
      options.bytesPerSample = value == "8" ? 1 : 2;
    } else if (option == "--nav") {
      if (value != "metres" && value != "degrees") return usageError(bad);
      options.degrees = value == "degrees";
    } else {
      return usageError("unknown option " + option);
    }
  }
  if (output.empty()) return usageError("no --output file given");
  if (const std::string problem = vskgen::checkOptions(options); !problem.empty()) return usageError(problem);
  if (const std::string failure = vskgen::writeSurvey(output, options); !failure.empty()) {
    std::fprintf(stderr, "%s: %s\n", PROGRAM_NAME, failure.c_str());
    return EXIT_FAILURE;
  }
  return EXIT_SUCCESS;
}
