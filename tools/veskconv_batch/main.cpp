// veskconv-batch: converts VSK files to SEG-Y from scripts, running the
// window's own logic on the headless front end. See USAGE_TEXT.
#include "platform/program_version.h"
#include "tools/veskconv_batch/batch_options.h"
#include "tools/veskconv_batch/batch_run.h"
#include "tools/veskconv_batch/batch_texts.h"

#include <cstdio>

int main(int argc, char** argv) {
  const CommandLine line = parseCommandLine(argc, argv);
  switch (line.status) {
    case CommandLineStatus::Help:
      std::fputs(USAGE_TEXT, stdout);
      return EXIT_ALL_CONVERTED;
    case CommandLineStatus::Version:
      std::printf(VERSION_TEXT, PROGRAM_TAG);
      return EXIT_ALL_CONVERTED;
    case CommandLineStatus::UsageError:
      std::fprintf(stderr, "%s: %s\n", PROGRAM_TAG, line.error.c_str());
      std::fprintf(stderr, TRY_HELP, PROGRAM_TAG);
      return EXIT_USAGE;
    case CommandLineStatus::Run:
      break;
  }
  return runBatch(line.options);
}
