#include "Image.h"

#include <png.h>

#include <algorithm>
#include <cstring>

namespace pack {

bool Image_ReadPng(const std::string& path, Image* image, std::string* error) {
  png_image png{};
  png.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&png, path.c_str())) {
    *error = path + ": " + png.message;
    return false;
  }
  png.format = PNG_FORMAT_RGBA;
  image->width = static_cast<int>(png.width);
  image->height = static_cast<int>(png.height);
  image->rgba.assign(PNG_IMAGE_SIZE(png), 0);
  if (!png_image_finish_read(&png, nullptr, image->rgba.data(), 0, nullptr)) {
    *error = path + ": " + png.message;
    return false;
  }
  return true;
}

bool Image_WritePng(const Image& image, std::vector<uint8_t>* out, std::string* error) {
  png_image png{};
  png.version = PNG_IMAGE_VERSION;
  png.width = static_cast<png_uint_32>(image.width);
  png.height = static_cast<png_uint_32>(image.height);
  png.format = PNG_FORMAT_RGBA;
  png_alloc_size_t size = 0;
  if (!png_image_write_get_memory_size(png, size, 0, image.rgba.data(), 0, nullptr)) {
    *error = std::string("PNG encoding: ") + png.message;
    return false;
  }
  out->resize(size);
  if (!png_image_write_to_memory(&png, out->data(), &size, 0, image.rgba.data(), 0, nullptr)) {
    *error = std::string("PNG encoding: ") + png.message;
    return false;
  }
  out->resize(size);
  return true;
}

Rect Image_OpaqueBounds(const Image& image) {
  int left = image.width, top = image.height, right = -1, bottom = -1;
  for (int y = 0; y < image.height; ++y)
    for (int x = 0; x < image.width; ++x)
      if (image.Alpha(x, y) > 0) {
        left = std::min(left, x);
        right = std::max(right, x);
        top = std::min(top, y);
        bottom = std::max(bottom, y);
      }
  if (right < 0) return Rect{0, 0, 1, 1};
  return Rect{left, top, right - left + 1, bottom - top + 1};
}

void Image_Blit(const Image& src, const Rect& region, Image* dst, int dx, int dy) {
  for (int y = 0; y < region.h; ++y)
    std::memcpy(&dst->rgba[(static_cast<size_t>(dy + y) * dst->width + dx) * 4],
                &src.rgba[(static_cast<size_t>(region.y + y) * src.width + region.x) * 4],
                static_cast<size_t>(region.w) * 4);
}

}  // namespace pack
