// Where a fuzz target puts the bytes it is given: a folder of its own under
// /dev/shm (memory, so a long run costs no disk), one per process, removed
// at exit. Any thread, one at a time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace fuzz {

// A path inside this process's scratch folder, created on first use.
std::string scratchPath(const std::string& name);

// Replaces the file with exactly these bytes; false when it could not.
bool writeBytes(const std::string& path, const std::uint8_t* data, std::size_t size);

// The whole file, or nothing when it cannot be read.
std::vector<std::uint8_t> readBytes(const std::string& path);

// -1 when the file is missing.
long long fileSize(const std::string& path);

// Ends the process the way a sanitizer does, so the fuzzer keeps the input.
[[noreturn]] void fail(const char* what);

}  // namespace fuzz
