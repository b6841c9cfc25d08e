// PNG files decoded again by a decoder of the system's, not by code of ours:
// libpng's reader on Linux (decode_png_posix.cpp), Windows Imaging Component
// on Windows (decode_png_win32.cpp). Kept apart from the window fixture's
// headers, which cannot meet <windows.h>.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct DecodedPicture {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  std::vector<std::uint8_t> grey;  // row by row from the top
  std::uint8_t at(std::uint32_t column, std::uint32_t row) const { return grey[std::size_t{row} * width + column]; }
};

// Decodes a PNG file as 8-bit grey; false when the decoder cannot read it.
bool decodePng(const std::string& file, DecodedPicture* picture);
