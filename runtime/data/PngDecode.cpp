// SPDX-License-Identifier: Zlib
// libpng's simplified reading interface does the work: it reads from memory,
// converts any colour type and bit depth to RGBA8, and reports failures with a
// message instead of long-jumping through our frames.
#include "data/PngDecode.h"

#include <png.h>

namespace {

// Starts reading and checks the header; on success the caller must finish
// the read or free the image.
bool BeginRead(const uint8_t* data, size_t size, png_image* png, std::string* error) {
  *png = png_image{};
  png->version = PNG_IMAGE_VERSION;
  if (!data || size < 8 || png_sig_cmp(data, 0, 8) != 0) {
    *error = "not a PNG image";
    return false;
  }
  if (!png_image_begin_read_from_memory(png, data, size)) {
    *error = std::string("PNG header: ") + png->message;
    return false;
  }
  if (png->width == 0 || png->height == 0 || png->width > static_cast<png_uint_32>(PNG_MAX_SIDE) ||
      png->height > static_cast<png_uint_32>(PNG_MAX_SIDE)) {
    *error = "PNG size " + std::to_string(png->width) + " x " + std::to_string(png->height) + " is out of range";
    png_image_free(png);
    return false;
  }
  const uint64_t bytes = static_cast<uint64_t>(png->width) * png->height * 4;
  if (bytes / PNG_DEFLATE_MAX_RATIO > size) {
    *error = "PNG claims more pixels than its data can hold";
    png_image_free(png);
    return false;
  }
  png->format = PNG_FORMAT_RGBA;
  return true;
}

}  // namespace

bool Png_ReadSize(const uint8_t* data, size_t size, int* width, int* height, std::string* error) {
  png_image png;
  if (!BeginRead(data, size, &png, error)) return false;
  *width = static_cast<int>(png.width);
  *height = static_cast<int>(png.height);
  png_image_free(&png);
  return true;
}

bool Png_DecodeRGBA(const uint8_t* data, size_t size, DecodedImage* image, std::string* error) {
  png_image png;
  if (!BeginRead(data, size, &png, error)) return false;
  std::vector<uint8_t> pixels(PNG_IMAGE_SIZE(png));
  if (!png_image_finish_read(&png, nullptr, pixels.data(), 0, nullptr)) {
    *error = std::string("PNG data: ") + png.message;
    return false;  // finish_read frees the image on failure
  }
  image->width = static_cast<int>(png.width);
  image->height = static_cast<int>(png.height);
  image->rgba = std::move(pixels);
  return true;
}
