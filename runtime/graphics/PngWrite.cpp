// SPDX-License-Identifier: Zlib
#include "graphics/PngWrite.h"

#include <png.h>

#include <cstring>

bool Png_WriteRgba(const char* path, int width, int height, const uint8_t* rgba) {
  if (!path || !rgba || width <= 0 || height <= 0) return false;
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(width);
  image.height = static_cast<png_uint_32>(height);
  image.format = PNG_FORMAT_RGBA;
  bool ok = png_image_write_to_file(&image, path, 0, rgba, 0, nullptr) != 0;
  png_image_free(&image);
  return ok;
}
