// SPDX-License-Identifier: Zlib
// Sprites: frame choice, culling against the view, the rotated quad, and the
// drawing state that colours it (colour, alpha, blend mode, corner ids).
#include <cmath>

#include "base/Console.h"
#include "base/Error.h"
#include "graphics/Graphics.h"
#include "graphics/GraphicsDirect.h"
#include "graphics/GraphicsState.h"
#include "object/Instance.h"

namespace {

// The corner-id marks: the lowest bit of red and of blue tell a shader
// which corner of the quad a vertex is.
constexpr uint32_t CORNER_RED_BIT = 0x000001u;
constexpr uint32_t CORNER_BLUE_BIT = 0x010000u;
constexpr uint32_t CORNER_BITS = CORNER_RED_BIT | CORNER_BLUE_BIT;

// Turns below this many radians are drawn unrotated.
constexpr float ROTATION_EPSILON = 0.001f;
constexpr float DEGREES_TO_RADIANS = 3.1415927f / 180.0f;

inline void SetVertex(Vertex& v, float x, float y, float z, float u, float vt, uint32_t colour) {
  v.u = u;
  v.v = vt;
  v.colour = colour;
  v.x = x;
  v.y = y;
  v.z = z;
}

}  // namespace

bool Sprite_ChooseFrame(const CSprite& sprite, int subimg, int* frame) {
  if (sprite.frameCount <= 0) return false;
  int chosen = subimg % sprite.frameCount;
  if (chosen < 0) chosen += sprite.frameCount;
  *frame = chosen;
  return true;
}

bool Graphics_InView(float x, float y, float r) {
  const GraphicsState& state = Graphics_State();
  if (state.perspective) return true;
  return y + r >= static_cast<float>(state.viewTop) && y - r <= static_cast<float>(state.viewBottom) &&
         x + r >= static_cast<float>(state.viewLeft) && x - r <= static_cast<float>(state.viewRight);
}

void Graphics_DrawSpriteQuad(const CSprite& sprite, int frame, float x, float y, float xscale, float yscale,
                             float rotation, uint32_t colour) {
  GraphicsState& state = Graphics_State();
  if (frame < 0 || static_cast<size_t>(frame) >= sprite.frames.size()) return;
  TexturePageEntry* entry = sprite.frames[static_cast<size_t>(frame)];
  if (!entry || entry->textureId < 0 || static_cast<size_t>(entry->textureId) >= state.pages.size()) return;
  const CTexturePage& page = state.pages[static_cast<size_t>(entry->textureId)];
  if (!page.ready) return;
  // A target size of 0 would collapse the quad; it is taken as 1.
  if (entry->targetWidth == 0) entry->targetWidth = 1;
  if (entry->targetHeight == 0) entry->targetHeight = 1;

  const float left = -static_cast<float>(sprite.xOrigin - entry->targetX) * xscale;
  const float top = -static_cast<float>(sprite.yOrigin - entry->targetY) * yscale;
  const float right = left + static_cast<float>(entry->targetWidth) * xscale;
  const float bottom = top + static_cast<float>(entry->targetHeight) * yscale;

  // Corners: top-left, top-right, bottom-right, bottom-left.
  float cx[4], cy[4];
  const float radians = rotation * DEGREES_TO_RADIANS;
  if (std::fabs(radians) < ROTATION_EPSILON) {
    cx[0] = x + left, cy[0] = y + top;
    cx[1] = x + right, cy[1] = y + top;
    cx[2] = x + right, cy[2] = y + bottom;
    cx[3] = x + left, cy[3] = y + bottom;
  } else {
    // The screen's y axis points down, so this turns counter-clockwise on it.
    const float c = std::cos(radians), s = std::sin(radians);
    const float dx[4] = {left, right, right, left};
    const float dy[4] = {top, top, bottom, bottom};
    for (int i = 0; i < 4; ++i) {
      cx[i] = x + dx[i] * c + dy[i] * s;
      cy[i] = y - dx[i] * s + dy[i] * c;
    }
  }

  const float uL = static_cast<float>(entry->sourceX) * page.texelWidth;
  const float vT = static_cast<float>(entry->sourceY) * page.texelHeight;
  const float uR = static_cast<float>(entry->sourceX + entry->sourceWidth) * page.texelWidth;
  const float vB = static_cast<float>(entry->sourceY + entry->sourceHeight) * page.texelHeight;

  uint32_t corner[4] = {colour, colour, colour, colour};
  if (state.cornerId) {
    corner[0] = colour & ~CORNER_BITS;
    corner[1] = (colour & ~CORNER_BITS) | CORNER_RED_BIT;
    corner[2] = colour | CORNER_BITS;
    corner[3] = (colour & ~CORNER_BITS) | CORNER_BLUE_BIT;
  }

  Vertex* v = Batch_ReserveVertices(PRIM_TRIANGLE_LIST, page.handle, 6);
  if (!v) return;
  state.batch.lastSpriteName = sprite.name.c_str();
  const float z = state.depthZ;
  SetVertex(v[0], cx[0], cy[0], z, uL, vT, corner[0]);
  SetVertex(v[1], cx[1], cy[1], z, uR, vT, corner[1]);
  SetVertex(v[2], cx[2], cy[2], z, uR, vB, corner[2]);
  SetVertex(v[3], cx[2], cy[2], z, uR, vB, corner[2]);
  SetVertex(v[4], cx[3], cy[3], z, uL, vB, corner[3]);
  SetVertex(v[5], cx[0], cy[0], z, uL, vT, corner[0]);
}

void Graphics_DrawSpriteExt(CSprite& sprite, int subimg, float x, float y, float xscale, float yscale,
                            float rotation, uint32_t colour) {
  int frame;
  if (!Sprite_ChooseFrame(sprite, subimg, &frame)) return;
  if (sprite.kind != SPRITE_BITMAP) return;  // vector and skeleton sprites are not drawn by this runtime
  const float radius = static_cast<float>(sprite.cullRadius);
  const float r = std::fmax(std::fabs(radius * xscale), std::fabs(radius * yscale));
  if (!Graphics_InView(x, y, r)) return;
  Graphics_DrawSpriteQuad(sprite, frame, x, y, xscale, yscale, rotation, colour);
}

// ---- drawing state ----

void Graphics_SetColour(int32_t colour) {
  GraphicsState& state = Graphics_State();
  state.colour = Colour_WithAlpha(static_cast<uint32_t>(colour), state.alpha);
}

void Graphics_SetAlpha(double alpha) {
  GraphicsState& state = Graphics_State();
  if (alpha < 0) alpha = 0;
  if (alpha > 1) alpha = 1;
  state.alpha = Colour_AlphaByte(alpha);
  state.colour = Colour_WithAlpha(state.colour, state.alpha);
}

void Graphics_SetFont(int32_t font) { Graphics_State().font = Graphics_Font(font) ? font : -1; }

void Graphics_SetHalign(int32_t align) { Graphics_State().halign = (align >= 0 && align <= 2) ? align : 0; }

void Graphics_SetValign(int32_t align) { Graphics_State().valign = (align >= 0 && align <= 2) ? align : 0; }

BlendState Blend_FromMode(int32_t mode) {
  switch (mode) {
    case 1:
      return {BLEND_FACTOR_SRC_ALPHA, BLEND_FACTOR_ONE};
    case 2:
      return {BLEND_FACTOR_SRC_ALPHA, BLEND_FACTOR_INV_SRC_COLOUR};
    case 3:
      return {BLEND_FACTOR_ZERO, BLEND_FACTOR_INV_SRC_COLOUR};
    default:
      return {BLEND_FACTOR_SRC_ALPHA, BLEND_FACTOR_INV_SRC_ALPHA};
  }
}

void Graphics_SetBlendMode(int32_t mode) {
  GraphicsState& state = Graphics_State();
  if (mode < 0 || mode > 3) mode = 0;
  if (mode == state.blendMode) return;
  state.blendMode = mode;
  Batch_MarkStateChange();
}

void Graphics_EnableCornerId(bool enable) { Graphics_State().cornerId = enable; }

// ---- direct entries ----

int32_t Draw_SubimgArgument(CInstance* self, double subimg) {
  if (subimg < 0) return self ? static_cast<int32_t>(std::floor(self->imageIndex)) : -1;
  return static_cast<int32_t>(subimg);
}

void Draw_SpriteExt(CInstance* self, int32_t spriteIndex, int32_t subimg, float x, float y, float xscale,
                    float yscale, float rotation, int32_t colour, float alpha) {
  if (subimg < 0 && self) subimg = static_cast<int32_t>(self->imageIndex);  // toward zero
  CSprite* sprite = Graphics_Sprite(spriteIndex);
  if (!sprite) {
    Runtime_ErrorNonFatal("Trying to draw non-existing sprite.");
    return;
  }
  Graphics_DrawSpriteExt(*sprite, subimg, x, y, xscale, yscale, rotation,
                         Colour_WithAlpha(static_cast<uint32_t>(colour), Colour_AlphaByte(alpha)));
}

void Draw_Sprite(CInstance* self, int32_t spriteIndex, int32_t subimg, float x, float y) {
  if (subimg < 0 && self) subimg = static_cast<int32_t>(self->imageIndex);
  CSprite* sprite = Graphics_Sprite(spriteIndex);
  if (!sprite) {
    Runtime_ErrorNonFatal("Trying to draw non-existing sprite.");
    return;
  }
  Graphics_DrawSpriteExt(*sprite, subimg, x, y, 1, 1, 0, Colour_WithAlpha(0xFFFFFFu, Graphics_State().alpha));
}

double Draw_MakeColourRgb(int32_t r, int32_t g, int32_t b) {
  return static_cast<double>(r) + static_cast<double>(g) * 256.0 + static_cast<double>(b) * 65536.0;
}

void Draw_SetFont(int32_t font) { Graphics_SetFont(font); }
void Draw_SetHalign(int32_t align) { Graphics_SetHalign(align); }
void Draw_SetValign(int32_t align) { Graphics_SetValign(align); }
