// SPDX-License-Identifier: Zlib
#include "ShelfPacker.h"

#include <algorithm>
#include <numeric>

namespace pack {

bool Shelf_Pack(std::vector<PackBox>* boxes, int side, int gap) {
  std::vector<size_t> order(boxes->size());
  std::iota(order.begin(), order.end(), 0);
  // Tallest first; ties by width, then by original position so the result
  // does not depend on the sort's stability.
  std::sort(order.begin(), order.end(), [&](size_t a, size_t b) {
    const PackBox &A = (*boxes)[a], &B = (*boxes)[b];
    if (A.h != B.h) return A.h > B.h;
    if (A.w != B.w) return A.w > B.w;
    return a < b;
  });
  int x = 0, y = 0, shelfHeight = 0;
  for (size_t index : order) {
    PackBox& box = (*boxes)[index];
    if (box.w > side || box.h > side) return false;
    if (x + box.w > side) {
      x = 0;
      y += shelfHeight + gap;
      shelfHeight = 0;
    }
    if (y + box.h > side) return false;
    box.x = x;
    box.y = y;
    x += box.w + gap;
    shelfHeight = std::max(shelfHeight, box.h);
  }
  return true;
}

}  // namespace pack
