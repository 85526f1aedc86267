// SPDX-License-Identifier: Zlib
#include "sprite_table.h"

#include "Manifest.h"

namespace artgen {

namespace {
std::vector<SpriteInfo>& Table() {
  static std::vector<SpriteInfo> table;
  return table;
}
}  // namespace

bool SpriteTable_Load(const std::string& manifestPath, std::string* error) {
  mob::Manifest manifest;
  if (!mob::Manifest_Load(manifestPath, &manifest, error)) return false;
  std::vector<SpriteInfo>& table = Table();
  table.clear();
  for (const mob::ManifestSprite& s : manifest.sprites) {
    SpriteInfo info;
    info.name = s.name;
    info.width = s.width;
    info.height = s.height;
    info.originX = s.originX;
    info.originY = s.originY;
    info.boxLeft = s.bboxLeft;
    info.boxTop = s.bboxTop;
    info.boxRight = s.bboxRight;
    info.boxBottom = s.bboxBottom;
    info.boxMode = s.bboxMode;
    info.separateMasks = s.separateMasks;
    info.frames = s.frames;
    table.push_back(info);
  }
  return true;
}

const std::vector<SpriteInfo>& SpriteTable() { return Table(); }

}  // namespace artgen
