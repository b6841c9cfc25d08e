// A fresh folder per test for the VSK files it writes, and the handful of
// file operations the reader tests need around it.
#pragma once

#include "platform/files.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

class TempSurveyDir : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir_ = std::filesystem::temp_directory_path() /
           ("vsktools-" + std::to_string(::getpid()) + "-" + info->test_suite_name() + "-" + info->name());
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override {
    for (HANDLE handle : open_) CloseHandle(handle);
    std::filesystem::remove_all(dir_);
  }

  std::string path(const std::string& name) const { return (dir_ / name).string(); }

  std::string writeFile(const std::string& name, const std::vector<std::uint8_t>& bytes) const {
    const std::string p = path(name);
    std::ofstream(p, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return p;
  }

  // Opened for reading like the program opens a survey; closed at the end of the test.
  HANDLE open(const std::string& p) {
    HANDLE handle = CreateFileA(p.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_NE(handle, INVALID_HANDLE_VALUE) << p;
    if (handle != INVALID_HANDLE_VALUE) open_.push_back(handle);
    return handle;
  }

  void close(HANDLE handle) {
    std::erase(open_, handle);
    CloseHandle(handle);
  }

  std::filesystem::path dir_;
  std::vector<HANDLE> open_;
};

inline std::vector<std::uint8_t> concat(std::initializer_list<std::vector<std::uint8_t>> parts) {
  std::vector<std::uint8_t> all;
  for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}
