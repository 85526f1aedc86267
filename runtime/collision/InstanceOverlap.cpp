// SPDX-License-Identifier: Zlib
// Whether two instances overlap: their boxes first, then, when either sprite
// is precise, the pixels the two boxes share.
#include <cstdint>

#include "collision/SpriteMasks.h"
#include "data/GameData.h"
#include "object/Instance.h"

namespace {

// A rectangle of whole pixels, edges inclusive. 64-bit so that walking up to
// an edge near the end of the int32 range cannot overflow.
struct PixelRect {
  int64_t left, top, right, bottom;
};

bool HasFrames(const CInstance* instance) {
  const SpriteRecord* sprite = Collision_Sprite(instance);
  return sprite && sprite->frameCount > 0;
}

// The pixels both boxes cover; false when they share none.
bool BoxIntersection(const CInstance* a, const CInstance* b, PixelRect* shared) {
  shared->left = a->boxLeft > b->boxLeft ? a->boxLeft : b->boxLeft;
  shared->top = a->boxTop > b->boxTop ? a->boxTop : b->boxTop;
  shared->right = a->boxRight < b->boxRight ? a->boxRight : b->boxRight;
  shared->bottom = a->boxBottom < b->boxBottom ? a->boxBottom : b->boxBottom;
  return shared->left <= shared->right && shared->top <= shared->bottom;
}

// Whether the instance covers a pixel of its own box: everywhere for a sprite
// that is not precise, else where the point test finds its mask solid.
bool CoversPixel(CInstance* instance, int64_t px, int64_t py) {
  return !instance->precise ||
         Collision_PointTest(instance, static_cast<double>(px), static_cast<double>(py), true);
}

bool SomePixelCoveredByBoth(CInstance* a, CInstance* b, const PixelRect& shared) {
  for (int64_t py = shared.top; py <= shared.bottom; ++py)
    for (int64_t px = shared.left; px <= shared.right; ++px)
      if (CoversPixel(a, px, py) && CoversPixel(b, px, py)) return true;
  return false;
}

}  // namespace

bool Collision_InstancesOverlap(CInstance* a, CInstance* b) {
  if (!HasFrames(a) || !HasFrames(b)) return false;
  Collision_UpdateBox(a);
  Collision_UpdateBox(b);
  PixelRect shared;
  if (!BoxIntersection(a, b, &shared)) return false;
  if (!a->precise && !b->precise) return true;
  return SomePixelCoveredByBoth(a, b, shared);
}
