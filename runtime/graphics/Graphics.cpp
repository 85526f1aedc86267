// SPDX-License-Identifier: Zlib
// The graphics state record, set-up, and the resources built from the game
// data: texture pages, sprites, fonts and the default font.
#include "graphics/Graphics.h"

#include <algorithm>
#include <cmath>

#include "base/Console.h"
#include "data/PageDecoder.h"
#include "graphics/GraphicsState.h"

GraphicsState& Graphics_State() {
  static GraphicsState state;
  return state;
}

namespace {

void MakePageTexture(CTexturePage& page, const uint8_t* rgba, int width, int height, uint32_t flags) {
  GraphicsState& state = Graphics_State();
  page.width = width;
  page.height = height;
  page.texelWidth = width > 0 ? 1.0f / static_cast<float>(width) : 0.0f;
  page.texelHeight = height > 0 ? 1.0f / static_cast<float>(height) : 0.0f;
  page.ready = false;
  page.handle = TEXTURE_NONE;
  if (!state.renderer || !rgba || width <= 0 || height <= 0) return;
  page.handle = state.renderer->CreateTexture(rgba, width, height, flags);
  page.ready = page.handle != TEXTURE_NONE;
}

// Textures for every page that has none yet (resources may be built before
// the renderer exists). A page still on the page decoder's thread is taken
// when it is done, or at once when waiting. A page that fails to decode is
// marked and its message kept in the state.
void CreateMissingTextures(bool wait) {
  GraphicsState& state = Graphics_State();
  if (!state.renderer || !state.source) return;
  const auto& sourcePages = state.source->texturePages;
  for (size_t i = 0; i < state.pages.size() && i < sourcePages.size(); ++i) {
    CTexturePage& target = state.pages[i];
    if (target.ready || target.failed || !sourcePages[i].present) continue;
    const TexturePage& page = sourcePages[i].record;
    if (!page.decodePending) {
      if (page.rgba.size() != static_cast<size_t>(page.width) * static_cast<size_t>(page.height) * 4) continue;
      MakePageTexture(target, page.rgba.data(), page.width, page.height, page.flags);
      continue;
    }
    DecodedImage image;
    std::string message;
    PageDecodeResult result = PageDecoder_Take(page.png, wait, &image, &message);
    if (result == PageDecodeResult::Unknown) {
      // Nobody is decoding it (the decoder was stopped): decode it here.
      result = Png_DecodeRGBA(page.png, page.pngSize, &image, &message) ? PageDecodeResult::Decoded
                                                                           : PageDecodeResult::Failed;
    }
    if (result == PageDecodeResult::Decoded) {
      MakePageTexture(target, image.rgba.data(), image.width, image.height, page.flags);
      // The pixels are gone with `image`: a page the renderer refused is not
      // decoded again every frame. Its frames are not drawn.
      if (!target.ready) {
        target.failed = true;
        DebugConsole().Output("The renderer could not make a texture of page %zu\n", i);
      }
    } else if (result == PageDecodeResult::Failed) {
      target.failed = true;
      if (state.pageError.empty()) state.pageError = "page " + std::to_string(i) + ": " + message;
    }
  }
}

TexturePageEntry* EntryAt(int32_t index) {
  auto& entries = Graphics_State().entries;
  if (index < 0 || static_cast<size_t>(index) >= entries.size()) return nullptr;
  return &entries[static_cast<size_t>(index)];
}

}  // namespace

int32_t Sprite_CullRadius(int32_t width, int32_t height, int32_t xOrigin, int32_t yOrigin) {
  const double cornersX[4] = {0.0, static_cast<double>(width), 0.0, static_cast<double>(width)};
  const double cornersY[4] = {0.0, 0.0, static_cast<double>(height), static_cast<double>(height)};
  int32_t radius = 0;
  for (int i = 0; i < 4; ++i) {
    double dx = cornersX[i] - xOrigin, dy = cornersY[i] - yOrigin;
    radius = std::max(radius, static_cast<int32_t>(std::ceil(std::sqrt(dx * dx + dy * dy))));
  }
  return radius;
}

const GlyphRecord* CFontQz::FindGlyph(uint32_t character) const {
  size_t low = 0, high = glyphs.size();
  while (low < high) {
    size_t mid = low + (high - low) / 2;
    uint32_t code = glyphs[mid].character;
    if (code == character) return &glyphs[mid];
    if (code < character)
      low = mid + 1;
    else
      high = mid;
  }
  return nullptr;
}

void Graphics_Init(Renderer* renderer) {
  GraphicsState& state = Graphics_State();
  state.renderer = renderer;
  if (!renderer) return;
  renderer->SetBlend(Blend_FromMode(state.blendMode));
  CreateMissingTextures(false);
}

void Graphics_ResetState() {
  GraphicsState& state = Graphics_State();
  state.colour = state.defaultColour;
  state.alpha = static_cast<uint8_t>(state.defaultColour >> 24);
  state.font = -1;
  state.halign = 0;
  state.valign = 0;
  state.depthZ = 0;
  state.cornerId = false;
  if (state.blendMode != 0) Graphics_SetBlendMode(0);
}

bool Graphics_UpdatePages(bool wait, std::string* error) {
  GraphicsState& state = Graphics_State();
  CreateMissingTextures(wait);
  if (state.pageError.empty()) return true;
  if (error) *error = state.pageError;
  return false;
}

void Graphics_BuildResources(const GameData& data) {
  GraphicsState& state = Graphics_State();
  Batch_Flush();  // nothing drawn may point at the old resources
  state.source = &data;
  state.entries = data.texturePageEntries;
  state.pages.assign(data.texturePages.size(), CTexturePage{});
  state.pageError.clear();
  CreateMissingTextures(false);

  state.sprites.clear();
  state.sprites.resize(data.sprites.size());
  for (size_t i = 0; i < data.sprites.size(); ++i) {
    if (!data.sprites[i].present) continue;
    const SpriteRecord& record = data.sprites[i].record;
    auto sprite = std::make_unique<CSprite>();
    sprite->name = record.name ? record.name : "";
    sprite->frameCount = record.frameCount;
    sprite->width = record.width;
    sprite->height = record.height;
    sprite->xOrigin = record.originX;
    sprite->yOrigin = record.originY;
    sprite->kind = record.kind;
    sprite->cullRadius = Sprite_CullRadius(record.width, record.height, record.originX, record.originY);
    sprite->frames.reserve(record.frames.size());
    for (int32_t entry : record.frames) sprite->frames.push_back(EntryAt(entry));
    state.sprites[i] = std::move(sprite);
  }

  state.fonts.clear();
  state.fonts.resize(data.fonts.size());
  for (size_t i = 0; i < data.fonts.size(); ++i) {
    if (!data.fonts[i].present) continue;
    const FontRecord& record = data.fonts[i].record;
    auto font = std::make_unique<CFontQz>();
    font->name = record.name ? record.name : "";
    font->faceName = record.displayName ? record.displayName : "";
    font->size = record.size;
    font->bold = record.bold;
    font->italic = record.italic;
    font->firstCharacter = record.firstCharacter;
    font->lastCharacter = record.lastCharacter;
    font->region = EntryAt(record.texturePageEntry);
    font->scaleX = record.scaleX;
    font->scaleY = record.scaleY;
    font->glyphs = record.glyphs;
    std::sort(font->glyphs.begin(), font->glyphs.end(),
              [](const GlyphRecord& a, const GlyphRecord& b) { return a.character < b.character; });
    int32_t lineHeight = 0;
    for (const GlyphRecord& glyph : font->glyphs) lineHeight = std::max<int32_t>(lineHeight, glyph.height);
    font->lineHeight = lineHeight;
    font->glyphMargin = 0;
    state.fonts[i] = std::move(font);
  }

  state.defaultColour = data.options.hasDrawColour ? data.options.drawColour : DRAW_COLOUR_INITIAL;
  state.colour = state.defaultColour;
  state.alpha = static_cast<uint8_t>(state.defaultColour >> 24);
}

void Graphics_Shutdown() {
  GraphicsState& state = Graphics_State();
  Batch_Reset();
  state.renderer = nullptr;
  state.cursorSetter = nullptr;
  state.cursorChosen = CURSOR_ARROW;
  state.cursorShown = CURSOR_ARROW;
  state.source = nullptr;
  state.entries.clear();
  state.pages.clear();
  state.pageError.clear();
  state.sprites.clear();
  state.fonts.clear();
  state.defaultFont.reset();
  state.defaultFontPage = CTexturePage{};
  state.defaultColour = DRAW_COLOUR_INITIAL;
  state.blendMode = 0;
  state.cursor = 0;
  state.perspective = false;
  state.viewLeft = 0;
  state.viewTop = 0;
  state.viewRight = 1024;
  state.viewBottom = 768;
  Graphics_ResetState();
}

CSprite* Graphics_Sprite(int index) {
  auto& sprites = Graphics_State().sprites;
  if (index < 0 || static_cast<size_t>(index) >= sprites.size()) return nullptr;
  return sprites[static_cast<size_t>(index)].get();
}

int Graphics_SpriteCount() { return static_cast<int>(Graphics_State().sprites.size()); }

CFontQz* Graphics_Font(int index) {
  auto& fonts = Graphics_State().fonts;
  if (index < 0 || static_cast<size_t>(index) >= fonts.size()) return nullptr;
  return fonts[static_cast<size_t>(index)].get();
}

CFontQz* Graphics_DefaultFont() {
  GraphicsState& state = Graphics_State();
  if (!state.defaultFont) {
    auto font = std::make_unique<CFontQz>();
    std::vector<uint8_t> rgba;
    DefaultFont_Build(font.get(), &rgba);
    state.defaultFontRegion = TexturePageEntry{};
    state.defaultFontRegion.sourceWidth = DEFAULT_FONT_TEXTURE_WIDTH;
    state.defaultFontRegion.sourceHeight = DEFAULT_FONT_TEXTURE_HEIGHT;
    state.defaultFontRegion.targetWidth = DEFAULT_FONT_TEXTURE_WIDTH;
    state.defaultFontRegion.targetHeight = DEFAULT_FONT_TEXTURE_HEIGHT;
    state.defaultFontRegion.boundingWidth = DEFAULT_FONT_TEXTURE_WIDTH;
    state.defaultFontRegion.boundingHeight = DEFAULT_FONT_TEXTURE_HEIGHT;
    font->region = &state.defaultFontRegion;
    MakePageTexture(state.defaultFontPage, rgba.data(), DEFAULT_FONT_TEXTURE_WIDTH, DEFAULT_FONT_TEXTURE_HEIGHT, 0);
    state.defaultFont = std::move(font);
  } else if (!state.defaultFontPage.ready && state.renderer) {
    // Made before a renderer existed: give it its texture now.
    CFontQz scratch;
    std::vector<uint8_t> rgba;
    DefaultFont_Build(&scratch, &rgba);
    MakePageTexture(state.defaultFontPage, rgba.data(), DEFAULT_FONT_TEXTURE_WIDTH, DEFAULT_FONT_TEXTURE_HEIGHT, 0);
  }
  return state.defaultFont.get();
}

CFontQz* Graphics_CurrentFont() {
  CFontQz* font = Graphics_Font(Graphics_State().font);
  return font ? font : Graphics_DefaultFont();
}

void Graphics_SetView(float x, float y, float width, float height) {
  GraphicsState& state = Graphics_State();
  state.viewLeft = static_cast<int32_t>(std::floor(x));
  state.viewTop = static_cast<int32_t>(std::floor(y));
  state.viewRight = static_cast<int32_t>(std::floor(x + width));
  state.viewBottom = static_cast<int32_t>(std::floor(y + height));
}
