// SPDX-License-Identifier: Zlib
// PNG files for the tools, tests and benchmarks: reading any PNG as 8-bit
// RGBA rows and writing RGBA rows at the smallest size zlib can make (the
// content is written once and read at every start).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace media {

struct RgbaImage {
  int width = 0, height = 0;
  std::vector<uint8_t> rgba;  // rows top down, 4 bytes a pixel
};

bool Png_Read(const std::string& path, RgbaImage* image, std::string* error);
bool Png_Encode(const uint8_t* rgba, int width, int height, std::vector<uint8_t>* png, std::string* error);
bool Png_Write(const std::string& path, const uint8_t* rgba, int width, int height, std::string* error);

}  // namespace media
