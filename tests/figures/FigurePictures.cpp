// SPDX-License-Identifier: Zlib
#include "FigurePictures.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <utility>

#include "data/PngDecode.h"

namespace figures {

bool Near(const uint8_t* a, const uint8_t* b, int tolerance) {
  for (int c = 0; c < 3; ++c)
    if (std::abs(int(a[c]) - int(b[c])) > tolerance) return false;
  return true;
}

Comparison Compare(const Picture& figure, const Picture& empty, const Picture& editor, int dx, int dy) {
  Comparison c;
  for (int y = 130; y < 766; ++y)
    for (int x = 193; x < 830; ++x) {
      if (Near(figure.At(x, y), empty.At(x, y), 40)) continue;
      int ex = x + dx, ey = y + dy;
      if (ex < 0 || ey < 0 || ex >= editor.width || ey >= editor.height) continue;
      ++c.compared;
      if (!Near(figure.At(x, y), editor.At(ex, ey), 40)) ++c.differing;
    }
  return c;
}

bool Decode(const std::string& path, Picture* picture, std::string* error) {
  std::string png = ReadFile(path);
  DecodedImage image;
  if (png.empty()) {
    *error = path + ": missing or empty";
    return false;
  }
  if (!Png_DecodeRGBA(reinterpret_cast<const uint8_t*>(png.data()), png.size(), &image, error)) return false;
  picture->width = image.width;
  picture->height = image.height;
  picture->rgba = std::move(image.rgba);
  return true;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

}  // namespace figures
