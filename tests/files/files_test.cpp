#include "platform/files.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

class FileServices : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("vesk-files-" + std::to_string(::getpid()) + "-" +
                                        ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir_);
  }
  void TearDown() override {
    setWriteFaultHook({});
    fs::remove_all(dir_);
  }
  std::string path(const char* name) const { return (dir_ / name).string(); }
  static void writeText(const std::string& p, const std::string& text) { std::ofstream(p, std::ios::binary) << text; }
  static std::uintmax_t sizeOf(const std::string& p) { return fs::file_size(p); }

  fs::path dir_;
};

HANDLE openRead(const std::string& p) {
  return CreateFileA(p.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}
HANDLE createWrite(const std::string& p) {
  return CreateFileA(p.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
}

TEST_F(FileServices, OpenSurveyCannotBeChosenAsOutputAndStaysIntact) {
  const std::string survey = path("line7.vsk");
  writeText(survey, "VSK survey bytes");
  HANDLE in = openRead(survey);
  ASSERT_NE(in, INVALID_HANDLE_VALUE);

  EXPECT_EQ(createWrite(survey), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
  EXPECT_EQ(sizeOf(survey), 16u);
  EXPECT_EQ(openRead(survey), INVALID_HANDLE_VALUE) << "share mode 0 refuses a second reader too";

  // The same inode under another name is the same file.
  const std::string alias = path("alias.vsk");
  fs::create_hard_link(survey, alias);
  EXPECT_EQ(createWrite(alias), INVALID_HANDLE_VALUE);
  EXPECT_EQ(sizeOf(survey), 16u);

  EXPECT_TRUE(CloseHandle(in));
  HANDLE again = openRead(survey);
  EXPECT_NE(again, INVALID_HANDLE_VALUE) << "closing releases the file";
  CloseHandle(again);
}

TEST_F(FileServices, AnotherProcessCannotOpenAFileWeHold) {
  const std::string survey = path("held.vsk");
  writeText(survey, "0123456789");
  HANDLE in = openRead(survey);
  ASSERT_NE(in, INVALID_HANDLE_VALUE);
  const pid_t child = ::fork();
  if (child == 0) {
    // A fresh open in another process: must fail and must not truncate.
    HANDLE out = createWrite(survey);
    ::_exit(out == INVALID_HANDLE_VALUE && GetLastError() == ERROR_SHARING_VIOLATION ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_EQ(sizeOf(survey), 10u);
  CloseHandle(in);
}

TEST_F(FileServices, OpenErrorsAreReported) {
  EXPECT_EQ(openRead(path("missing.vsk")), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(openRead(dir_.string()), INVALID_HANDLE_VALUE) << "a folder is not a survey";
  EXPECT_EQ(createWrite(path("no/such/folder/out.SEG")), INVALID_HANDLE_VALUE);
  EXPECT_EQ(CreateFileA("", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr), INVALID_HANDLE_VALUE);
}

TEST_F(FileServices, CreateAlwaysEmptiesAnExistingFile) {
  const std::string out = path("out.SEG");
  writeText(out, "old contents");
  HANDLE h = createWrite(out);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_EQ(sizeOf(out), 0u);
  CloseHandle(h);
}

TEST_F(FileServices, ReadWriteSeekAndCut) {
  const std::string out = path("data.bin");
  HANDLE h = CreateFileA(out.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  DWORD done = 0;
  ASSERT_TRUE(WriteFile(h, "abcdefgh", 8, &done, nullptr));
  EXPECT_EQ(done, 8u);
  EXPECT_EQ(SetFilePointer(h, 0, nullptr, FILE_CURRENT), 8u);
  EXPECT_EQ(SetFilePointer(h, -3, nullptr, FILE_CURRENT), 5u) << "a distance without high part is signed";
  EXPECT_TRUE(SetEndOfFile(h));
  EXPECT_EQ(GetFileSize(h, nullptr), 5u);

  EXPECT_EQ(SetFilePointer(h, 1, nullptr, FILE_BEGIN), 1u);
  char buffer[16] = {};
  ASSERT_TRUE(ReadFile(h, buffer, sizeof buffer, &done, nullptr));
  EXPECT_EQ(done, 4u) << "reading past the end succeeds with fewer bytes";
  EXPECT_EQ(std::string(buffer, done), "bcde");
  ASSERT_TRUE(ReadFile(h, buffer, sizeof buffer, &done, nullptr));
  EXPECT_EQ(done, 0u);
  CloseHandle(h);
}

TEST_F(FileServices, PositionsBeyondFourGigabytesUseTheHighPart) {
  const std::string big = path("sparse.bin");
  HANDLE h = CreateFileA(big.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  LONG high = 1;
  EXPECT_EQ(SetFilePointer(h, 16, &high, FILE_BEGIN), 16u);
  EXPECT_EQ(high, 1);
  DWORD done = 0;
  if (!WriteFile(h, "x", 1, &done, nullptr)) {
    CloseHandle(h);
    GTEST_SKIP() << "this file system holds no sparse 4 GiB file";
  }
  EXPECT_EQ(filePosition64(h), (1ull << 32) + 17);
  DWORD sizeHigh = 0;
  EXPECT_EQ(GetFileSize(h, &sizeHigh), 17u);
  EXPECT_EQ(sizeHigh, 1u);
  EXPECT_EQ(fileSize64(h), (1ull << 32) + 17);
  CloseHandle(h);
}

TEST_F(FileServices, InjectedShortWriteFailsAsDiskFull) {
  const std::string out = path("full.SEG");
  HANDLE h = createWrite(out);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  setWriteFaultHook([](HANDLE, DWORD requested) { return requested / 2; });
  DWORD done = 0;
  EXPECT_FALSE(WriteFile(h, "12345678", 8, &done, nullptr));
  EXPECT_EQ(done, 4u);
  EXPECT_EQ(GetLastError(), ERROR_DISK_FULL);
  setWriteFaultHook({});
  EXPECT_TRUE(WriteFile(h, "9", 1, &done, nullptr));
  CloseHandle(h);
  EXPECT_EQ(sizeOf(out), 5u);
}

TEST_F(FileServices, BogusHandlesFailCleanly) {
  DWORD done = 7;
  char c = 0;
  EXPECT_FALSE(ReadFile(INVALID_HANDLE_VALUE, &c, 1, &done, nullptr));
  EXPECT_EQ(done, 0u);
  EXPECT_FALSE(WriteFile(nullptr, &c, 1, &done, nullptr));
  EXPECT_EQ(SetFilePointer(INVALID_HANDLE_VALUE, 0, nullptr, FILE_BEGIN), INVALID_SET_FILE_POINTER);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  EXPECT_FALSE(CloseHandle(INVALID_HANDLE_VALUE));
}

}  // namespace
