// SPDX-License-Identifier: Zlib
#include "sprite_table.h"

#include "Manifest.h"

namespace artgen {

namespace {
std::vector<SpriteInfo>& Table() {
  static std::vector<SpriteInfo> table;
  return table;
}
std::vector<ShapeName>& Names() {
  static std::vector<ShapeName> names;
  return names;
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
  Names().clear();
  for (const mob::ManifestShapeName& n : manifest.shapeNames) Names().push_back({n.shape, n.name});
  return true;
}

const std::vector<SpriteInfo>& SpriteTable() { return Table(); }

const std::vector<ShapeName>& ShapeNames() { return Names(); }

std::string ShapeNameOf(const std::string& shape) {
  for (const ShapeName& n : Names())
    if (n.shape == shape) return n.name;
  return "";
}

std::string ShapeNamed(const std::string& name) {
  for (const ShapeName& n : Names())
    if (n.name == name) return n.shape;
  return "";
}

}  // namespace artgen
