#include "decode_png.h"

#include <png.h>

bool decodePng(const std::string& file, DecodedPicture* picture) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (png_image_begin_read_from_file(&image, file.c_str()) == 0) return false;
  image.format = PNG_FORMAT_GRAY;
  picture->width = image.width;
  picture->height = image.height;
  picture->grey.assign(PNG_IMAGE_SIZE(image), 0);
  if (png_image_finish_read(&image, nullptr, picture->grey.data(), 0, nullptr) == 0) {
    png_image_free(&image);
    return false;
  }
  return true;
}
