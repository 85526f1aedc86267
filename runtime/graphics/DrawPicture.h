// SPDX-License-Identifier: Zlib
// A picture drawn apart from the room's frames: the whole room-size target
// cleared to one colour, whatever `draw` draws on it in room coordinates, and
// the pixels read back. The sprite sheet export draws a figure's pictures
// this way, with the same sprites and the same sampling as the game's frames.
#pragma once

#include <cstdint>
#include <vector>

// Clears to `clearColour` (0xAABBGGRR, alpha ignored: the target is opaque),
// calls draw(context) and reads the target into `rgba` (width x height
// pixels, rows top down). False when no renderer is there or it keeps no
// pixels.
bool Graphics_DrawPicture(uint32_t clearColour, void (*draw)(void* context), void* context,
                          std::vector<uint8_t>* rgba, int* width, int* height);
