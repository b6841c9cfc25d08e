#include "tools/veskconv_batch/batch_options.h"

#include "platform/path_queries.h"
#include "res/resource_ids.h"
#include "tools/veskconv_batch/batch_texts.h"
#include "tools/veskconv_batch/output_names.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <thread>

const char USAGE_TEXT[] =
    "Usage: veskconv-batch [options] INPUT.vsk...\n"
    "Converts VSK survey files to SEG-Y with the window's own logic, without a display.\n"
    "\n"
    "  -c, --channels SET        the channel set to convert (required): pair1 ... pair4,\n"
    "                            subbottom, ch1 ... ch8\n"
    "  -o, --output PATH         the output file for one input, or a folder for several\n"
    "                            (each output named as the input with the extension .SEG);\n"
    "                            default: beside each input\n"
    "      --byte-order ORDER    little (default) or big\n"
    "      --positions SOURCE    trace positions from the ship (default) or the sensor\n"
    "      --reverse             Reverse Samples Order (only with ch1 ... ch8)\n"
    "      --preview [DIR]       also write a picture of each SEG-Y file, a PNG named as it\n"
    "                            with the extension .png: beside it, or in DIR when DIR\n"
    "                            is an existing folder (--preview=DIR: always a folder)\n"
    "      --info                print each input's ping count, channel list and channel\n"
    "                            sets; convert nothing\n"
    "  -j, --jobs N              convert N inputs at once, each in a process of its own\n"
    "                            (default: the number of processor cores)\n"
    "  -h, --help                this text\n"
    "      --version             the program's version\n"
    "\n"
    "Every message the window would show goes to stderr as \"CAPTION: text\" (mostly\n"
    "\"ERROR: text\"), and the run goes on with the next input. Progress and a summary go\n"
    "to stderr. No settings file is read or written, and no input file is overwritten.\n"
    "Paths are taken as given. An output appears only once it is complete; an earlier\n"
    "file of its name keeps its bytes until then.\n"
    "\n"
    "Exit status: 0 when every input converted (with --preview: and got its picture or\n"
    "had no trace to show), 1 when any input was refused or failed, 2 for a usage error,\n"
    "128 + N when stopped by signal N (130 for Ctrl-C).\n";

namespace {

constexpr long MAX_JOBS = 256;
constexpr std::string_view PREVIEW_WITH_FOLDER = "--preview=";

const ChannelSet* channelSetNamed(const std::string& name) {
  for (const ChannelSet& set : channelSets()) {
    if (name == set.name) return &set;
  }
  return nullptr;
}

CommandLine usageError(std::string error) {
  CommandLine line;
  line.status = CommandLineStatus::UsageError;
  line.error = std::move(error);
  return line;
}

// "--name value", "--name=value" and "-x value"; nullopt when the argument is
// not this option.
struct OptionValue {
  bool matched = false;
  std::optional<std::string> value;  // nullopt when it is missing
};

OptionValue valueOf(const char* longName, const char* shortName, int argc, const char* const* argv, int* at) {
  const std::string argument = argv[*at];
  const std::string withEquals = std::string(longName) + "=";
  if (argument.compare(0, withEquals.size(), withEquals) == 0) return {true, argument.substr(withEquals.size())};
  // "-j2", "-cpair1": the value joined to a short option, as getopt takes it.
  if (shortName != nullptr && argument.size() > std::strlen(shortName) &&
      argument.compare(0, std::strlen(shortName), shortName) == 0) {
    return {true, argument.substr(std::strlen(shortName))};
  }
  if (argument != longName && (shortName == nullptr || argument != shortName)) return {};
  if (*at + 1 >= argc) return {true, std::nullopt};
  ++*at;
  return {true, std::string(argv[*at])};
}

}  // namespace

const std::vector<ChannelSet>& channelSets() {
  static const std::vector<ChannelSet> sets = {
      {"pair1", IDC_PAIR_1, false}, {"pair2", IDC_PAIR_2, false},        {"pair3", IDC_PAIR_3, false},
      {"pair4", IDC_PAIR_4, false}, {"subbottom", IDC_SUBBOTTOM, false}, {"ch1", IDC_CHANNEL_1, true},
      {"ch2", IDC_CHANNEL_2, true}, {"ch3", IDC_CHANNEL_3, true},        {"ch4", IDC_CHANNEL_4, true},
      {"ch5", IDC_CHANNEL_5, true}, {"ch6", IDC_CHANNEL_6, true},        {"ch7", IDC_CHANNEL_7, true},
      {"ch8", IDC_CHANNEL_8, true},
  };
  return sets;
}

CommandLine parseCommandLine(int argc, const char* const* argv) {
  CommandLine line;
  BatchOptions& options = line.options;
  options.jobs = static_cast<int>(std::clamp(std::thread::hardware_concurrency(), 1u, static_cast<unsigned>(MAX_JOBS)));
  bool optionsEnded = false;
  for (int at = 1; at < argc; ++at) {
    const std::string argument = argv[at];
    if (optionsEnded || argument.empty() || argument[0] != '-' || argument == "-") {
      options.inputs.push_back(argument);
      continue;
    }
    if (argument == "--") {
      optionsEnded = true;
    } else if (argument == "-h" || argument == "--help") {
      line.status = CommandLineStatus::Help;
      return line;
    } else if (argument == "--version") {
      line.status = CommandLineStatus::Version;
      return line;
    } else if (argument == "--reverse") {
      options.reverseSamples = true;
    } else if (argument == "--info") {
      options.info = true;
    } else if (argument == WORKER_OPTION) {
      options.worker = true;
    } else if (OptionValue jobs = valueOf("--jobs", "-j", argc, argv, &at); jobs.matched) {
      char* end = nullptr;
      const long count = jobs.value ? std::strtol(jobs.value->c_str(), &end, 10) : 0;
      if (!jobs.value || jobs.value->empty() || *end != '\0' || count < 1 || count > MAX_JOBS) {
        return usageError("--jobs takes a number from 1 to " + std::to_string(MAX_JOBS));
      }
      options.jobs = static_cast<int>(count);
    } else if (argument == "--preview") {
      options.preview = true;
      // An input is never a folder, so an existing folder here can only be
      // the pictures' folder.
      if (at + 1 < argc && pathIsFolder(argv[at + 1])) options.previewFolder = argv[++at];
    } else if (argument.compare(0, PREVIEW_WITH_FOLDER.size(), PREVIEW_WITH_FOLDER) == 0) {
      options.preview = true;
      options.previewFolder = argument.substr(PREVIEW_WITH_FOLDER.size());
      if (!pathIsFolder(options.previewFolder)) {
        return usageError("--preview=" + options.previewFolder + ": not an existing folder");
      }
    } else if (OptionValue channels = valueOf("--channels", "-c", argc, argv, &at); channels.matched) {
      if (!channels.value) return usageError(argument + " needs a channel set");
      options.channels = channelSetNamed(*channels.value);
      if (options.channels == nullptr) return usageError("unknown channel set '" + *channels.value + "'");
    } else if (OptionValue output = valueOf("--output", "-o", argc, argv, &at); output.matched) {
      if (!output.value || output.value->empty()) return usageError(argument + " needs a path");
      options.output = *output.value;
    } else if (OptionValue order = valueOf("--byte-order", nullptr, argc, argv, &at); order.matched) {
      if (order.value != "little" && order.value != "big") return usageError("--byte-order takes little or big");
      options.bigEndian = order.value == "big";
    } else if (OptionValue source = valueOf("--positions", nullptr, argc, argv, &at); source.matched) {
      if (source.value != "ship" && source.value != "sensor") return usageError("--positions takes ship or sensor");
      options.sensorPositions = source.value == "sensor";
    } else {
      return usageError("unknown option '" + argument + "'");
    }
  }
  if (options.worker) {
    if (options.channels == nullptr) return usageError("no channel set given (--channels)");
    line.status = CommandLineStatus::Run;
    return line;
  }
  if (options.inputs.empty()) return usageError("no input file given");
  if (!options.info && options.channels == nullptr) return usageError("no channel set given (--channels)");
  if (options.reverseSamples && options.channels != nullptr && !options.channels->single) {
    return usageError("--reverse applies only to a single channel (ch1 ... ch8)");
  }
  options.outputIsFolder = !options.output.empty() && pathIsFolder(options.output);
  if (!options.info && options.inputs.size() > 1 && !options.output.empty() && !options.outputIsFolder) {
    return usageError("--output must be an existing folder when several inputs are given");
  }
  line.status = CommandLineStatus::Run;
  return line;
}
