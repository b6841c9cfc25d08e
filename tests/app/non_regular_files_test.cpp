// Files that are no files (FIFOs, devices) chosen through the dialogs.
#include "program_test.h"

#include "core/converter_context.h"

#include <sys/stat.h>

#include <filesystem>

namespace {

using FileSelection = ProgramTest;

// Opening never blocks, and only regular files open.
TEST_F(FileSelection, FilesThatAreNoFilesCannotBeOpened) {
  start();
  const std::string fifo = path("line.vsk");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  chooseSonarFile(fifo);
  ASSERT_EQ(boxes().size(), 1u);
  EXPECT_EQ(boxes()[0].text, "Error opening file [" + fifo + "].\nCheck for IN USE state.");
  ASSERT_EQ(::mkfifo(path("out.SEG").c_str(), 0600), 0);
  for (const std::string& output : {path("out.SEG"), std::string("/dev/null")}) {
    ui.clearRecords();
    ui.setOverwriteAnswer(true);
    chooseSegyFile('"' + output + '"');  // in quotes: no default extension
    ASSERT_EQ(boxes().size(), 1u);
    EXPECT_EQ(boxes()[0].text, "Error opening file [" + output + "].\nCheck for WRITE PROTECT or IN USE state.");
  }
  EXPECT_TRUE(std::filesystem::is_fifo(path("out.SEG")));
  EXPECT_TRUE(std::filesystem::is_character_file("/dev/null"));
}

}  // namespace
