// The quality-control picture of a SEG-Y file that this system wrote: the
// file is read back (so the picture also proves that it reads) and its
// picture (preview_picture.h) written as an 8-bit grey PNG. Any thread.
#pragma once

#include "tools/segy_preview/preview_picture.h"

#include <cstdint>
#include <cstdio>
#include <string>

enum class PreviewStatus { Written, NoTraces, Failed };

struct Preview {
  PreviewStatus status = PreviewStatus::Failed;
  std::string problem;       // Failed: what went wrong, one line naming the file
  PictureGeometry geometry;  // Written
  std::uint64_t records = 0;
};

// Streams segyFile once, start to end; memory is bounded by the largest
// picture, whatever the file's size. The picture is written to `picture`,
// open for writing and left open: the caller made the file and puts it in
// place or removes it (veskconv-batch publishes it as it does the SEG-Y
// file). Messages name it as pictureName.
Preview writePreview(const std::string& segyFile, std::FILE* picture, const std::string& pictureName);
// The same into pictureFile, created or emptied, and removed again unless a
// picture was written whole.
Preview writePreview(const std::string& segyFile, const std::string& pictureFile);

// The picture's name for a SEG-Y file: its base name (up to its last
// period) with ".png", in `folder`, or beside the SEG-Y file when folder is
// empty.
std::string pictureNameFor(const std::string& segyFile, const std::string& folder);
