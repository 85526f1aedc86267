// SPDX-License-Identifier: Zlib
#include "GraphicsTestSupport.h"

#include <cstring>

#include "BuiltinCall.h"

#include "object/Instance.h"

namespace {

void FillRect(TexturePage& page, int x, int y, int w, int h, uint32_t rgba) {
  for (int row = y; row < y + h; ++row)
    for (int col = x; col < x + w; ++col) {
      uint8_t* p = page.rgba.data() + (static_cast<size_t>(row) * page.width + col) * 4;
      p[0] = rgba & 0xFF;
      p[1] = (rgba >> 8) & 0xFF;
      p[2] = (rgba >> 16) & 0xFF;
      p[3] = rgba >> 24;
    }
}

Slot<TexturePage> MakePage(int w, int h) {
  Slot<TexturePage> slot;
  slot.present = true;
  slot.record.width = w;
  slot.record.height = h;
  slot.record.rgba.assign(static_cast<size_t>(w) * h * 4, 0);
  return slot;
}

Slot<SpriteRecord> MakeSprite(const char* name, int w, int h, int ox, int oy, std::vector<int32_t> frames) {
  Slot<SpriteRecord> slot;
  slot.present = true;
  SpriteRecord& s = slot.record;
  s.name = name;
  s.width = w;
  s.height = h;
  s.originX = ox;
  s.originY = oy;
  s.frameCount = static_cast<int32_t>(frames.size());
  s.frames = std::move(frames);
  return slot;
}

GlyphRecord Glyph(uint16_t c, int x, int y, int w, int h, int shift, int offset) {
  GlyphRecord g;
  g.character = c;
  g.x = static_cast<int16_t>(x);
  g.y = static_cast<int16_t>(y);
  g.width = static_cast<int16_t>(w);
  g.height = static_cast<int16_t>(h);
  g.shift = static_cast<int16_t>(shift);
  g.offset = static_cast<int16_t>(offset);
  return g;
}

}  // namespace

int AddEntry(GameData& data, int sx, int sy, int sw, int sh, int tx, int ty, int tw, int th, int page) {
  TexturePageEntry e;
  e.sourceX = static_cast<int16_t>(sx);
  e.sourceY = static_cast<int16_t>(sy);
  e.sourceWidth = static_cast<int16_t>(sw);
  e.sourceHeight = static_cast<int16_t>(sh);
  e.targetX = static_cast<int16_t>(tx);
  e.targetY = static_cast<int16_t>(ty);
  e.targetWidth = static_cast<int16_t>(tw);
  e.targetHeight = static_cast<int16_t>(th);
  e.boundingWidth = static_cast<int16_t>(tw);
  e.boundingHeight = static_cast<int16_t>(th);
  e.texturePage = static_cast<int16_t>(page);
  e.textureId = page;
  data.texturePageEntries.push_back(e);
  return static_cast<int>(data.texturePageEntries.size()) - 1;
}

GameData MakeTestGameData() {
  GameData data;
  data.texturePages.push_back(MakePage(64, 64));
  data.texturePages.push_back(MakePage(16, 16));
  TexturePage& page0 = data.texturePages[0].record;
  FillRect(page0, 0, 0, 16, 8, 0xFF0000FF);    // red bar
  FillRect(page0, 16, 0, 16, 16, 0xFF00FF00);  // green square
  FillRect(page0, 32, 0, 8, 8, 0xFFFF0000);    // blue, trimmed frame
  FillRect(page0, 40, 0, 8, 8, 0xFFFFFFFF);
  FillRect(data.texturePages[1].record, 0, 0, 16, 16, 0xFFFFFFFF);

  int bar = AddEntry(data, 0, 0, 16, 8, 0, 0, 16, 8, 0);
  int square0 = AddEntry(data, 16, 0, 16, 16, 0, 0, 16, 16, 0);
  int square1 = AddEntry(data, 32, 0, 8, 8, 4, 4, 8, 8, 0);
  int square2 = AddEntry(data, 40, 0, 8, 8, 0, 0, 8, 8, 0);
  int fontRegion = AddEntry(data, 0, 32, 32, 16, 0, 0, 32, 16, 0);
  int other = AddEntry(data, 0, 0, 16, 16, 0, 0, 16, 16, 1);
  int zero = AddEntry(data, 0, 0, 16, 8, 0, 0, 0, 0, 0);

  data.sprites.push_back(MakeSprite("spr_bar", 16, 8, 0, 0, {bar}));
  data.sprites.push_back(MakeSprite("spr_square", 16, 16, 8, 8, {square0, square1, square2}));
  data.sprites.push_back(MakeSprite("spr_other", 16, 16, 0, 0, {other}));
  data.sprites.push_back(Slot<SpriteRecord>{});
  data.sprites.push_back(MakeSprite("spr_noframes", 4, 4, 0, 0, {}));
  data.sprites.push_back(MakeSprite("spr_zero", 16, 8, 0, 0, {zero}));

  Slot<FontRecord> plain;
  plain.present = true;
  plain.record.name = "fnt_plain";
  plain.record.texturePageEntry = fontRegion;
  plain.record.glyphs = {Glyph('#', 16, 0, 6, 10, 6, 0), Glyph('A', 0, 0, 6, 10, 7, 0), Glyph('B', 8, 0, 6, 10, 8, 1)};
  data.fonts.push_back(plain);
  Slot<FontRecord> replacement;
  replacement.present = true;
  replacement.record.name = "fnt_replacement";
  replacement.record.texturePageEntry = fontRegion;
  replacement.record.glyphs = {Glyph('A', 0, 0, 6, 10, 7, 0), Glyph(0x25AF, 24, 0, 6, 12, 5, 0)};
  data.fonts.push_back(replacement);
  return data;
}

void GraphicsTest::SetUp() {
  Console_SetDebug(&debugLog);
  previousCatch = Error_BeginCatch();
  Graphics_RegisterBuiltins();
  data = MakeTestGameData();
  Graphics_Init(&renderer);
  Graphics_BuildResources(data);
  renderer.ResetCounts();
}

void GraphicsTest::TearDown() {
  Graphics_Shutdown();
  Instance_DestroyAllNoEvents();
  Object_ClearAll();
  Error_EndCatch(previousCatch);
  Console_SetDebug(nullptr);
}

DynValue GraphicsTest::Str(const char* text) {
  DynValue v = DynValue_MakeUndefined();
  DynValue_InitString(&v, text);
  return v;
}

DynValue GraphicsTest::Call(const char* name, std::vector<DynValue> args, CInstance* self) {
  DynValue result = DynValue_MakeUndefined();
  std::vector<DynValue*> pointers;
  for (DynValue& v : args) pointers.push_back(&v);
  if (FindBuiltin(name, static_cast<int>(args.size()))) CallBuiltin(name, &result, pointers, self, self);
  for (DynValue& v : args) DynValue_Release(&v);
  return result;
}

bool GraphicsTest::TakeError(std::string* message) {
  bool caught = Error_State().caught;
  if (message) *message = Error_State().lastMessage;
  Error_State().caught = false;
  return caught;
}

const std::vector<Vertex>& GraphicsTest::Drawn() {
  Batch_Flush();
  return renderer.vertices;
}
