// SPDX-License-Identifier: Zlib
// The sprites to draw: names, sizes, origins, collision boxes and frame
// counts, in sprite-index order, as the game's manifest lists them (the one
// table the art, the packer and the runtime all follow). The event code tests
// the mouse against these sizes, so the art must fit them; the pixels are ours.
#pragma once

#include <string>
#include <vector>

namespace artgen {

struct SpriteInfo {
  std::string name;
  int width = 0, height = 0;
  int originX = 0, originY = 0;
  int boxLeft = 0, boxTop = 0, boxRight = 0, boxBottom = 0;  // inclusive pixel box
  int boxMode = 0;                                           // 0 automatic (from alpha), 2 manual
  bool separateMasks = false;
  int frames = 1;
};

// Reads the sprite table and the shapes' plain names of a manifest; false with a message when it cannot.
bool SpriteTable_Load(const std::string& manifestPath, std::string* error);
// The table loaded last (empty before a load).
const std::vector<SpriteInfo>& SpriteTable();

// One entry of the manifest's "shape_names": the shape "spr_shape_9" (its
// sprites spr_shape_9_back and spr_shape_9_outline) is a "horn".
struct ShapeName {
  std::string shape, name;
};
// The names loaded last, in the manifest's order.
const std::vector<ShapeName>& ShapeNames();
// The plain name of a shape ("spr_shape_9"), or "" when it has none.
std::string ShapeNameOf(const std::string& shape);
// The shape that has this plain name, or "" when none has.
std::string ShapeNamed(const std::string& name);

}  // namespace artgen
