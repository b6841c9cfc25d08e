#include "app/program.h"
#include "platform/program_entry.h"
#include "platform/program_version.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr const char* PROGRAM_NAME = "veskconv";
constexpr const char* HELP =
    "Usage: veskconv [OPTION]...\n"
    "Opens the VESKCONV window, which converts one channel or one port/starboard pair of a\n"
    "VSK sonar survey into a SEG-Y file (veskconv-batch does the same from scripts).\n"
    "\n"
    "  -h, --help     this text\n"
    "      --version  the program's version\n"
    "\n"
    "On Linux the options of Qt (-display, -platform, ...) are taken as well.\n";

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

int WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
  if (startProgram(instance, showCommand) == nullptr) return 0;
  const int exitCode = runMessageLoop();
  endProgram(instance);
  return exitCode;
}
