// SPDX-License-Identifier: Zlib
#include "Image.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "PngFiles.h"

namespace pack {

bool Image_ReadPng(const std::string& path, Image* image, std::string* error) {
  media::RgbaImage read;
  if (!media::Png_Read(path, &read, error)) return false;
  image->width = read.width;
  image->height = read.height;
  image->rgba = std::move(read.rgba);
  return true;
}

bool Image_WritePng(const Image& image, std::vector<uint8_t>* out, std::string* error) {
  return media::Png_Encode(image.rgba.data(), image.width, image.height, out, error);
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
