// SPDX-License-Identifier: Zlib
// Places rectangles on one square page in shelves: tallest first, left to
// right, a new shelf below the tallest of the row when a rectangle no longer
// fits. Simple, deterministic, and good enough for one page of sprite frames.
#pragma once

#include <vector>

namespace pack {

struct PackBox {
  int w = 0, h = 0;   // size to place
  int x = -1, y = -1;  // placed position
};

// Places every box on a side x side page with `gap` transparent pixels
// between boxes; false when they do not all fit.
bool Shelf_Pack(std::vector<PackBox>* boxes, int side, int gap);

}  // namespace pack
