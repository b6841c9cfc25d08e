#include "platform/split_path.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct Parts {
  std::string drive, dir, name, ext;
};

Parts split(const char* path) {
  char drive[_MAX_DRIVE] = "x";
  char dir[_MAX_DIR] = "x";
  char name[_MAX_FNAME] = "x";
  char ext[_MAX_EXT] = "x";
  _splitpath(path, drive, dir, name, ext);
  return {drive, dir, name, ext};
}

void expectParts(const char* path, const char* dir, const char* name, const char* ext) {
  SCOPED_TRACE(path);
  Parts const parts = split(path);
  EXPECT_EQ(parts.drive, "");
  EXPECT_EQ(parts.dir, dir);
  EXPECT_EQ(parts.name, name);
  EXPECT_EQ(parts.ext, ext);
}

TEST(SplitPath, SplitsAtTheLastSeparatorAndTheLastPeriod) {
  expectParts("/data/survey/line7.vsk", "/data/survey/", "line7", ".vsk");
  expectParts("line7.VSK", "", "line7", ".VSK");
  expectParts("/data/a.b.vsk", "/data/", "a.b", ".vsk");
  expectParts("/data.d/line7", "/data.d/", "line7", "");
  expectParts("rel/dir//x.seg", "rel/dir//", "x", ".seg");
}

TEST(SplitPath, PeriodsAtTheEdgesOfTheName) {
  expectParts("/home/u/.hidden", "/home/u/", "", ".hidden");
  expectParts("/home/u/name.", "/home/u/", "name", ".");
  expectParts("/data/survey/", "/data/survey/", "", "");
  expectParts("/", "/", "", "");
  expectParts("", "", "", "");
}

TEST(SplitPath, BackslashIsAnOrdinaryCharacter) {
  expectParts("D:\\survey\\line7.vsk", "", "D:\\survey\\line7", ".vsk");
}

TEST(SplitPath, NullOutputsAreSkipped) {
  char name[_MAX_FNAME] = "x";
  _splitpath("/a/b/line7.vsk", nullptr, nullptr, name, nullptr);
  EXPECT_STREQ(name, "line7");
  _splitpath(nullptr, nullptr, nullptr, name, nullptr);
  EXPECT_STREQ(name, "");
}

TEST(SplitPath, LongPartsAreCutAndTerminated) {
  std::string const longDir = "/" + std::string(400, 'd') + "/";
  std::string const longName = std::string(300, 'n');
  std::string const longExt = "." + std::string(300, 'e');
  std::string const path = longDir + longName + longExt;

  // Each buffer has a guard byte after it that must stay untouched.
  char dir[_MAX_DIR + 1];
  char name[_MAX_FNAME + 1];
  char ext[_MAX_EXT + 1];
  dir[_MAX_DIR] = name[_MAX_FNAME] = ext[_MAX_EXT] = '#';
  _splitpath(path.c_str(), nullptr, dir, name, ext);

  EXPECT_EQ(std::string(dir), longDir.substr(0, _MAX_DIR - 1));
  EXPECT_EQ(std::string(name), longName.substr(0, _MAX_FNAME - 1));
  EXPECT_EQ(std::string(ext), longExt.substr(0, _MAX_EXT - 1));
  EXPECT_EQ(dir[_MAX_DIR], '#');
  EXPECT_EQ(name[_MAX_FNAME], '#');
  EXPECT_EQ(ext[_MAX_EXT], '#');
}

}  // namespace
