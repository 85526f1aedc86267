// SPDX-License-Identifier: Zlib
// pack: builds the game data file from the manifest and the art.
//
// The chunks are written in the order the runtime's data has always had:
// GEN8 OPTN LANG EXTN SOND AGRP SPRT BGND PATH SCPT GLOB SHDR FONT TMLN OBJT
// ROOM DAFL EMBI TPAG CODE VARI FUNC STRG TXTR AUDO. Every sprite frame and
// the font image go on one texture page; each frame is cropped to its
// visible pixels (the item's target offset keeps its place in the frame).
// Collision masks are made from the frames' alpha: one per frame when the
// sprite has separate masks, else one mask that is solid wherever any frame
// is.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Manifest.h"

namespace pack {

// Texture page side: one page holds every frame and the font.
constexpr int PAGE_SIDE = 1024;

struct PackStats {
  int textureItems = 0;
  int strings = 0;
  size_t pngBytes = 0;
};

bool Pack_Build(const mob::Manifest& manifest, std::vector<uint8_t>* out, std::string* error,
                PackStats* stats = nullptr);

}  // namespace pack
