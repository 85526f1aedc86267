// SPDX-License-Identifier: Zlib
// A 5 by 7 pixel font for the labels painted into buttons and panels. Each
// glyph is drawn as whole font pixels scaled by an integer, so labels stay
// crisp at the button sizes.
#pragma once

#include <string_view>

#include "raster.h"

namespace artgen {

inline constexpr int kGlyphW = 5, kGlyphH = 7;

// Width in pixels of `text` at `scale` (one font pixel of spacing between letters).
int textWidth(std::string_view text, int scale);

// Mask of `text` with its top-left corner at (x, y). Letters without a glyph
// draw nothing but keep their place.
Mask textMask(int width, int height, std::string_view text, double x, double y, int scale);

}  // namespace artgen
