// SPDX-License-Identifier: Zlib
// The program's icon. The figure is laid out on a square of 128 units and
// drawn at each size from the shapes' own inside tests, so every size is
// sharp; a part is placed as the editor places a shape (its sprite turned
// and scaled about the sprite's centre) and drawn as the editor draws one:
// the white fill, then the outline in the part's colour. Outlines are kept
// at least kMinStroke pixels wide so the small icon still reads.
#include "app_icon.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "geometry.h"
#include "shapes.h"
#include "sprite_table.h"

namespace artgen {

namespace {

constexpr double kUnits = 128;      // the layout's square
constexpr double kMinStroke = 1.6;  // pixels

// The editor's colour selectors.
const Rgba kGreen = rgb(133, 255, 39);
const Rgba kRed = rgb(237, 31, 9);
const Rgba kPurple = rgb(167, 44, 225);
const Rgba kOrange = rgb(255, 101, 23);
const Rgba kYellow = rgb(255, 244, 37);

struct Part {
  const char* shape;       // the shape's plain name, as the manifest gives it
  Vec2 centre;             // in layout units
  double scaleX, scaleY;   // sprite pixels to layout units; negative mirrors
  double angle;            // degrees, clockwise on screen
  Rgba colour;             // the outline's tint
};

// Back to front: the wings behind, then the horns, the body, the eye and
// the jaw on top.
const Part kFigure[] = {
    {"wing", {101, 62}, 0.5, 0.5, -18, kPurple},   // right wing, root at the body
    {"wing", {27, 62}, -0.5, 0.5, 18, kPurple},    // left wing, mirrored
    {"horn", {45, 35}, 0.3, 0.3, -22, kOrange},    // left horn, tip curling out
    {"horn", {83, 35}, -0.3, 0.3, 22, kOrange},    // right horn, mirrored
    {"slime", {64, 76}, 0.56, 0.56, 0, kGreen},     // slime body
    {"eye", {64, 67}, 0.52, 0.52, 0, kRed},       // one big eye
    {"jaw", {64, 94}, 0.24, 0.2, 0, kYellow},     // small gaping jaw
};

// The fill sprite of the shape the manifest names so.
const SpriteInfo* shapeSprite(const std::string& shape) {
  const std::string stem = ShapeNamed(shape);
  if (stem.empty()) return nullptr;
  const std::string name = stem + "_back";
  for (const SpriteInfo& s : SpriteTable())
    if (s.name == name) return &s;
  return nullptr;
}

// Draws one part onto `img`; `unit` is pixels per layout unit.
void drawPart(Image& img, const Part& part, const Shape& shape, const SpriteInfo& sprite, double unit) {
  std::vector<FrameShape> frames;
  for (int f = 0; f < sprite.frames; ++f) frames.push_back(shape.frame(f));
  // The same fit as the shape's sprite, so the part has the sprite's proportions.
  const Fit fit = fitToSprite(frames, sprite.width, sprite.height);
  const FrameShape& still = frames.front();
  const double w = sprite.width, h = sprite.height;
  const double reach = 0.5 * std::hypot(w * part.scaleX, h * part.scaleY);

  // Pixel centre to the shape's coordinates; false outside the sprite.
  auto toShape = [&](double x, double y, Vec2* out) {
    const Vec2 u = {x / unit, y / unit};
    if (length(u - part.centre) > reach) return false;
    const Vec2 d = rotate(u, part.centre, -part.angle) - part.centre;
    const double sx = d.x / part.scaleX + w / 2, sy = d.y / part.scaleY + h / 2;
    if (sx < 0 || sy < 0 || sx >= w || sy >= h) return false;
    *out = fit.toShape(sx, sy);
    return true;
  };
  const int size = img.width();
  const Mask silhouette = Mask::from(size, size, [&](double x, double y) {
    Vec2 p;
    return toShape(x, y, &p) && still.sdf(p) < 0;
  });
  const double scale = std::sqrt(std::abs(part.scaleX * part.scaleY)) * unit;
  const double stroke = std::max(shape.stroke * scale, kMinStroke);
  // As in the sprites, the fill stays inside the outline's outer part.
  const Mask fill = silhouette.band(stroke * 0.375, 1e9);
  Mask line = silhouette.band(0, stroke);
  Mask detail = Mask::from(size, size, [&](double x, double y) {
    Vec2 p;
    return toShape(x, y, &p) && still.detail(p);
  });
  line.unite(detail.intersect(silhouette));
  img.paint(fill, kWhite);
  img.paint(line, part.colour);
}

}  // namespace

bool drawAppIcon(int size, Image* out) {
  Image img(size, size);
  const double unit = size / kUnits;
  // The plate: the editor's button rim and a dark slate body, darker
  // towards the bottom.
  const double edge = 3 * unit, radius = 24 * unit;
  const double rim = std::max(2.5 * unit, 1.2);
  img.paint(Mask::from(size, size,
                       [&](double x, double y) {
                         return sdRoundRect({x, y}, edge, edge, size - edge, size - edge, radius) < 0;
                       }),
            rgb(118, 132, 160));
  img.paintGradient(Mask::from(size, size,
                               [&](double x, double y) {
                                 return sdRoundRect({x, y}, edge + rim, edge + rim, size - edge - rim,
                                                    size - edge - rim, radius - rim) < 0;
                               }),
                    rgb(50, 58, 76), rgb(14, 16, 22), edge, size - edge);
  for (const Part& part : kFigure) {
    const SpriteInfo* sprite = shapeSprite(part.shape);
    Shape shape;
    if (!sprite || !shapeNamed(part.shape, &shape)) return false;
    drawPart(img, part, shape, *sprite, unit);
  }
  *out = std::move(img);
  return true;
}

}  // namespace artgen
