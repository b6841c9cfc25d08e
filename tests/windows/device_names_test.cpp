// Names of devices are refused before anything opens them, as input and as
// output; a file beside them still opens.
#include "platform/files.h"
#include "platform/kernel32_files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace {

TEST(DeviceNames, AreRefusedAsNotAFileForReadingAndWriting) {
  for (const char* name :
       {"NUL", "nul", "CON", "COM1", "LPT1", "\\\\.\\C:", "\\\\.\\PhysicalDrive0", "\\\\.\\pipe\\veskconv-test"}) {
    SCOPED_TRACE(name);
    EXPECT_TRUE(kernel32::namesDevice(name));  // known before any open
    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(CreateFileA(name, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_BAD_FILE_TYPE);
    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(CreateFileA(name, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_BAD_FILE_TYPE);
  }
}

TEST(DeviceNames, FilesWhoseNamesOnlyLookLikeDevicesAreFiles) {
  const std::filesystem::path folder = std::filesystem::temp_directory_path() / "veskconv-devices";
  std::filesystem::create_directories(folder);
  // A folder path on a drive, and a name that merely starts with a device's.
  for (const std::string name : {"CONSOLE.SEG", "nullish.SEG"}) {
    SCOPED_TRACE(name);
    const std::string path = (folder / name).string();
    EXPECT_FALSE(kernel32::namesDevice(path.c_str()));
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << GetLastError();
    EXPECT_TRUE(CloseHandle(file));
  }
  std::filesystem::remove_all(folder);
}

}  // namespace
