// SPDX-License-Identifier: Zlib
// The point test of one instance and position_meeting over the instances a
// target names.
//
// Finding the candidates is a plain walk of the target's active instances:
// the rooms this runtime runs hold a few dozen instances, and the walk gives
// exactly the hits an index over the boxes would.
#include <cmath>
#include <cstdint>

#include "code/CompiledCode.h"
#include "collision/SpriteMasks.h"
#include "data/GameData.h"
#include "object/Instance.h"
#include "object/InstanceFunctions.h"
#include "value/ArgReaders.h"

namespace {

// Below this the angle counts as 0 and the point is only scaled back.
constexpr float ANGLE_EPSILON = 0.0001f;
constexpr float TEST_PI = 3.1415927f;

// floor or trunc of a real into an int, saturating (NaN gives the low end),
// so a far-away point or an absurd scale is a plain miss, never overflow.
int32_t SaturateToInt(double value) {
  if (!(value > -2147483648.0)) return INT32_MIN;
  if (value >= 2147483647.0) return INT32_MAX;
  return static_cast<int32_t>(value);
}

// The mask lookup of a precise sprite: the point goes back through the
// instance's angle and scales into the frame's pixels. Single precision, as
// the box: at right angles the cosine term then leaves whole pixels whole.
bool MaskHit(const CInstance* instance, const SpriteRecord& sprite, const SpriteMasks& masks, double px,
             double py) {
  const int count = static_cast<int>(masks.masks.size());
  int frame = SaturateToInt(std::trunc(static_cast<double>(instance->imageIndex))) % count;
  if (frame < 0) frame += count;

  const float dx = static_cast<float>(std::floor(px) - std::floor(static_cast<double>(instance->x)));
  const float dy = static_cast<float>(std::floor(py) - std::floor(static_cast<double>(instance->y)));
  const float sx = instance->imageXScale, sy = instance->imageYScale;
  const float ox = static_cast<float>(sprite.originX), oy = static_cast<float>(sprite.originY);
  float u, v;
  if (std::fabs(instance->imageAngle) < ANGLE_EPSILON) {
    u = dx / sx + ox;
    v = dy / sy + oy;
  } else {
    const float b = instance->imageAngle * -TEST_PI / 180.0f;
    const float sb = std::sin(b), cb = std::cos(b);
    u = (dy * sb + dx * cb) / sx + ox;
    v = (dy * cb - dx * sb) / sy + oy;
  }
  const int32_t column = SaturateToInt(std::floor(static_cast<double>(u)));
  const int32_t row = SaturateToInt(std::floor(static_cast<double>(v)));
  if (column < 0 || column >= masks.width || row < 0 || row >= masks.height) return false;
  return masks.masks[frame][static_cast<size_t>(row) * masks.width + column] != 0;
}

void F_PositionMeeting(DynValue& result, CInstance* self, CInstance* other, int, DynValue* args) {
  double x = ZuGetReal(args, 0);
  double y = ZuGetReal(args, 1);
  int target = ZuGetInt32(args, 2);
  bool hit = Collision_PositionMeeting(self, other, x, y, target);
  DynValue_Free(&result);
  result = DynValue_MakeBool(hit);
}

// bbox_* read the box as it stands after any pending recomputation.
template <int32_t CInstance::*Edge>
bool GetBoxEdge(CInstance* self, int32_t, DynValue* result) {
  if (!self) return false;
  Collision_UpdateBox(self);
  DynValue_SetReal(result, self->*Edge);
  return true;
}

}  // namespace

bool Collision_PointTest(CInstance* instance, double px, double py, bool precise) {
  Collision_UpdateBox(instance);
  // The box's right and bottom edges are inclusive: a point is inside up to,
  // not including, the next whole column or row.
  if (px >= static_cast<double>(instance->boxRight) + 1.0 || px < instance->boxLeft ||
      py >= static_cast<double>(instance->boxBottom) + 1.0 || py < instance->boxTop)
    return false;
  const int spriteIndex = Collision_SpriteIndex(instance);
  const SpriteRecord* sprite = Collision_SpriteByIndex(spriteIndex);
  if (!sprite || sprite->frameCount <= 0) return false;
  if (!instance->precise || !precise) return true;
  const SpriteMasks& masks = Collision_Masks(spriteIndex, *sprite);
  if (masks.masks.empty()) return true;
  return MaskHit(instance, *sprite, masks, px, py);
}

bool Collision_PositionMeeting(CInstance* self, CInstance* other, double x, double y, int target) {
  const double px = std::trunc(x), py = std::trunc(y);
  std::vector<CInstance*>& candidates = Collision_State().candidates;
  candidates.clear();
  Instance_CollectTargets(target, self, other, candidates);  // active instances only
  for (CInstance* instance : candidates)
    if (Collision_PointTest(instance, px, py, true)) return true;
  return false;
}

void Collision_RegisterBuiltins() { Function_Add("position_meeting", F_PositionMeeting, 3, true); }

void Collision_RegisterBuiltinVariables() {
  Variable_Register("bbox_left", GetBoxEdge<&CInstance::boxLeft>, nullptr);
  Variable_Register("bbox_top", GetBoxEdge<&CInstance::boxTop>, nullptr);
  Variable_Register("bbox_right", GetBoxEdge<&CInstance::boxRight>, nullptr);
  Variable_Register("bbox_bottom", GetBoxEdge<&CInstance::boxBottom>, nullptr);
  Collision_RegisterSpriteVariables();
}
