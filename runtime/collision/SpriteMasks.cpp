// SPDX-License-Identifier: Zlib
// Collision masks: unpacked from the sprite records' bit rows the first time
// a precise point test needs them, then kept by sprite index until the game
// data changes.
#include "collision/SpriteMasks.h"

#include "data/GameData.h"

CollisionState& Collision_State() {
  static CollisionState state;
  return state;
}

void Collision_SetSpriteSource(CollisionSpriteSource source) {
  Collision_State().spriteSource = source;
  Collision_ClearMasks();
}

void Collision_ClearMasks() { Collision_State().masksBySprite.clear(); }

const SpriteRecord* Collision_SpriteByIndex(int spriteIndex) {
  if (spriteIndex < 0) return nullptr;
  CollisionSpriteSource source = Collision_State().spriteSource;
  return source ? source(spriteIndex) : GameData_Sprite(spriteIndex);
}

const SpriteMasks& Collision_Masks(int spriteIndex, const SpriteRecord& sprite) {
  std::vector<SpriteMasks>& cache = Collision_State().masksBySprite;
  if (static_cast<size_t>(spriteIndex) >= cache.size()) cache.resize(spriteIndex + 1);
  SpriteMasks& entry = cache[spriteIndex];
  if (entry.built) return entry;
  entry.built = true;
  entry.width = sprite.width;
  entry.height = sprite.height;
  if (!sprite.masks || sprite.maskCount <= 0 || sprite.width <= 0 || sprite.height <= 0) return entry;
  entry.masks.reserve(sprite.maskCount);
  for (int i = 0; i < sprite.maskCount; ++i) entry.masks.push_back(Sprite_UnpackMask(sprite, i));
  return entry;
}
