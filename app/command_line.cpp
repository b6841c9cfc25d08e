// The window program's command line: --help and --version, answered before
// any display is needed, then the one survey it may name.
#include "platform/program_entry.h"
#include "platform/program_version.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

constexpr const char* PROGRAM_NAME = "veskconv";
constexpr const char* HELP =
    "Usage: veskconv [OPTION]... [FILE]\n"
    "Opens the VESKCONV window, which converts one channel or one port/starboard pair of a\n"
    "VSK sonar survey into a SEG-Y file (veskconv-batch does the same from scripts).\n"
    "A FILE given here, or dropped onto the window, is taken as if BROWSE had chosen it.\n"
    "\n"
    "  -h, --help     this text\n"
    "      --version  the program's version\n"
    "\n"
    "On Linux the options of Qt (-display, -platform, ...) are taken as well.\n";

int usageError(const std::string& reason) {
  std::fprintf(stderr, "%s: %s\nTry '%s --help' for more information.\n", PROGRAM_NAME, reason.c_str(), PROGRAM_NAME);
  return 2;
}

}  // namespace

int answerHelpOrVersion(int argc, const char* const* argv) {
  for (int at = 1; at < argc && std::strcmp(argv[at], "--") != 0; ++at) {
    if (std::strcmp(argv[at], "-h") == 0 || std::strcmp(argv[at], "--help") == 0) {
      std::fputs(HELP, stdout);
      return 0;
    }
    if (std::strcmp(argv[at], "--version") == 0) {
      std::printf(VERSION_TEXT, PROGRAM_NAME);
      return 0;
    }
  }
  return -1;
}

int findSurveyArgument(int argc, const char* const* argv, int* surveyIndex) {
  *surveyIndex = 0;
  bool optionsEnded = false;
  for (int at = 1; at < argc; ++at) {
    if (!optionsEnded && std::strcmp(argv[at], "--") == 0) {
      optionsEnded = true;
    } else if (!optionsEnded && argv[at][0] == '-' && argv[at][1] != '\0') {
      return usageError("unknown option '" + std::string(argv[at]) + "'");
    } else if (*surveyIndex != 0) {
      return usageError("one FILE at most, '" + std::string(argv[at]) + "' is a second");
    } else {
      *surveyIndex = at;
    }
  }
  return -1;
}
