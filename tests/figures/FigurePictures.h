// SPDX-License-Identifier: Zlib
// Figures drawn by their Draw events, held against the editor's pictures of
// the same frames: window-sized RGBA pictures, read from PNG files, and the
// comparison of the pixels a figure covers. The sample figures' test and the
// exported object's test share these.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace figures {

struct Picture {
  int width = 0, height = 0;
  std::vector<uint8_t> rgba;
  const uint8_t* At(int x, int y) const { return &rgba[(static_cast<size_t>(y) * width + x) * 4]; }
};

// Each of red, green and blue within tolerance.
bool Near(const uint8_t* a, const uint8_t* b, int tolerance);

struct Comparison {
  size_t compared = 0;   // pixels the figure covers
  size_t differing = 0;  // ... that the editor shows otherwise
};

// Compares the figure (drawn alone over `empty`) with the editor's picture,
// within the editor's canvas, where the figure covers the background; the
// figure moved by (dx, dy). The editor's own marks (crosshair, canvas
// outline) lie behind the figure, so only the pixels it covers count.
Comparison Compare(const Picture& figure, const Picture& empty, const Picture& editor, int dx, int dy);

// A PNG file as a picture; false with *error when it is missing or unreadable.
bool Decode(const std::string& path, Picture* picture, std::string* error);

// A whole file's bytes; "" when it cannot be read.
std::string ReadFile(const std::string& path);

}  // namespace figures
