// _splitpath is the C runtime's own on Windows: drive letters, both
// separators, server shares.
#include "platform/split_path.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct Parts {
  std::string drive, dir, name, ext;
  bool operator==(const Parts&) const = default;
};

Parts split(const char* path) {
  char drive[_MAX_DRIVE] = "x";
  char dir[_MAX_DIR] = "x";
  char name[_MAX_FNAME] = "x";
  char ext[_MAX_EXT] = "x";
  _splitpath(path, drive, dir, name, ext);
  return {drive, dir, name, ext};
}

TEST(RuntimeSplitPath, ADriveLetterIsTheDrive) {
  EXPECT_EQ(split("C:\\survey\\line7.vsk"), (Parts{"C:", "\\survey\\", "line7", ".vsk"}));
  EXPECT_EQ(split("D:line7.VSK"), (Parts{"D:", "", "line7", ".VSK"}));
}

TEST(RuntimeSplitPath, AServerShareIsPartOfTheDirectory) {
  EXPECT_EQ(split("\\\\server\\share\\l.vsk"), (Parts{"", "\\\\server\\share\\", "l", ".vsk"}));
}

TEST(RuntimeSplitPath, BothSeparatorsAndPeriodsInFolders) {
  EXPECT_EQ(split("C:/survey/day 3.d/line7.vsk"), (Parts{"C:", "/survey/day 3.d/", "line7", ".vsk"}));
  EXPECT_EQ(split("C:\\survey.d\\line7"), (Parts{"C:", "\\survey.d\\", "line7", ""}));
  EXPECT_EQ(split("C:\\survey\\a.b.vsk"), (Parts{"C:", "\\survey\\", "a.b", ".vsk"}));
}

}  // namespace
