// 64-bit positions on either system: SetFilePointer's high part and
// GetFileSize's, beyond 4 GiB (a sparse file, so it costs no disk).
#include "platform/files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace {

constexpr std::uint64_t FOUR_GIB = std::uint64_t{1} << 32;

TEST(FilePositions, BeyondFourGiBTheHighPartsCarryThePosition) {
  const std::filesystem::path file = std::filesystem::temp_directory_path() / "veskconv-positions.bin";
  HANDLE handle = CreateFileA(file.string().c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(handle, INVALID_HANDLE_VALUE);
  LONG high = 1;
  EXPECT_EQ(SetFilePointer(handle, 16, &high, FILE_BEGIN), 16u);
  EXPECT_EQ(high, 1);
  const char marker[] = "VSK";
  DWORD written = 0;
  if (!WriteFile(handle, marker, sizeof marker, &written, nullptr)) {
    CloseHandle(handle);
    GTEST_SKIP() << "this file system holds no sparse 4 GiB file";
  }
  EXPECT_EQ(filePosition64(handle), FOUR_GIB + 16 + sizeof marker);
  DWORD sizeHigh = 0;
  EXPECT_EQ(GetFileSize(handle, &sizeHigh), 16 + sizeof marker);
  EXPECT_EQ(sizeHigh, 1u);
  EXPECT_EQ(fileSize64(handle), FOUR_GIB + 16 + sizeof marker);

  high = 1;
  SetFilePointer(handle, 16, &high, FILE_BEGIN);
  char back[sizeof marker] = {};
  DWORD read = 0;
  ASSERT_TRUE(ReadFile(handle, back, sizeof back, &read, nullptr));
  EXPECT_STREQ(back, marker);
  EXPECT_EQ(SetFilePointer(handle, -4, nullptr, FILE_CURRENT), 16u) << "a plain distance is signed";
  CloseHandle(handle);
  std::filesystem::remove(file);
}

}  // namespace
