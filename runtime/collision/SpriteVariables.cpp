// SPDX-License-Identifier: Zlib
// The built-in variables that describe an instance's sprite.
#include "code/CompiledCode.h"
#include "collision/Collision.h"
#include "collision/SpriteMasks.h"
#include "data/GameData.h"
#include "object/Instance.h"

namespace {

bool ReturnReal(DynValue* result, double value) {
  DynValue_SetReal(result, value);
  return true;
}

// The variables of the instance's sprite (sprite_index), read-only. The
// record is the one the collision boxes use (the game data, or a test's own
// sprites), so they agree with the instance's box. Without a
// sprite every one reads 0.
//   image_number: the sprite's frame count;
//   sprite_width, sprite_height: the sprite's size times image_xscale and
//     image_yscale, the size the instance is drawn at (negative when mirrored);
//   sprite_xoffset, sprite_yoffset: the sprite's origin, in the sprite's own
//     pixels.
const SpriteRecord* OwnSprite(const CInstance* self) { return Collision_SpriteByIndex(self->spriteIndex); }

bool GetImageNumber(CInstance* self, int32_t, DynValue* result) {
  const SpriteRecord* sprite = OwnSprite(self);
  return ReturnReal(result, sprite ? sprite->frameCount : 0);
}
bool GetSpriteWidth(CInstance* self, int32_t, DynValue* result) {
  const SpriteRecord* sprite = OwnSprite(self);
  return ReturnReal(result, sprite ? sprite->width * static_cast<double>(self->imageXScale) : 0.0);
}
bool GetSpriteHeight(CInstance* self, int32_t, DynValue* result) {
  const SpriteRecord* sprite = OwnSprite(self);
  return ReturnReal(result, sprite ? sprite->height * static_cast<double>(self->imageYScale) : 0.0);
}
bool GetSpriteXOffset(CInstance* self, int32_t, DynValue* result) {
  const SpriteRecord* sprite = OwnSprite(self);
  return ReturnReal(result, sprite ? sprite->originX : 0);
}
bool GetSpriteYOffset(CInstance* self, int32_t, DynValue* result) {
  const SpriteRecord* sprite = OwnSprite(self);
  return ReturnReal(result, sprite ? sprite->originY : 0);
}

}  // namespace

void Collision_RegisterSpriteVariables() {
  Variable_Register("image_number", GetImageNumber, nullptr);
  Variable_Register("sprite_width", GetSpriteWidth, nullptr);
  Variable_Register("sprite_height", GetSpriteHeight, nullptr);
  Variable_Register("sprite_xoffset", GetSpriteXOffset, nullptr);
  Variable_Register("sprite_yoffset", GetSpriteYOffset, nullptr);
}
