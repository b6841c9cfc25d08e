#include "platform/files.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
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

// Runs attempt in a child process that an alarm ends after a few seconds, so
// an open that blocks fails the test instead of hanging it.
bool inChildWithinSeconds(const std::function<bool()>& attempt) {
  const pid_t child = ::fork();
  if (child == 0) {
    ::alarm(5);
    ::_exit(attempt() ? 0 : 1);
  }
  int status = 0;
  if (::waitpid(child, &status, 0) != child) return false;
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

TEST_F(FileServices, OnlyRegularFilesOpenAndNothingBlocks) {
  const std::string fifo = path("line.vsk");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const std::string socketPath = path("socket.vsk");
  const int listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strncpy(address.sun_path, socketPath.c_str(), sizeof address.sun_path - 1);
  ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);

  const auto refused = [](HANDLE h, DWORD error) { return h == INVALID_HANDLE_VALUE && GetLastError() == error; };
  for (const std::string& name : {fifo, socketPath, std::string("/dev/null"), std::string("/dev/zero")}) {
    EXPECT_TRUE(inChildWithinSeconds([&] { return refused(openRead(name), ERROR_BAD_FILE_TYPE); })) << name;
    EXPECT_TRUE(inChildWithinSeconds([&] { return refused(createWrite(name), ERROR_BAD_FILE_TYPE); })) << name;
  }
  // A FIFO with both ends open elsewhere would not block: it is refused all the same.
  const int bothEnds = ::open(fifo.c_str(), O_RDWR | O_NONBLOCK);
  ASSERT_GE(bothEnds, 0);
  EXPECT_TRUE(refused(openRead(fifo), ERROR_BAD_FILE_TYPE));
  EXPECT_TRUE(refused(createWrite(fifo), ERROR_BAD_FILE_TYPE));
  ::close(bothEnds);
  ::close(listener);
  EXPECT_TRUE(fs::is_fifo(fifo)) << "a refused output is not replaced";
}

TEST_F(FileServices, ASurveyOpenForWritingElsewhereIsInUse) {
  const std::string survey = path("line7.vsk");
  writeText(survey, "still being recorded");
  // Another program's descriptor: no flock of ours on it.
  const int recorder = ::open(survey.c_str(), O_WRONLY | O_APPEND);
  ASSERT_GE(recorder, 0);
  EXPECT_EQ(openRead(survey), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
  ::close(recorder);

  const int viewer = ::open(survey.c_str(), O_RDONLY);
  HANDLE in = openRead(survey);
  EXPECT_NE(in, INVALID_HANDLE_VALUE) << "another reader does not stop reading";
  CloseHandle(in);
  ::close(viewer);
}

TEST_F(FileServices, AnOutputOpenElsewhereIsInUseAndKeepsItsBytes) {
  const std::string out = path("line7.SEG");
  writeText(out, "a finished SEG-Y file");
  const int viewer = ::open(out.c_str(), O_RDONLY);
  ASSERT_GE(viewer, 0);
  EXPECT_EQ(createWrite(out), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
  EXPECT_EQ(sizeOf(out), 21u);
  ::close(viewer);
  HANDLE h = createWrite(out);
  EXPECT_NE(h, INVALID_HANDLE_VALUE);
  CloseHandle(h);
  EXPECT_EQ(sizeOf(out), 0u);
}

TEST_F(FileServices, WithoutALeaseOnlyOurOwnOpenersAreSeen) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to act as a user without CAP_LEASE";
  const std::string survey = path("others.vsk");
  writeText(survey, "owned by root");
  ::chmod(survey.c_str(), 0666);
  ::chmod(dir_.c_str(), 0777);
  const int recorder = ::open(survey.c_str(), O_WRONLY | O_APPEND);
  ASSERT_GE(recorder, 0);
  // Another user may not take a lease on root's file: the open falls back
  // to the share lock alone, and the writer elsewhere goes unseen.
  EXPECT_TRUE(inChildWithinSeconds([&] {
    if (::setgid(65534) != 0 || ::setuid(65534) != 0) return false;
    HANDLE in = openRead(survey);
    return in != INVALID_HANDLE_VALUE;
  }));
  ::close(recorder);
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

TEST_F(FileServices, WritingBehindChangesNoByteAlsoWhenAFileIsRewritten) {
  const std::string out = path("behind.SEG");
  HANDLE h = createWrite(out);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  setWriteBehind(true);
  // Pieces past several write-behind steps, then the start written again.
  std::vector<char> piece(1 << 20);
  DWORD done = 0;
  for (int i = 0; i < 20; ++i) {
    std::fill(piece.begin(), piece.end(), static_cast<char>('a' + i));
    ASSERT_TRUE(WriteFile(h, piece.data(), static_cast<DWORD>(piece.size()), &done, nullptr));
  }
  ASSERT_EQ(SetFilePointer(h, 0, nullptr, FILE_BEGIN), 0u);
  std::fill(piece.begin(), piece.end(), 'Z');
  ASSERT_TRUE(WriteFile(h, piece.data(), static_cast<DWORD>(piece.size()), &done, nullptr));
  setWriteBehind(false);
  EXPECT_TRUE(CloseHandle(h));
  std::ifstream in(out, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ASSERT_EQ(bytes.size(), 20u << 20);
  EXPECT_EQ(bytes.find_first_not_of('Z'), std::size_t{1} << 20);
  EXPECT_EQ(bytes[(19u << 20) + 5], 'a' + 19);
  EXPECT_EQ(bytes.find_first_not_of('j', 9u << 20), std::size_t{10} << 20);
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
