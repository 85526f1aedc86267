// SPDX-License-Identifier: Zlib
// The drawing layer's resources, built from the game data records: texture
// pages as renderer textures, sprites as lists of page regions, fonts as glyph
// tables on a page region, and the built-in default font.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "data/GameData.h"

// A decoded texture page as the renderer holds it.
struct CTexturePage {
  int handle = -1;  // the renderer's texture, -1 none
  int width = 0, height = 0;
  float texelWidth = 0, texelHeight = 0;  // 1 / width, 1 / height
  bool ready = false;  // frames and glyphs on a page that is not ready are not drawn
  bool failed = false;  // its pixels could not be decoded or made a texture; it never becomes ready
};

enum SpriteKind : int { SPRITE_BITMAP = 0, SPRITE_VECTOR = 1, SPRITE_SKELETON = 2 };

class CSprite {
 public:
  std::string name;
  int32_t frameCount = 0;
  int32_t width = 0, height = 0;
  int32_t xOrigin = 0, yOrigin = 0;
  int32_t cullRadius = 0;  // largest origin-to-corner distance, each rounded up
  int32_t kind = SPRITE_BITMAP;
  std::vector<TexturePageEntry*> frames;  // null for a frame without a page region
};

// Largest distance from the origin to a corner of the width x height box,
// each distance rounded up to a whole number.
int32_t Sprite_CullRadius(int32_t width, int32_t height, int32_t xOrigin, int32_t yOrigin);

class CFontQz {
 public:
  std::string name;
  std::string faceName;
  int32_t size = 0;
  bool bold = false, italic = false;
  uint32_t firstCharacter = 0, lastCharacter = 0;
  TexturePageEntry* region = nullptr;  // glyph positions are relative to it
  float scaleX = 1, scaleY = 1;
  int32_t lineHeight = 0;  // the largest glyph height
  float glyphMargin = 0;   // 0 for fonts from the game data
  std::vector<GlyphRecord> glyphs;  // sorted by character code

  // Binary search by character code; null when the font has no such glyph.
  const GlyphRecord* FindGlyph(uint32_t character) const;
};

// The built-in default font: 105 glyphs, codes 32 to 136, on a 256 x 128
// texture of its own.
constexpr int DEFAULT_FONT_FIRST = 32;
constexpr int DEFAULT_FONT_LAST = 136;
constexpr int DEFAULT_FONT_TEXTURE_WIDTH = 256;
constexpr int DEFAULT_FONT_TEXTURE_HEIGHT = 128;
// Texture coordinates reach half a texel beyond each glyph so that the
// filtered edge pixels are not cut off.
constexpr float DEFAULT_FONT_MARGIN = 0.5f;

// Fills a font record with the default font's glyph table and renders its
// bitmap into `rgba` (256 x 128 pixels, white glyphs on transparent).
void DefaultFont_Build(CFontQz* font, std::vector<uint8_t>* rgba);
