// Fuzz target: the SEG-Y reader and the picture on arbitrary bytes taken as
// a SEG-Y file. A picture that is written decodes (libpng's reader) to the
// size it was given, within the largest picture; a file that gets no
// picture leaves none, and nothing half-written stays behind either way.
#include "fuzz/scratch_files.h"
#include "tools/segy_preview/segy_preview.h"

#include <png.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace {

bool decodesAs(const std::string& file, const PictureGeometry& geometry) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (png_image_begin_read_from_file(&image, file.c_str()) == 0) return false;
  image.format = PNG_FORMAT_GRAY;
  std::vector<std::uint8_t> grey(PNG_IMAGE_SIZE(image));
  const bool sized = image.width == geometry.width && image.height == geometry.height;
  if (png_image_finish_read(&image, nullptr, grey.data(), 0, nullptr) == 0) {
    png_image_free(&image);
    return false;
  }
  return sized;
}

bool onlyTheseFiles(const std::string& segy, const std::string& picture) {
  for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::path(segy).parent_path())) {
    if (entry.path() != segy && entry.path() != picture) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string segy = fuzz::scratchPath("line.SEG");
  const std::string picture = fuzz::scratchPath("line.png");
  std::filesystem::remove(picture);
  if (!fuzz::writeBytes(segy, data, size)) fuzz::fail("the scratch file could not be written");
  const Preview preview = writePreview(segy, picture);
  const bool written = std::filesystem::exists(picture);
  switch (preview.status) {
    case PreviewStatus::Written:
      if (!written || preview.records == 0) fuzz::fail("a written picture is missing or shows nothing");
      if (preview.geometry.width > MAX_PICTURE_WIDTH || preview.geometry.height > MAX_PICTURE_HEIGHT) {
        fuzz::fail("the picture is larger than the largest");
      }
      if (!decodesAs(picture, preview.geometry)) fuzz::fail("the picture does not decode to its size");
      break;
    case PreviewStatus::NoTraces:
    case PreviewStatus::Failed:
      if (written) fuzz::fail("a file without a picture left one");
      if ((preview.status == PreviewStatus::Failed) == preview.problem.empty()) {
        fuzz::fail("a failure without its reason, or a reason without a failure");
      }
      break;
  }
  if (!onlyTheseFiles(segy, picture)) fuzz::fail("a temporary file stayed behind");
  return 0;
}
