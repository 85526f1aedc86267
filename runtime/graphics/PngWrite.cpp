// SPDX-License-Identifier: Zlib
#include "graphics/PngWrite.h"

#include <png.h>

#include <cstring>

namespace {

// The description of width x height RGBA pixels for the simplified writer.
png_image RgbaImage(int width, int height) {
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(width);
  image.height = static_cast<png_uint_32>(height);
  image.format = PNG_FORMAT_RGBA;
  return image;
}

}  // namespace

bool Png_WriteRgba(const char* path, int width, int height, const uint8_t* rgba) {
  if (!path || !rgba || width <= 0 || height <= 0) return false;
  png_image image = RgbaImage(width, height);
  bool ok = png_image_write_to_file(&image, path, 0, rgba, 0, nullptr) != 0;
  png_image_free(&image);
  return ok;
}

bool Png_EncodeRgba(int width, int height, const uint8_t* rgba, std::vector<uint8_t>* png) {
  if (!rgba || !png || width <= 0 || height <= 0) return false;
  png_image image = RgbaImage(width, height);
  // Sheets are large and mostly transparent: speed over the last percent of size.
  image.flags |= PNG_IMAGE_FLAG_FAST;
  // The first call asks for the size, the second writes.
  png_alloc_size_t size = 0;
  bool ok = png_image_write_to_memory(&image, nullptr, &size, 0, rgba, 0, nullptr) != 0;
  if (ok) {
    png->resize(size);
    ok = png_image_write_to_memory(&image, png->data(), &size, 0, rgba, 0, nullptr) != 0;
    png->resize(ok ? size : 0);
  }
  png_image_free(&image);
  return ok;
}
