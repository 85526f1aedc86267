// SPDX-License-Identifier: Zlib
// RGBA images for the packer: reading art PNGs, cropping to the visible
// pixels, and writing the finished page as PNG (libpng's simplified API).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace pack {

struct Image {
  int width = 0, height = 0;
  std::vector<uint8_t> rgba;  // rows top down
  uint8_t Alpha(int x, int y) const { return rgba[(static_cast<size_t>(y) * width + x) * 4 + 3]; }
};

bool Image_ReadPng(const std::string& path, Image* image, std::string* error);
bool Image_WritePng(const Image& image, std::vector<uint8_t>* png, std::string* error);

// The smallest rectangle holding every pixel with alpha > 0; a fully clear
// image gives its top-left pixel, so every frame keeps a region.
struct Rect {
  int x = 0, y = 0, w = 0, h = 0;
};
Rect Image_OpaqueBounds(const Image& image);

// Copies a region of src into dst at (dx, dy).
void Image_Blit(const Image& src, const Rect& region, Image* dst, int dx, int dy);

}  // namespace pack
