// SPDX-License-Identifier: Zlib
// Inside the collision module: the state record (where sprite records come
// from, the cache of unpacked masks, a scratch list for target walks).
#pragma once

#include <cstdint>
#include <vector>

#include "collision/Collision.h"

class CInstance;

// The masks of one sprite, one byte per pixel (non-zero = solid), rows of
// `width` bytes.
struct SpriteMasks {
  bool built = false;
  int32_t width = 0, height = 0;
  std::vector<std::vector<uint8_t>> masks;  // empty: the sprite has no masks
};

struct CollisionState {
  CollisionSpriteSource spriteSource = nullptr;  // null: the game data
  std::vector<SpriteMasks> masksBySprite;        // indexed by sprite index
  std::vector<CInstance*> candidates;            // reused by position_meeting
};
CollisionState& Collision_State();

const SpriteRecord* Collision_SpriteByIndex(int spriteIndex);
// The collision sprite's index: mask_index when it is 0 or more, else sprite_index.
int Collision_SpriteIndex(const CInstance* instance);
// The sprite's masks, unpacked on first use.
const SpriteMasks& Collision_Masks(int spriteIndex, const SpriteRecord& sprite);
