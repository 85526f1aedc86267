// SPDX-License-Identifier: Zlib
// The creature shapes as drawings: each frame's inside test and inner lines
// in the shape's own coordinates, and the fit that places a shape in a
// sprite of a given size. The shape sprites and the program's icon are both
// drawn from them.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "geometry.h"

namespace artgen {

// One frame of a shape: its signed distance (only the sign is used) and
// the inner lines of the outline sprite (kept inside the silhouette).
struct FrameShape {
  std::function<double(Vec2)> sdf;
  std::function<bool(Vec2)> detail;
};

struct Shape {
  double stroke;  // outline width in pixels
  // Builds frame f (0..3); paths and polygons are computed here once, not
  // per sample.
  std::function<FrameShape(int)> frame;
};

// The drawings of the creature parts, each under the plain name that the
// manifest's "shape_names" gives the shape it is drawn for ("tentacle",
// "eye", "horn", ...): the manifest, not this program, says which shape
// sprite shows which drawing.
struct ShapeDrawing {
  const char* name;
  Shape (*draw)();
};
const std::vector<ShapeDrawing>& shapeDrawings();

// The drawing of that name; false when there is none.
bool shapeNamed(const std::string& name, Shape* out);

// Per-axis map from sprite pixels to the shape's own coordinates.
struct Fit {
  double ax = 1, bx = 0, ay = 1, by = 0;  // pixel = a * shape + b
  Vec2 toShape(double x, double y) const { return {(x - bx) / ax, (y - by) / ay}; }
};

// The fit that makes the union of `frames` span a w x h sprite.
Fit fitToSprite(const std::vector<FrameShape>& frames, int w, int h);

}  // namespace artgen
