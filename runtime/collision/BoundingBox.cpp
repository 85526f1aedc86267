// SPDX-License-Identifier: Zlib
// The instance's collision box: integer edges, inclusive, from the collision
// sprite's own box placed at the instance's position, scaled and turned.
// The arithmetic is single precision like the instance's fields: at right
// angles the cosine is a tiny non-zero number, and in single precision it
// vanishes against the position instead of pulling an edge one pixel over.
#include <algorithm>
#include <cmath>

#include "collision/SpriteMasks.h"
#include "data/GameData.h"
#include "object/Instance.h"

namespace {

// Edges stay one away from the ends of the int32 range, so right - 1 and
// right + 1 never overflow whatever a position or scale holds.
constexpr double EDGE_LIMIT = 2147483646.0;

int32_t ToEdge(double value) {
  if (!(value > -EDGE_LIMIT)) return static_cast<int32_t>(-EDGE_LIMIT);  // also NaN
  if (value > EDGE_LIMIT) return static_cast<int32_t>(EDGE_LIMIT);
  return static_cast<int32_t>(value);
}

int32_t FloorEdge(float value) { return ToEdge(std::floor(static_cast<double>(value))); }

// Pi in single precision, as every angle of the box arithmetic uses it.
constexpr float BOX_PI = 3.1415927f;

void AxisAlignedBox(CInstance* instance, const SpriteRecord& s) {
  const float sx = instance->imageXScale, sy = instance->imageYScale;
  const int32_t w = s.bboxRight - s.bboxLeft + 1;
  const int32_t h = s.bboxBottom - s.bboxTop + 1;
  int32_t left = FloorEdge(static_cast<float>(s.bboxLeft - s.originX) * sx + instance->x);
  int32_t right = FloorEdge(static_cast<float>(w) * sx + static_cast<float>(left));
  int32_t top = FloorEdge(static_cast<float>(s.bboxTop - s.originY) * sy + instance->y);
  int32_t bottom = FloorEdge(static_cast<float>(h) * sy + static_cast<float>(top));
  // Negative scales flip the sprite over its origin.
  if (left > right) std::swap(left, right);
  if (top > bottom) std::swap(top, bottom);
  instance->boxLeft = left;
  instance->boxTop = top;
  instance->boxRight = right - 1;
  instance->boxBottom = bottom - 1;
}

// The box around the sprite's box turned by the image angle: a positive
// angle turns anticlockwise on the screen (y grows downwards), so a local
// point (lx, ly) lands at (x + c lx + n ly, y - n lx + c ly).
void RotatedBox(CInstance* instance, const SpriteRecord& s) {
  const float sx = instance->imageXScale, sy = instance->imageYScale;
  const float theta = instance->imageAngle * BOX_PI / 180.0f;
  const float c = std::cos(theta), n = std::sin(theta);
  const float lx0 = static_cast<float>(s.bboxLeft - s.originX) * sx;
  const float lx1 = static_cast<float>(s.bboxRight - s.originX + 1) * sx;
  const float ly0 = static_cast<float>(s.bboxTop - s.originY) * sy;
  const float ly1 = static_cast<float>(s.bboxBottom - s.originY + 1) * sy;
  const float cxMin = std::min(c * lx0, c * lx1), cxMax = std::max(c * lx0, c * lx1);
  const float nyMin = std::min(n * ly0, n * ly1), nyMax = std::max(n * ly0, n * ly1);
  const float cyMin = std::min(c * ly0, c * ly1), cyMax = std::max(c * ly0, c * ly1);
  const float nxMin = std::min(n * lx0, n * lx1), nxMax = std::max(n * lx0, n * lx1);
  const float x = instance->x, y = instance->y;
  instance->boxLeft = FloorEdge(x + cxMin + nyMin);
  instance->boxRight = FloorEdge(x + cxMax + nyMax) - 1;
  instance->boxTop = FloorEdge(y + cyMin - nxMax);
  instance->boxBottom = FloorEdge(y + cyMax - nxMin) - 1;
}

}  // namespace

int Collision_SpriteIndex(const CInstance* instance) {
  return instance->maskIndex >= 0 ? instance->maskIndex : instance->spriteIndex;
}

const SpriteRecord* Collision_Sprite(const CInstance* instance) {
  return Collision_SpriteByIndex(Collision_SpriteIndex(instance));
}

void Collision_ComputeBox(CInstance* instance) {
  const SpriteRecord* sprite = Collision_Sprite(instance);
  if (!sprite) {
    // Nothing to collide with: a single point at the position.
    int32_t x = ToEdge(std::trunc(static_cast<double>(instance->x)));
    int32_t y = ToEdge(std::trunc(static_cast<double>(instance->y)));
    instance->boxLeft = instance->boxRight = x;
    instance->boxTop = instance->boxBottom = y;
    instance->precise = false;
  } else {
    if (instance->imageAngle == 0.0f)
      AxisAlignedBox(instance, *sprite);
    else
      RotatedBox(instance, *sprite);
    instance->precise = sprite->separateMasks;
  }
  instance->boxStale = false;
}

void Collision_UpdateBox(CInstance* instance) {
  if (instance->boxStale) Collision_ComputeBox(instance);
}
