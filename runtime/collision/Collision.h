// SPDX-License-Identifier: Zlib
// Instance bounding boxes and point tests: the integer box every instance
// keeps from its collision sprite, position, scales and angle; the point test
// that maps a point back into the sprite's frame and consults its collision
// mask when the sprite is precise; the overlap of two instances, which
// collision events are built on; and position_meeting, which asks whether
// any instance named by a target covers a point.
//
// Sprite records come from the game data (runtime/data) through a seam that
// tests can replace; masks are unpacked from their bit rows on first use and
// kept in a cache of this module.
#pragma once

class CInstance;
struct SpriteRecord;

// Where sprite records are looked up by sprite index: the game data by
// default. Setting a source (null restores the default) forgets every
// unpacked mask.
using CollisionSpriteSource = const SpriteRecord* (*)(int spriteIndex);
void Collision_SetSpriteSource(CollisionSpriteSource source);
// Forgets every unpacked mask; call after the game data is (re)loaded.
void Collision_ClearMasks();

// The sprite whose box and masks an instance collides with: mask_index when
// it is 0 or more, else sprite_index. Null when that names no sprite.
const SpriteRecord* Collision_Sprite(const CInstance* instance);
// Computes the instance's box and precise flag and clears its stale flag.
void Collision_ComputeBox(CInstance* instance);
// Computes the box only when it is stale.
void Collision_UpdateBox(CInstance* instance);
// Whether the instance covers the point (px, py). precise: consult the
// collision masks of a precise sprite; otherwise the box decides.
bool Collision_PointTest(CInstance* instance, double px, double py, bool precise);

// Whether two instances overlap: both have a collision sprite with at least
// one frame, their boxes share a pixel and, when either sprite is precise,
// some pixel of the shared part is covered by both (at the pixel's whole
// coordinates, as the point test takes them).
bool Collision_InstancesOverlap(CInstance* a, CInstance* b);

// position_meeting: x and y are truncated; target -1 self, -2 other, -3 all,
// an object index (its active instances, derived objects included) or an
// instance id. True when one active instance it names covers the point.
bool Collision_PositionMeeting(CInstance* self, CInstance* other, double x, double y, int target);

// position_meeting.
void Collision_RegisterBuiltins();
// bbox_left, bbox_top, bbox_right, bbox_bottom, and the sprite's
// image_number, sprite_width, sprite_height, sprite_xoffset, sprite_yoffset
// (all read-only).
void Collision_RegisterBuiltinVariables();
void Collision_RegisterSpriteVariables();  // the sprite's part of the above
