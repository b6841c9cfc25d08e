#include "fuzz/scratch_files.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>
#include <unistd.h>

namespace fuzz {

namespace {

// /dev/shm where there is one, else the temporary folder.
std::filesystem::path scratchRoot() {
  std::error_code error;
  const std::filesystem::path memory = "/dev/shm";
  return std::filesystem::is_directory(memory, error) ? memory : std::filesystem::temp_directory_path();
}

struct ScratchFolder {
  std::filesystem::path path;
  ScratchFolder() : path(scratchRoot() / ("veskconv-fuzz-" + std::to_string(::getpid()))) {
    std::filesystem::create_directories(path);
  }
  ~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
  }
};

}  // namespace

std::string scratchPath(const std::string& name) {
  static const ScratchFolder folder;
  return (folder.path / name).string();
}

bool writeBytes(const std::string& path, const std::uint8_t* data, std::size_t size) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  const bool written = size == 0 || std::fwrite(data, 1, size, file) == size;
  return std::fclose(file) == 0 && written;
}

std::vector<std::uint8_t> readBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

long long fileSize(const std::string& path) {
  std::error_code error;
  const auto size = std::filesystem::file_size(path, error);
  return error ? -1 : static_cast<long long>(size);
}

void fail(const char* what) {
  std::fprintf(stderr, "fuzz invariant broken: %s\n", what);
  std::abort();
}

}  // namespace fuzz
