// SPDX-License-Identifier: Zlib
// The program's icon for the desktop: an enemy figure composed of the
// editor's creature shapes, each a white fill with an outline in one of the
// editor's colours, on a dark plate like the editor's buttons.
#pragma once

#include "raster.h"

namespace artgen {

// The sizes the desktop's icon theme gets, in pixels.
inline constexpr int kAppIconSizes[] = {48, 128, 256};

// Draws the icon at size x size pixels. Needs the sprite table (the shapes
// are placed by their sprites' sizes); false when it lacks a shape sprite.
bool drawAppIcon(int size, Image* out);

}  // namespace artgen
