// SPDX-License-Identifier: Zlib
// Decodes a PNG image held in memory into 8-bit RGBA pixels (rows top down),
// through libpng. Used for the texture pages of the game data; works on bytes
// only, so it can be tested and fuzzed on bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Largest page side accepted: bigger pages are not made by any of our tools
// and would only serve to exhaust memory.
constexpr int PNG_MAX_SIDE = 8192;
// deflate cannot expand data by more than about 1032 to 1, so a PNG of n bytes
// never holds more than n * 1032 bytes of pixels; a header that claims more is
// refused before any pixel memory is taken.
constexpr uint64_t PNG_DEFLATE_MAX_RATIO = 1032;

struct DecodedImage {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgba;  // width * height * 4
};

// `size` may run past the end of the PNG (the decoder stops at its last
// chunk). Returns false with a message in *error when the data is not a PNG,
// is damaged or truncated, or is larger than the limits above.
bool Png_DecodeRGBA(const uint8_t* data, size_t size, DecodedImage* image, std::string* error);
// Reads and checks only the header: the same refusals as above for anything
// the header shows; the pixel data is not looked at.
bool Png_ReadSize(const uint8_t* data, size_t size, int* width, int* height, std::string* error);
