// SPDX-License-Identifier: Zlib
// A small but complete game data file written chunk by chunk in the order of
// the editor's data, with a few knobs for the variations the tests need, and
// the positions of the fields that tests damage on purpose.
#pragma once

#include "DataBuilder.h"

struct SmallGameOptions {
  uint8_t formatVersion = 15;
  uint32_t versionMajor = 2;
  bool optionsMarker = true;
  uint32_t optionsVersion = 2;
  uint64_t optionFlags = 0x480214;  // includes the current-audio bit (0x10)
  uint32_t embiVersion = 1;
  bool firstSpriteAbsent = false;
  bool firstObjectAbsent = false;
  bool emptyEmbi = false;  // EMBI of size 0
};

struct SmallGameLayout {
  size_t spriteListCount = 0;   // the SPRT list's count word
  size_t spriteSlot0 = 0;       // first SPRT list entry
  size_t extendedFrameCount = 0;  // frame count word of sprite 1 (extended form)
  size_t extendedMaskCount = 0;
  size_t tpagSlot0 = 0;
  size_t txtrPngOffset = 0;  // the PNG offset word of page 0
  size_t glyphCount = 0;
  size_t objectSlot1 = 0;
  size_t instanceListCount = 0;
  size_t roomFlags = 0;
  size_t gen8 = 0;  // body of GEN8
};

// Texture page of the small game: 16 x 8 pixels of one colour.
constexpr uint32_t SMALL_PAGE_PIXEL = 0x80402010u;  // R 0x10, G 0x20, B 0x40, A 0x80

inline std::vector<uint8_t> BuildSmallGame(const SmallGameOptions& o = {}, SmallGameLayout* layout = nullptr) {
  SmallGameLayout dummy;
  SmallGameLayout& L = layout ? *layout : dummy;
  DataBuilder b;

  // GEN8
  b.Begin("GEN8");
  L.gen8 = b.Pos();
  b.U32(1u | (uint32_t{o.formatVersion} << 8));
  b.Str("Small");
  b.Str("default");
  b.U32(100052);
  b.U32(10000000);
  b.U32(0);
  for (int i = 0; i < 4; ++i) b.U32(0);
  b.Str("SmallGame");
  b.U32(o.versionMajor);
  b.U32(1);
  b.U32(2);
  b.U32(3);
  b.U32(320);
  b.U32(240);
  b.U32(0xB0);
  b.U32(7);
  b.U32(8);
  for (int i = 0; i < 3; ++i) b.U32(0);
  b.U32(1700000000);
  b.U32(0);
  b.Str("Small caption ");
  if (o.formatVersion >= 11) {
    b.U32(11);
    b.U32(0);
  }
  if (o.formatVersion >= 12) {
    b.U32(12);
    b.U32(0);
  }
  if (o.formatVersion >= 13) b.U32(13);
  if (o.formatVersion >= 14) b.U32(51268);
  b.U32(1);  // room order
  b.U32(0);
  if (o.formatVersion >= 14)
    for (int i = 0; i < 10; ++i) b.U32(0);
  b.F32(30.0f);
  b.U32(1);
  for (int i = 0; i < 4; ++i) b.U32(0);
  b.End();

  // OPTN
  b.Begin("OPTN");
  if (o.optionsMarker) {
    b.U32(0x80000000u);
    b.U32(o.optionsVersion);
    b.U32(static_cast<uint32_t>(o.optionFlags));
    b.U32(static_cast<uint32_t>(o.optionFlags >> 32));
    for (int i = 0; i < 11; ++i) b.U32(i == 0 ? 1 : 0);
  } else {
    for (int i = 0; i < 32; ++i) b.U32((o.optionFlags >> i) & 1);
  }
  b.U32(2);
  b.Str("@@SleepMargin");
  b.Str("7");
  b.Str("@@DrawColour");
  b.Str("4278190335");
  b.End();

  b.Begin("LANG");
  b.U32(1);
  b.U32(0);
  b.U32(0);
  b.End();

  b.Begin("EXTN");
  b.U32(0);
  b.End();

  // SOND: two sounds, flags 100 and 101.
  b.Begin("SOND");
  {
    auto slots = b.List(2);
    const char* names[2] = {"snd_a", "snd_b"};
    for (int i = 0; i < 2; ++i) {
      b.PatchHere(slots[i]);
      b.Str(names[i]);
      b.U32(100 + i);
      b.U32(0);  // no type
      b.Str(std::string(names[i]) + ".ogg");
      b.U32(0);
      b.F32(0.5f + i * 0.25f);
      b.F32(1.0f);
      b.I32(i);
      b.I32(i == 0 ? -1 : 0);
    }
  }
  b.End();

  b.Begin("AGRP");
  {
    auto slots = b.List(2);
    b.PatchHere(slots[0]);
    b.Str("audiogroup_default");
    b.PatchHere(slots[1]);
    b.Str("audiogroup_music");
  }
  b.End();

  // SPRT: sprite 0 is 13 x 13 in the short form with one mask (a diagonal);
  // sprite 1 is 10 x 3 in the extended form with 3 frames and one mask.
  std::vector<size_t> frameSlots;  // patched with TPAG item offsets
  b.Begin("SPRT");
  {
    L.spriteListCount = b.Pos();
    auto slots = b.List(2);
    L.spriteSlot0 = slots[0];
    if (!o.firstSpriteAbsent) {
      b.PatchHere(slots[0]);
      b.Str("spr_cross");
      b.I32(13);
      b.I32(13);
      b.I32(0);   // left
      b.I32(12);  // right
      b.I32(12);  // bottom
      b.I32(0);   // top
      b.U32(1);
      b.U32(0);
      b.U32(1);
      b.I32(0);
      b.U32(0);  // one mask
      b.I32(6);
      b.I32(6);
      b.I32(1);  // frame count
      frameSlots.push_back(b.U32(0));
      b.U32(1);  // mask count
      for (int row = 0; row < 13; ++row) {
        uint16_t bits = static_cast<uint16_t>(0x8000u >> row);  // pixel (row, row)
        b.Byte(static_cast<uint8_t>(bits >> 8));
        b.Byte(static_cast<uint8_t>(bits));
      }
      b.Align4();
    }
    b.PatchHere(slots[1]);
    b.Str("spr_wide");
    b.I32(10);
    b.I32(3);
    b.I32(1);
    b.I32(8);
    b.I32(2);
    b.I32(0);
    b.U32(1);
    b.U32(0);
    b.U32(1);
    b.I32(2);
    b.U32(0);
    b.I32(0);
    b.I32(1);
    b.I32(-1);  // extended form
    b.I32(1);   // format number
    b.I32(0);   // bitmap
    if (o.versionMajor >= 2) {
      b.F32(15.0f);
      b.I32(0);
    }
    L.extendedFrameCount = b.I32(3);
    for (int f = 0; f < 3; ++f) frameSlots.push_back(b.U32(0));
    L.extendedMaskCount = b.U32(1);
    // 3 rows of 2 bytes: the left column and the right column set.
    for (int row = 0; row < 3; ++row) {
      b.Byte(0x80);
      b.Byte(0x40);
    }
    b.Align4();
  }
  b.End();

  b.Begin("BGND");
  b.U32(0);
  b.End();
  b.Begin("PATH");
  b.U32(0);
  b.End();

  b.Begin("SCPT");
  {
    auto slots = b.List(3);
    const char* names[3] = {"scr_first", "scr_second", "scr_third"};
    for (int i = 0; i < 3; ++i) {
      b.PatchHere(slots[i]);
      b.Str(names[i]);
      b.U32(i);
    }
  }
  b.End();

  b.Begin("GLOB");
  b.U32(1);
  b.U32(9);
  b.End();
  b.Begin("SHDR");
  b.U32(0);
  b.End();

  // FONT: one font with three glyphs stored out of character order.
  size_t fontTpagSlot = 0;
  b.Begin("FONT");
  {
    auto slots = b.List(1);
    b.PatchHere(slots[0]);
    b.Str("fnt_small");
    b.Str("Some Face");
    b.I32(10);
    b.U32(0);
    b.U32(1);
    b.U32(65u | (1u << 16) | (2u << 24));  // first 'A', charset 1, antialias 1
    b.U32(67);
    fontTpagSlot = b.U32(0);
    b.F32(1.0f);
    b.F32(2.0f);
    L.glyphCount = b.Pos();
    auto glyphs = b.List(3);
    const uint16_t codes[3] = {'C', 'A', 'B'};
    for (int i = 0; i < 3; ++i) {
      b.PatchHere(glyphs[i]);
      b.U16(codes[i]);
      b.U16(static_cast<uint16_t>(i * 4));
      b.U16(0);
      b.U16(4);
      b.U16(static_cast<uint16_t>(5 + i));  // heights 5, 6, 7
      b.U16(static_cast<uint16_t>(6 + i));  // shift
      b.U16(static_cast<uint16_t>(-1));     // offset -1
      b.U16(0);
    }
  }
  b.End();

  b.Begin("TMLN");
  b.U32(0);
  b.End();

  // OBJT: obj_base (sprite 0, Create 3, Step 4), obj_child (parent 0,
  // persistent, Draw 5, Collision with object 0 code 6), obj_plain.
  b.Begin("OBJT");
  {
    auto slots = b.List(3);
    L.objectSlot1 = slots[1];
    struct Ev {
      int type, subtype, code;
    };
    const std::vector<Ev> events[3] = {{{0, 0, 3}, {3, 0, 4}}, {{8, 0, 5}, {4, 0, 6}}, {}};
    const char* names[3] = {"obj_base", "obj_child", "obj_plain"};
    for (int i = 0; i < 3; ++i) {
      if (i == 0 && o.firstObjectAbsent) continue;
      b.PatchHere(slots[i]);
      b.Str(names[i]);
      b.I32(i == 0 ? 0 : -1);  // sprite
      b.U32(i != 2);           // visible
      b.U32(i == 2);           // solid
      b.I32(i * 10);           // depth
      b.U32(i == 1);           // persistent
      b.I32(i == 1 ? 0 : -100);
      b.I32(i == 1 ? 1 : -1);  // mask
      if (o.formatVersion >= 6) {
        b.U32(i == 2);
        b.U32(0);
        b.I32(1);
        b.F32(0.5f);
        b.F32(0.1f);
        b.I32(0);
        b.F32(0.1f);
        b.F32(0.1f);
        b.I32(i == 2 ? 2 : 0);  // vertex count
        if (o.formatVersion >= 9) {
          b.F32(0.3f);
          b.U32(1);
          b.U32(0);
        }
        for (int v = 0; v < (i == 2 ? 2 : 0); ++v) {
          b.F32(float(v));
          b.F32(float(v * 2));
        }
      }
      auto types = b.List(14);
      for (int t = 0; t < 14; ++t) {
        b.PatchHere(types[t]);
        std::vector<Ev> mine;
        for (const Ev& e : events[i])
          if (e.type == t) mine.push_back(e);
        auto evSlots = b.List(mine.size());
        for (size_t e = 0; e < mine.size(); ++e) {
          b.PatchHere(evSlots[e]);
          b.U32(mine[e].subtype);
          auto actions = b.List(1);
          b.PatchHere(actions[0]);
          for (int w = 0; w < 14; ++w) b.U32(w == 8 ? mine[e].code : 0);
        }
      }
    }
  }
  b.End();

  // ROOM: one room, no backgrounds, one view, two instances, two layers.
  b.Begin("ROOM");
  {
    auto slots = b.List(1);
    b.PatchHere(slots[0]);
    b.Str("room_main");
    b.U32(0);  // no caption
    b.I32(320);
    b.I32(240);
    b.I32(30);
    b.U32(0);
    b.U32(0x123456);
    b.U32(1);
    b.I32(-1);
    L.roomFlags = b.U32((2u << 16) | 2u);
    size_t bg = b.U32(0), views = b.U32(0), inst = b.U32(0), tiles = b.U32(0);
    if (o.formatVersion >= 6) {
      b.U32(0);
      b.I32(0);
      b.I32(0);
      b.I32(320);
      b.I32(240);
      b.F32(0.0f);
      b.F32(10.0f);
      b.F32(0.1f);
    }
    size_t layers = b.U32(0);
    b.PatchHere(bg);
    b.U32(0);
    b.PatchHere(views);
    auto v = b.List(1);
    b.PatchHere(v[0]);
    b.U32(1);
    for (int w : {0, 0, 320, 240, 0, 0, 320, 240, 32, 32, -1, -1, -1}) b.I32(w);
    b.PatchHere(inst);
    L.instanceListCount = b.Pos();
    auto is = b.List(2);
    for (int i = 0; i < 2; ++i) {
      b.PatchHere(is[i]);
      b.I32(10 + i);
      b.I32(20 + i);
      b.I32(i);
      b.I32(100001 - i);
      b.I32(i == 0 ? 7 : -1);
      b.F32(1.5f);
      b.F32(-2.0f);
      b.U32(0xFFFFFFFFu);
      b.F32(45.0f);
    }
    b.PatchHere(tiles);
    b.U32(0);
    b.PatchHere(layers);
    auto ls = b.List(2);
    b.PatchHere(ls[0]);
    b.Str("Instances");
    b.I32(0);
    b.I32(2);
    b.I32(0);
    for (int w = 0; w < 4; ++w) b.F32(0.0f);
    b.U32(1);
    b.U32(2);
    b.I32(100000);
    b.I32(100001);
    b.PatchHere(ls[1]);
    b.Str("Background");
    b.I32(1);
    b.I32(1);
    b.I32(250);
    for (int w = 0; w < 4; ++w) b.F32(0.0f);
    b.U32(1);
    b.U32(1);
    b.U32(0);
    b.I32(-1);
    b.U32(0);
    b.U32(0);
    b.U32(0);
    b.U32(0xFF000000u);
    b.I32(0);
    b.F32(15.0f);
    b.I32(0);
  }
  b.End();

  b.Empty("DAFL");
  if (o.emptyEmbi) {
    b.Empty("EMBI");
  } else {
    b.Begin("EMBI");
    b.U32(o.embiVersion);
    b.U32(0);
    b.End();
  }

  // TPAG: item 0 for sprite 0, items 1-3 for sprite 1's frames, item 4 for
  // the font.
  b.Begin("TPAG");
  {
    auto slots = b.List(5);
    L.tpagSlot0 = slots[0];
    std::vector<uint32_t> itemAt;
    for (int i = 0; i < 5; ++i) {
      b.PatchHere(slots[i]);
      itemAt.push_back(static_cast<uint32_t>(b.Pos()));
      const uint16_t fields[11] = {uint16_t(i), 0, 4, 4, 0, 0, 4, 4, 13, 13, 0};
      for (uint16_t f : fields) b.U16(f);
    }
    b.Align4();
    if (!o.firstSpriteAbsent) b.Patch(frameSlots[0], itemAt[0]);
    size_t first = o.firstSpriteAbsent ? 0 : 1;
    for (int f = 0; f < 3; ++f) b.Patch(frameSlots[first + f], itemAt[1 + f]);
    b.Patch(fontTpagSlot, itemAt[4]);
  }
  b.End();

  b.Empty("CODE");
  b.Empty("VARI");
  b.Empty("FUNC");

  b.Begin("TXTR");
  {
    auto slots = b.List(1);
    b.PatchHere(slots[0]);
    b.U32(0);
    L.txtrPngOffset = b.U32(0);
    b.U32(0);
    b.PatchHere(L.txtrPngOffset);
    for (uint8_t byte : MakePng(16, 8, SMALL_PAGE_PIXEL)) b.Byte(byte);
  }
  b.End();

  b.Begin("AUDO");
  {
    auto slots = b.List(1);
    b.PatchHere(slots[0]);
    b.U32(3);
    b.Byte('O');
    b.Byte('g');
    b.Byte('g');
  }
  b.End();

  return b.Finish();
}
