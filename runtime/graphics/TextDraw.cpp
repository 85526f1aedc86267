// SPDX-License-Identifier: Zlib
// Text: the string is cut into lines at CR, LF, CR LF and LF CR, aligned by
// the current alignment, and every character becomes a glyph quad of the
// font's page. draw_text colours every corner alike; draw_text_colour blends
// four corner colours along each line.
#include <cstring>
#include <vector>

#include "graphics/Graphics.h"
#include "graphics/GraphicsState.h"

namespace {

// Drawn in place of a character that the font lacks, when the font has it.
constexpr uint16_t REPLACEMENT_CHARACTER = 0x25AF;

// UTF-8 to 16-bit characters; characters beyond 16 bits become surrogate
// pairs, malformed bytes are taken as they are.
void DecodeUtf8(const char* text, std::vector<uint16_t>* out) {
  out->clear();
  const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
  while (*p) {
    uint32_t c = *p;
    int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
    if (extra) {
      uint32_t code = c & (0x3Fu >> extra);
      int i = 1;
      for (; i <= extra && (p[i] & 0xC0) == 0x80; ++i) code = (code << 6) | (p[i] & 0x3F);
      if (i > extra) {
        p += extra + 1;
        if (code > 0xFFFF) {
          code -= 0x10000;
          out->push_back(static_cast<uint16_t>(0xD800 + (code >> 10)));
          out->push_back(static_cast<uint16_t>(0xDC00 + (code & 0x3FF)));
        } else {
          out->push_back(static_cast<uint16_t>(code));
        }
        continue;
      }
    }
    out->push_back(static_cast<uint16_t>(c));
    ++p;
  }
}

struct Line {
  size_t begin, end;
  int width;
};

// Cuts at CR or LF; CR LF and LF CR are one break.
void SplitLines(const std::vector<uint16_t>& chars, std::vector<Line>* lines) {
  lines->clear();
  size_t start = 0;
  for (size_t i = 0; i < chars.size(); ++i) {
    uint16_t c = chars[i];
    if (c != 13 && c != 10) continue;
    lines->push_back({start, i, 0});
    if (i + 1 < chars.size() && (chars[i + 1] == 13 || chars[i + 1] == 10) && chars[i + 1] != c) ++i;
    start = i + 1;
  }
  lines->push_back({start, chars.size(), 0});
}

const GlyphRecord* GlyphFor(const CFontQz& font, uint16_t c) {
  const GlyphRecord* glyph = font.FindGlyph(c);
  return glyph ? glyph : font.FindGlyph(REPLACEMENT_CHARACTER);
}

const CTexturePage* FontPage(const CFontQz& font) {
  GraphicsState& state = Graphics_State();
  if (&font == state.defaultFont.get()) return &state.defaultFontPage;
  if (!font.region) return nullptr;
  int32_t id = font.region->textureId;
  if (id < 0 || static_cast<size_t>(id) >= state.pages.size()) return nullptr;
  return &state.pages[static_cast<size_t>(id)];
}

// The corner colours of one glyph quad: top-left, top-right, bottom-right,
// bottom-left.
struct Corners {
  uint32_t c[4];
};

void EmitGlyph(int texture, float left, float top, float right, float bottom, float uL, float vT, float uR, float vB,
               const Corners& corners) {
  Vertex* v = Batch_ReserveVertices(PRIM_TRIANGLE_LIST, texture, 6);
  if (!v) return;
  const float z = Graphics_State().depthZ;
  v[0] = {uL, vT, corners.c[0], left, top, z};
  v[1] = {uR, vT, corners.c[1], right, top, z};
  v[2] = {uR, vB, corners.c[2], right, bottom, z};
  v[3] = v[2];
  v[4] = {uL, vB, corners.c[3], left, bottom, z};
  v[5] = v[0];
}

uint32_t BlendColour(uint32_t a, uint32_t b, double t) {
  uint32_t out = 0;
  for (int shift = 0; shift < 24; shift += 8) {
    double ca = (a >> shift) & 0xFF, cb = (b >> shift) & 0xFF;
    int channel = static_cast<int>(ca + (cb - ca) * t);
    if (channel < 0) channel = 0;
    if (channel > 255) channel = 255;
    out |= static_cast<uint32_t>(channel) << shift;
  }
  return out;
}

struct GradientColours {
  uint32_t c1, c2, c3, c4;
  uint8_t alpha;
};

// Lays out and draws; `gradient` null draws in the current colour.
void DrawTextImpl(float x, float y, const char* text, const GradientColours* gradient) {
  if (!text) return;
  GraphicsState& state = Graphics_State();
  const CFontQz* font = Graphics_CurrentFont();
  if (!font) return;
  const CTexturePage* page = FontPage(*font);
  if (!page || !page->ready || !font->region) return;

  std::vector<uint16_t> chars;
  DecodeUtf8(text, &chars);
  std::vector<Line> lines;
  SplitLines(chars, &lines);
  for (Line& line : lines)
    for (size_t i = line.begin; i < line.end; ++i)
      if (const GlyphRecord* glyph = GlyphFor(*font, chars[i])) line.width += glyph->shift;

  const int lineHeight = font->lineHeight;
  const int lineCount = static_cast<int>(lines.size());
  float lineTop = y;
  if (state.valign == 1)
    lineTop = y - static_cast<float>((lineHeight * lineCount) / 2);
  else if (state.valign == 2)
    lineTop = y - static_cast<float>(lineHeight * lineCount);

  const float sx = font->scaleX, sy = font->scaleY;
  const float tw = page->texelWidth, th = page->texelHeight;
  const float regionX = font->region->sourceX, regionY = font->region->sourceY;
  const float margin = gradient ? 0.0f : font->glyphMargin;
  Corners plain;
  for (uint32_t& c : plain.c) c = state.colour;

  for (const Line& line : lines) {
    float lineLeft = x;
    if (state.halign == 1)
      lineLeft = x - static_cast<float>(line.width / 2);
    else if (state.halign == 2)
      lineLeft = x - static_cast<float>(line.width);
    float pen = lineLeft;
    int penOffset = 0;  // unscaled advances since the line's start
    for (size_t i = line.begin; i < line.end; ++i) {
      const GlyphRecord* glyph = GlyphFor(*font, chars[i]);
      if (!glyph) continue;
      const float gx = regionX + glyph->x, gy = regionY + glyph->y;
      const float uL = (gx - margin) * tw, vT = (gy - margin) * th;
      const float uR = (gx + glyph->width + margin) * tw, vB = (gy + glyph->height + margin) * th;
      if (!gradient) {
        const float left = pen + glyph->offset * sx - margin;
        const float right = pen + glyph->offset * sx + glyph->width * sx + margin;
        EmitGlyph(page->handle, left, lineTop - margin, right, lineTop + glyph->height * sy + margin, uL, vT, uR, vB,
                  plain);
        pen += glyph->shift * sx;
      } else {
        const double width = line.width != 0 ? line.width : 1;
        const double tLeft = penOffset / width, tRight = (penOffset + glyph->shift) / width;
        const uint32_t a = static_cast<uint32_t>(gradient->alpha) << 24;
        Corners corners;
        corners.c[0] = BlendColour(gradient->c1, gradient->c2, tLeft) | a;
        corners.c[1] = BlendColour(gradient->c1, gradient->c2, tRight) | a;
        corners.c[2] = BlendColour(gradient->c4, gradient->c3, tRight) | a;
        corners.c[3] = BlendColour(gradient->c4, gradient->c3, tLeft) | a;
        const float left = pen + glyph->offset;
        EmitGlyph(page->handle, left, lineTop, left + glyph->width * sx, lineTop + glyph->height * sy, uL, vT, uR, vB,
                  corners);
        pen += glyph->shift;
      }
      penOffset += glyph->shift;
    }
    lineTop += static_cast<float>(lineHeight);
  }
}

}  // namespace

void Graphics_DrawText(float x, float y, const char* text) { DrawTextImpl(x, y, text, nullptr); }

void Graphics_DrawTextColour(float x, float y, const char* text, uint32_t c1, uint32_t c2, uint32_t c3, uint32_t c4,
                             double alpha) {
  GradientColours gradient{c1, c2, c3, c4, Colour_AlphaByte(alpha)};
  DrawTextImpl(x, y, text, &gradient);
}
