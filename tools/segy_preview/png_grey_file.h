// 8-bit grey pictures as PNG files, encoded by libpng (png_grey_file.cpp) or,
// on Windows, by Windows Imaging Component (png_grey_file_win32.cpp): the
// same grey levels either way. Any thread.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

// Writes width x height grey levels (row by row from the top, 0 black) to
// the open file. False with *problem (one line) when the encoder refused.
bool writeGreyPng(std::FILE* file, std::uint32_t width, std::uint32_t height, const std::vector<std::uint8_t>& pixels,
                  std::string* problem);
