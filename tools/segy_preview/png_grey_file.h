// 8-bit grey pictures as PNG files, encoded by libpng. Any thread.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

// Writes width x height grey levels (row by row from the top, 0 black) to
// the open file. False with *problem (one line) when libpng refused.
bool writeGreyPng(std::FILE* file, std::uint32_t width, std::uint32_t height, const std::vector<std::uint8_t>& pixels,
                  std::string* problem);
