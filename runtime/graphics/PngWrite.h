// SPDX-License-Identifier: Zlib
// Frames and pictures as PNG files (screenshots, test pictures).
#pragma once

#include <cstdint>
#include <vector>

// Writes width x height RGBA pixels (rows top down) as a PNG file.
bool Png_WriteRgba(const char* path, int width, int height, const uint8_t* rgba);
// A PNG file's bytes, in memory, compressed for speed (sprite sheets).
bool Png_EncodeRgba(int width, int height, const uint8_t* rgba, std::vector<uint8_t>* png);
