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

// Reads the sprite table of a manifest; false with a message when it cannot.
bool SpriteTable_Load(const std::string& manifestPath, std::string* error);
// The table loaded last (empty before a load).
const std::vector<SpriteInfo>& SpriteTable();

}  // namespace artgen
