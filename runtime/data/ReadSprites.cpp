// SPDX-License-Identifier: Zlib
// Sprites (SPRT) with their frames and collision masks, texture-page items
// (TPAG), the PNG texture pages (TXTR) and fonts with their glyphs (FONT).
#include <algorithm>
#include <cmath>

#include "base/Console.h"
#include "data/ChunkReaders.h"
#include "data/PageDecoder.h"
#include "data/PngDecode.h"

namespace {

constexpr int32_t SPRITE_EXTENDED_MARK = -1;
constexpr int32_t SPRITE_FORMAT = 1;
constexpr int32_t SPRITE_KIND_BITMAP = 0;
constexpr size_t TPAG_ITEM_BYTES = 22;
constexpr size_t KERNING_PAIR_BYTES = 4;  // other character, amount (two i16)

int32_t CullRadius(const SpriteRecord& s) {
  const double corners[4][2] = {{0, 0}, {double(s.width), 0}, {0, double(s.height)}, {double(s.width), double(s.height)}};
  int32_t radius = 0;
  for (const auto& corner : corners) {
    double dx = corner[0] - s.originX, dy = corner[1] - s.originY;
    radius = std::max(radius, static_cast<int32_t>(std::ceil(std::sqrt(dx * dx + dy * dy))));
  }
  return radius;
}

bool ReadSprite(LoadContext& ctx, size_t index, uint32_t offset, SpriteRecord* s) {
  DataCursor c(ctx.file, offset);
  s->name = c.String();
  s->width = c.I32();
  s->height = c.I32();
  s->bboxLeft = c.I32();
  s->bboxRight = c.I32();
  s->bboxBottom = c.I32();
  s->bboxTop = c.I32();
  s->transparent = c.Bool();
  s->smooth = c.Bool();
  s->preload = c.Bool();
  s->bboxMode = c.I32();
  s->separateMasks = c.Bool();
  s->originX = c.I32();
  s->originY = c.I32();
  int32_t word14 = c.I32();
  if (!c.ok()) return ctx.Fail("sprite %zu: the record or its name lies outside the file", index);
  if (s->width < 0 || s->height < 0 || s->width > MAX_SPRITE_SIDE || s->height > MAX_SPRITE_SIDE)
    return ctx.Fail("sprite %zu (%s): size %d x %d is out of range", index, s->name, s->width, s->height);
  s->cullRadius = CullRadius(*s);
  int32_t frames = word14;
  if (word14 == SPRITE_EXTENDED_MARK) {
    s->extendedForm = true;
    s->formatNumber = c.I32();
    s->kind = c.I32();
    if (ctx.VersionMajor() >= 2) {
      s->playbackSpeed = c.F32();
      s->playbackSpeedType = c.I32();
    }
    if (!c.ok()) return ctx.Fail("sprite %zu (%s): the extended form runs past the end of the file", index, s->name);
    if (s->formatNumber != SPRITE_FORMAT)
      return ctx.Fail("sprite %zu (%s): unknown sprite format %d", index, s->name, s->formatNumber);
    // Vector and skeleton sprites carry data of their own that this runtime
    // does not draw; they load as sprites without frames.
    if (s->kind != SPRITE_KIND_BITMAP) return true;
    frames = c.I32();
  }
  if (frames < 0) return ctx.Fail("sprite %zu (%s): frame count %d", index, s->name, frames);
  if (!c.ok() || !ctx.file.HasArray(c.pos(), static_cast<uint32_t>(frames), 4))
    return ctx.Fail("sprite %zu (%s): %d frames run past the end of the file", index, s->name, frames);
  if (!ctx.Spend(2 * uint64_t(frames))) return false;
  s->frameCount = frames;
  s->frameOffsets.resize(frames);
  for (int32_t f = 0; f < frames; ++f) s->frameOffsets[f] = c.U32();
  uint32_t maskCount = c.U32();
  if (!c.ok()) return ctx.Fail("sprite %zu (%s): the mask count lies outside the file", index, s->name);
  // One mask per frame with separate masks, else one; a sprite without
  // frames may carry none.
  if (maskCount > static_cast<uint32_t>(std::max(frames, 1)))
    return ctx.Fail("sprite %zu (%s): %u masks for %d frames", index, s->name, maskCount, frames);
  if (!ctx.file.HasArray(c.pos(), maskCount, s->MaskBytes()))
    return ctx.Fail("sprite %zu (%s): %u masks of %zu bytes run past the end of the file", index, s->name, maskCount,
                    s->MaskBytes());
  s->maskCount = static_cast<int32_t>(maskCount);
  s->masks = maskCount > 0 ? ctx.file.base + c.pos() : nullptr;
  return true;
}

bool ReadGlyph(LoadContext& ctx, size_t font, uint32_t index, uint32_t offset, GlyphRecord* g) {
  DataCursor c(ctx.file, offset);
  g->character = c.U16();
  g->x = c.I16();
  g->y = c.I16();
  g->width = c.I16();
  g->height = c.I16();
  g->shift = c.I16();
  g->offset = c.I16();
  g->kerningCount = c.U16();
  g->fileOffset = offset;
  if (!c.ok() || !ctx.file.HasArray(c.pos(), g->kerningCount, KERNING_PAIR_BYTES))
    return ctx.Fail("font %zu: glyph %u lies outside the file", font, index);
  return true;
}

bool ReadFont(LoadContext& ctx, size_t index, uint32_t offset, FontRecord* f) {
  DataCursor c(ctx.file, offset);
  f->name = c.String();
  f->displayName = c.String(true);
  f->size = c.I32();
  f->bold = c.Bool();
  f->italic = c.Bool();
  uint32_t word5 = c.U32();
  f->firstCharacter = word5 & 0xFFFF;
  f->charset = (word5 >> 16) & 0xFF;
  uint32_t aa = word5 >> 24;
  f->antialias = aa > 0 ? aa - 1 : 0;
  f->lastCharacter = c.U32();
  f->tpagOffset = c.U32();
  f->scaleX = c.F32();
  f->scaleY = c.F32();
  uint32_t glyphs = c.Count(4);
  if (!c.ok()) return ctx.Fail("font %zu: the record or its glyph list lies outside the file", index);
  if (!ctx.Spend(glyphs)) return false;
  f->glyphs.resize(glyphs);
  int32_t lineHeight = 0;
  for (uint32_t i = 0; i < glyphs; ++i) {
    uint32_t glyphOffset = c.U32();
    if (glyphOffset == 0) return ctx.Fail("font %zu: glyph %u has no record", index, i);
    if (!ReadGlyph(ctx, index, i, glyphOffset, &f->glyphs[i])) return false;
    lineHeight = std::max<int32_t>(lineHeight, f->glyphs[i].height);
  }
  f->lineHeight = lineHeight;
  std::stable_sort(f->glyphs.begin(), f->glyphs.end(),
                   [](const GlyphRecord& a, const GlyphRecord& b) { return a.character < b.character; });
  return true;
}

}  // namespace

bool Chunk_SPRT(LoadContext& ctx, size_t body, uint32_t) {
  std::vector<uint32_t> offsets;
  if (!ctx.ReadList(body, "sprite", &offsets)) return false;
  auto& sprites = ctx.data->sprites;
  sprites.assign(offsets.size(), {});
  for (size_t i = 0; i < offsets.size(); ++i) {
    if (offsets[i] == 0) continue;
    if (!ReadSprite(ctx, i, offsets[i], &sprites[i].record)) return false;
    sprites[i].present = true;
  }
  return true;
}

// TPAG: the items are read now and found again by their offset; items that
// the list does not name are read on demand when something refers to them.
bool Chunk_TPAG(LoadContext& ctx, size_t body, uint32_t) {
  std::vector<uint32_t> offsets;
  if (!ctx.ReadList(body, "texture-page item", &offsets)) return false;
  for (size_t i = 0; i < offsets.size(); ++i) {
    if (offsets[i] == 0) continue;
    if (!ctx.file.Has(offsets[i], TPAG_ITEM_BYTES) || ctx.TexturePageItem(offsets[i]) < 0)
      return ctx.Fail("item %zu at offset %u lies outside the file", i, offsets[i]);
  }
  return true;
}

// TXTR: each entry is {flags, PNG offset, 0}; each PNG becomes one page of
// RGBA pixels. Then every item's page index is checked against the pages.
bool Chunk_TXTR(LoadContext& ctx, size_t body, uint32_t) {
  std::vector<uint32_t> offsets;
  if (!ctx.ReadList(body, "texture page", &offsets)) return false;
  auto& pages = ctx.data->texturePages;
  pages.assign(offsets.size(), {});
  for (size_t i = 0; i < offsets.size(); ++i) {
    if (offsets[i] == 0) continue;
    if (!ctx.file.Has(offsets[i], TXTR_ENTRY_BYTES)) return ctx.Fail("page %zu: the entry lies outside the file", i);
    TexturePage& page = pages[i].record;
    page.flags = ctx.file.U32At(offsets[i]);
    page.pngOffset = ctx.file.U32At(offsets[i] + 4);
    if (page.pngOffset == 0 || page.pngOffset >= ctx.file.size)
      return ctx.Fail("page %zu: the PNG offset %u lies outside the file", i, page.pngOffset);
    page.png = ctx.file.base + page.pngOffset;
    page.pngSize = ctx.file.size - page.pngOffset;
    std::string message;
    if (PageDecoder_Has(page.png)) {
      // Being decoded on the page decoder's thread: only the header is read here.
      if (!Png_ReadSize(page.png, page.pngSize, &page.width, &page.height, &message))
        return ctx.Fail("page %zu: %s", i, message.c_str());
      page.decodePending = true;
    } else {
      DecodedImage image;
      if (!Png_DecodeRGBA(page.png, page.pngSize, &image, &message)) return ctx.Fail("page %zu: %s", i, message.c_str());
      page.width = image.width;
      page.height = image.height;
      page.rgba = std::move(image.rgba);
    }
    pages[i].present = true;
  }
  for (TexturePageEntry& entry : ctx.data->texturePageEntries) {
    if (entry.texturePage >= 0 && static_cast<size_t>(entry.texturePage) < pages.size() &&
        pages[entry.texturePage].present)
      entry.textureId = entry.texturePage;
    else
      DebugConsole().Output("what!!!!\n");
  }
  return true;
}

bool Chunk_FONT(LoadContext& ctx, size_t body, uint32_t) {
  std::vector<uint32_t> offsets;
  if (!ctx.ReadList(body, "font", &offsets)) return false;
  auto& fonts = ctx.data->fonts;
  fonts.assign(offsets.size(), {});
  for (size_t i = 0; i < offsets.size(); ++i) {
    if (offsets[i] == 0) continue;
    if (!ReadFont(ctx, i, offsets[i], &fonts[i].record)) return false;
    fonts[i].present = true;
  }
  return true;
}

bool Data_ResolveTexturePageItems(LoadContext& ctx) {
  GameData& data = *ctx.data;
  for (size_t i = 0; i < data.sprites.size(); ++i) {
    SpriteRecord& s = data.sprites[i].record;
    s.frames.assign(s.frameOffsets.size(), -1);
    for (size_t f = 0; f < s.frameOffsets.size(); ++f) {
      int32_t item = ctx.TexturePageItem(s.frameOffsets[f]);
      if (item == -2) return ctx.Fail("sprite %zu frame %zu: item offset %u lies outside the file", i, f, s.frameOffsets[f]);
      s.frames[f] = item;
    }
  }
  for (size_t i = 0; i < data.fonts.size(); ++i) {
    FontRecord& f = data.fonts[i].record;
    if (!data.fonts[i].present) continue;
    f.texturePageEntry = ctx.TexturePageItem(f.tpagOffset);
    if (f.texturePageEntry == -2) return ctx.Fail("font %zu: item offset %u lies outside the file", i, f.tpagOffset);
  }
  for (size_t i = 0; i < data.embeddedImages.size(); ++i) {
    EmbeddedImage& image = data.embeddedImages[i];
    image.texturePageEntry = ctx.TexturePageItem(image.tpagOffset);
    if (image.texturePageEntry == -2)
      return ctx.Fail("embedded image %zu: item offset %u lies outside the file", i, image.tpagOffset);
  }
  return true;
}
