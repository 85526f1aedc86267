// SPDX-License-Identifier: Zlib
// fontbake: bakes the editor's preview font (fnt_ObjectPreview) from a
// scalable font file with FreeType: characters 32 to 126, antialiased, white
// glyphs whose alpha is the coverage, packed into one small PNG, plus a JSON
// file with the glyph records and the line metrics.
//
//   fontbake --font FILE --png OUT.png --json OUT.json
//
// Each glyph's rectangle is one line high (ascender + descender), so the
// runtime can place it at the pen's top-left without per-glyph baselines;
// "shift" is the advance and "offset" the left bearing, both whole pixels.
#include <ft2build.h>
#include FT_FREETYPE_H  // the glyph rasteriser

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "PngFiles.h"  // output image

namespace {

constexpr int kFirst = 32, kLast = 126;
// The font is designed at 10 points. At the 96 dots per inch the editor
// assumes, that is 10 * 96 / 72 = 13.33 pixels per em.
constexpr int kPointSize = 10;
constexpr int kDpi = 96;
// Page width; rows of glyphs are packed left to right within it.
constexpr int kPageWidth = 256;
// Empty pixels between glyphs, so filtered drawing never picks up a neighbour.
constexpr int kGap = 2;

struct Glyph {
  int code;
  int x = 0, y = 0, w = 0, h = 0;
  int shift = 0, offset = 0;
  int top = 0;  // bitmap top above the baseline
  int bw = 0, bh = 0;
  std::vector<uint8_t> coverage;  // bw * bh
};

bool writePng(const std::string& path, int w, int h, const std::vector<uint8_t>& rgba) {
  std::string error;
  if (media::Png_Write(path, rgba.data(), w, h, &error)) return true;
  std::fprintf(stderr, "%s\n", error.c_str());
  return false;
}

std::string baseName(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

int main(int argc, char** argv) {
  std::string fontPath, pngPath, jsonPath;
  for (int i = 1; i + 1 < argc; i += 2) {
    if (!std::strcmp(argv[i], "--font")) fontPath = argv[i + 1];
    else if (!std::strcmp(argv[i], "--png")) pngPath = argv[i + 1];
    else if (!std::strcmp(argv[i], "--json")) jsonPath = argv[i + 1];
  }
  if (fontPath.empty() || pngPath.empty() || jsonPath.empty()) {
    std::fprintf(stderr, "usage: fontbake --font FILE --png OUT.png --json OUT.json\n");
    return 2;
  }

  FT_Library lib;
  FT_Face face;
  if (FT_Init_FreeType(&lib)) {
    std::fprintf(stderr, "fontbake: FreeType failed to start\n");
    return 1;
  }
  if (FT_New_Face(lib, fontPath.c_str(), 0, &face)) {
    std::fprintf(stderr, "fontbake: cannot open %s\n", fontPath.c_str());
    return 1;
  }
  if (FT_Set_Char_Size(face, 0, kPointSize * 64, kDpi, kDpi)) {
    std::fprintf(stderr, "fontbake: cannot set the size\n");
    return 1;
  }

  std::vector<Glyph> glyphs;
  // The line is as high as the ink of characters 32 to 126. The face's own
  // ascender also leaves room for accented capitals, which this font does
  // not carry, and would push every text down by a few pixels.
  int ascent = 0, descent = 0;
  for (int c = kFirst; c <= kLast; ++c) {
    if (FT_Load_Char(face, static_cast<FT_ULong>(c), FT_LOAD_RENDER | FT_LOAD_TARGET_NORMAL)) {
      std::fprintf(stderr, "fontbake: no glyph for character %d\n", c);
      return 1;
    }
    const FT_GlyphSlot slot = face->glyph;
    const FT_Bitmap& bm = slot->bitmap;
    if (bm.pixel_mode != FT_PIXEL_MODE_GRAY && bm.width > 0) {
      std::fprintf(stderr, "fontbake: character %d did not render antialiased\n", c);
      return 1;
    }
    Glyph g;
    g.code = c;
    g.bw = static_cast<int>(bm.width);
    g.bh = static_cast<int>(bm.rows);
    g.top = slot->bitmap_top;
    g.offset = slot->bitmap_left;
    g.shift = static_cast<int>((slot->advance.x + 32) >> 6);
    g.coverage.resize(static_cast<size_t>(g.bw) * g.bh);
    for (int y = 0; y < g.bh; ++y)
      std::memcpy(&g.coverage[static_cast<size_t>(y) * g.bw], bm.buffer + static_cast<ptrdiff_t>(y) * bm.pitch,
                  static_cast<size_t>(g.bw));
    ascent = std::max(ascent, g.top);
    descent = std::max(descent, g.bh - g.top);
    glyphs.push_back(std::move(g));
  }
  const int lineHeight = ascent + descent;

  // Pack the line-high cells in rows.
  int x = kGap, y = kGap;
  for (Glyph& g : glyphs) {
    g.w = std::max(g.bw, g.bw == 0 ? g.shift : 1);  // a space keeps its width, empty
    g.h = lineHeight;
    if (x + g.w + kGap > kPageWidth) {
      x = kGap;
      y += lineHeight + kGap;
    }
    g.x = x;
    g.y = y;
    x += g.w + kGap;
  }
  const int pageHeight = y + lineHeight + kGap;

  std::vector<uint8_t> rgba(static_cast<size_t>(kPageWidth) * pageHeight * 4, 0);
  for (size_t i = 0; i < rgba.size(); i += 4) rgba[i] = rgba[i + 1] = rgba[i + 2] = 255;  // white, alpha carries the glyph
  for (const Glyph& g : glyphs)
    for (int gy = 0; gy < g.bh; ++gy)
      for (int gx = 0; gx < g.bw; ++gx) {
        const int px = g.x + gx, py = g.y + (ascent - g.top) + gy;
        rgba[(static_cast<size_t>(py) * kPageWidth + px) * 4 + 3] = g.coverage[static_cast<size_t>(gy) * g.bw + gx];
      }
  if (!writePng(pngPath, kPageWidth, pageHeight, rgba)) {
    std::fprintf(stderr, "fontbake: cannot write %s\n", pngPath.c_str());
    return 1;
  }

  FILE* j = std::fopen(jsonPath.c_str(), "w");
  if (!j) {
    std::perror(jsonPath.c_str());
    return 1;
  }
  std::fprintf(j, "{\n");
  std::fprintf(j, "  \"name\": \"fnt_ObjectPreview\",\n");
  std::fprintf(j, "  \"source\": \"%s\",\n", baseName(fontPath).c_str());
  std::fprintf(j, "  \"family\": \"%s\",\n", face->family_name ? face->family_name : "");
  std::fprintf(j, "  \"style\": \"%s\",\n", face->style_name ? face->style_name : "");
  std::fprintf(j, "  \"size\": %d,\n  \"dpi\": %d,\n", kPointSize, kDpi);
  std::fprintf(j, "  \"ascender\": %d,\n  \"descender\": %d,\n  \"lineHeight\": %d,\n", ascent, descent, lineHeight);
  std::fprintf(j, "  \"bold\": false,\n  \"italic\": false,\n  \"antialiased\": true,\n");
  std::fprintf(j, "  \"first\": %d,\n  \"last\": %d,\n", kFirst, kLast);
  std::fprintf(j, "  \"image\": \"%s\",\n", baseName(pngPath).c_str());
  std::fprintf(j, "  \"imageWidth\": %d,\n  \"imageHeight\": %d,\n", kPageWidth, pageHeight);
  std::fprintf(j, "  \"glyphs\": [\n");
  for (size_t i = 0; i < glyphs.size(); ++i) {
    const Glyph& g = glyphs[i];
    std::fprintf(j, "    {\"char\": %d, \"x\": %d, \"y\": %d, \"w\": %d, \"h\": %d, \"shift\": %d, \"offset\": %d}%s\n", g.code,
                 g.x, g.y, g.w, g.h, g.shift, g.offset, i + 1 < glyphs.size() ? "," : "");
  }
  std::fprintf(j, "  ]\n}\n");
  if (std::fclose(j) != 0) return 1;
  FT_Done_Face(face);
  FT_Done_FreeType(lib);
  return 0;
}
