// The quality-control picture of a SEG-Y file that this system wrote: the
// file is read back (so the picture also proves that it reads) and its
// picture (preview_picture.h) written as an 8-bit grey PNG. Any thread.
#pragma once

#include "tools/segy_preview/preview_picture.h"
#include "tools/segy_preview/replacing_file.h"

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
// picture, whatever the file's size. The picture replaces pictureFile whole
// or leaves it as it was (NoTraces and Failed write nothing); the caller
// makes sure that pictureFile is neither the SEG-Y file nor anything else
// that must be kept.
// watch hears of the picture's temporary file (replacing_file.h).
Preview writePreview(const std::string& segyFile, const std::string& pictureFile,
                     const ReplacingFile::TemporaryWatch& watch = {});

// The picture's name for a SEG-Y file: its base name (up to its last
// period) with ".png", in `folder`, or beside the SEG-Y file when folder is
// empty.
std::string pictureNameFor(const std::string& segyFile, const std::string& folder);
