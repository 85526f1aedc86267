// SPDX-License-Identifier: Zlib
// Drawing of every sprite frame. The user-interface sprites (buttons, panels,
// handles) and the creature shapes live in separate files; both return the
// frames of one sprite of the table, at the table's size.
#pragma once

#include <vector>

#include "raster.h"
#include "sprite_table.h"

namespace artgen {

using Frames = std::vector<Image>;

// Buttons, panels, handles and markers; empty when `s` is not one of them.
Frames drawInterfaceSprite(const SpriteInfo& s);

// spr_shape_<n>_back and spr_shape_<n>_outline; empty for other sprites.
Frames drawShapeSprite(const SpriteInfo& s);

}  // namespace artgen
