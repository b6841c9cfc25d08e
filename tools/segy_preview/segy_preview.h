// The quality-control picture of a SEG-Y file that this system wrote: the
// file is read back (so the picture also proves that it reads) and its
// picture (preview_picture.h) written as an 8-bit grey PNG. Any thread.
#pragma once

#include "tools/segy_preview/preview_picture.h"

#include <cstdint>
#include <string>

enum class PreviewStatus { Written, NoTraces, Failed };

struct Preview {
  PreviewStatus status = PreviewStatus::Failed;
  std::string problem;       // Failed: what went wrong, one line naming the file
  PictureGeometry geometry;  // Written
  std::uint64_t records = 0;
};

// Streams segyFile once, start to end; memory is bounded by the largest
// picture, whatever the file's size. The picture is written to pictureFile,
// created or emptied: the caller makes it a file of its own and puts it in
// place (veskconv-batch publishes it as it does the SEG-Y file). NoTraces,
// and Failed before the picture is formed, write nothing; a picture that
// cannot be written whole is removed again. Messages name the picture as
// pictureName (pictureFile when empty).
Preview writePreview(const std::string& segyFile, const std::string& pictureFile,
                     const std::string& pictureName = {});

// The picture's name for a SEG-Y file: its base name (up to its last
// period) with ".png", in `folder`, or beside the SEG-Y file when folder is
// empty.
std::string pictureNameFor(const std::string& segyFile, const std::string& folder);
