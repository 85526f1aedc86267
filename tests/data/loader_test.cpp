// SPDX-License-Identifier: Zlib
// Loading a complete small game: what each chunk reader builds.
#include <cmath>

#include "LoaderFixture.h"
#include "code/CompiledCode.h"

namespace {

class SmallGameLoaded : public LoaderTest {
 protected:
  void SetUp() override {
    LoaderTest::SetUp();
    file = BuildSmallGame({}, &layout);
    ASSERT_TRUE(Load(file)) << error;
  }
  std::vector<uint8_t> file;
  SmallGameLayout layout;
};

TEST_F(SmallGameLoaded, HeaderWordsAndVersionParts) {
  const GameHeader& h = GameData_Get().header;
  EXPECT_EQ(h.flagByte, 1);
  EXPECT_EQ(h.formatVersion, 15);
  EXPECT_STREQ(h.fileName, "Small");
  EXPECT_STREQ(h.configName, "default");
  EXPECT_EQ(h.lastInstanceId, 100052u);
  EXPECT_EQ(h.counter, 10000000u);
  EXPECT_STREQ(h.gameName, "SmallGame");
  EXPECT_EQ(h.versionMajor, 2u);
  EXPECT_EQ(h.versionBuild, 3u);
  EXPECT_EQ(h.windowWidth, 320u);
  EXPECT_EQ(h.windowHeight, 240u);
  EXPECT_EQ(h.infoFlags, 0xB0u);
  EXPECT_EQ(h.extra[1], 8u);
  EXPECT_EQ(h.timestamp, 1700000000u);
  EXPECT_STREQ(h.Caption(), "Small caption ");
  EXPECT_EQ(h.value11, 11u);
  EXPECT_EQ(h.value12, 12u);
  EXPECT_EQ(h.value13, 13u);
  EXPECT_EQ(h.value14, 51268u);
  EXPECT_EQ(h.roomOrder, std::vector<int32_t>{0});
  EXPECT_FLOAT_EQ(h.gameSpeed, 30.0f);
  EXPECT_EQ(h.trailingValue, 1u);
}

TEST_F(SmallGameLoaded, OptionsMarkerFormAndConstants) {
  const GameOptions& o = GameData_Get().options;
  EXPECT_TRUE(o.markerForm);
  EXPECT_EQ(o.flags, 0x480214u);
  EXPECT_EQ(o.values[0], 1u);
  ASSERT_EQ(o.constants.size(), 2u);
  EXPECT_STREQ(o.constants[0].name, "@@SleepMargin");
  EXPECT_TRUE(o.hasSleepMargin);
  EXPECT_EQ(o.sleepMargin, 7);
  EXPECT_TRUE(o.hasDrawColour);
  EXPECT_EQ(o.drawColour, 4278190335u);
}

TEST_F(SmallGameLoaded, SoundsTakeTheirKindFromTheFlagsWord) {
  const SoundRecord* a = GameData_Sound(0);
  const SoundRecord* b = GameData_Sound(1);
  ASSERT_TRUE(a && b);
  EXPECT_STREQ(a->name, "snd_a");
  EXPECT_STREQ(a->fileName, "snd_a.ogg");
  EXPECT_EQ(a->type, nullptr);
  EXPECT_TRUE(a->streamed);
  EXPECT_TRUE(a->compressed);
  EXPECT_FALSE(b->streamed);
  EXPECT_FALSE(b->compressed);
  EXPECT_FLOAT_EQ(b->volume, 0.75f);
  EXPECT_EQ(a->audioIndex, -1);
  EXPECT_EQ(b->audioGroup, 1);
  EXPECT_EQ(GameData_Sound(2), nullptr);
  const auto& groups = GameData_Get().audioGroups;
  ASSERT_EQ(groups.size(), 2u);
  EXPECT_STREQ(groups[1].record, "audiogroup_music");
  ASSERT_EQ(GameData_Get().audio.size(), 1u);
  EXPECT_EQ(GameData_Get().audio[0].record.size, 3u);
  EXPECT_EQ(std::memcmp(GameData_Get().audio[0].record.bytes, "Ogg", 3), 0);
}

TEST_F(SmallGameLoaded, ThirteenPixelMaskTakesTwoBytesPerRowPaddedToTwentyEight) {
  const SpriteRecord* s = GameData_Sprite(0);
  ASSERT_NE(s, nullptr);
  EXPECT_STREQ(s->name, "spr_cross");
  EXPECT_EQ(s->MaskRowBytes(), 2u);
  EXPECT_EQ(s->MaskBytes(), 28u);
  ASSERT_EQ(s->maskCount, 1);
  // The next sprite record follows the 26 mask bytes and 2 bytes of padding.
  const uint8_t* after = s->masks + 28;
  uint32_t nextRecord;
  std::memcpy(&nextRecord, file.data() + layout.spriteSlot0 + 4, 4);
  EXPECT_EQ(after, file.data() + nextRecord);
  for (int v = 0; v < 13; ++v)
    for (int u = 0; u < 13; ++u) EXPECT_EQ(s->MaskBit(0, u, v), u == v) << u << "," << v;
  std::vector<uint8_t> unpacked = Sprite_UnpackMask(*s, 0);
  ASSERT_EQ(unpacked.size(), 169u);
  EXPECT_EQ(unpacked[12 * 13 + 12], 1);
  EXPECT_EQ(unpacked[12 * 13 + 11], 0);
}

TEST_F(SmallGameLoaded, ExtendedFormReadsThreeFramesThenOneMask) {
  const SpriteRecord* s = GameData_Sprite(1);
  ASSERT_NE(s, nullptr);
  EXPECT_TRUE(s->extendedForm);
  EXPECT_EQ(s->formatNumber, 1);
  EXPECT_FLOAT_EQ(s->playbackSpeed, 15.0f);
  EXPECT_EQ(s->frameCount, 3);
  ASSERT_EQ(s->frames.size(), 3u);
  for (int f = 0; f < 3; ++f) {
    const TexturePageEntry* e = GameData_TexturePageEntry(s->frames[f]);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->sourceX, f + 1);  // items 1 to 3
    EXPECT_EQ(e->textureId, 0);
  }
  EXPECT_EQ(s->maskCount, 1);
  EXPECT_EQ(s->masks, file.data() + layout.extendedMaskCount + 4);
  EXPECT_TRUE(s->MaskBit(0, 0, 2));
  EXPECT_TRUE(s->MaskBit(0, 9, 1));
  EXPECT_FALSE(s->MaskBit(0, 5, 1));
  EXPECT_EQ(s->bboxMode, 2);
  // The farthest corner from origin (0, 1) is (10, 3): sqrt(104) rounds up to 11.
  EXPECT_EQ(s->cullRadius, 11);
}

TEST_F(SmallGameLoaded, TexturePageIsDecodedToRgba) {
  const TexturePage* page = GameData_TexturePage(0);
  ASSERT_NE(page, nullptr);
  EXPECT_EQ(page->width, 16);
  EXPECT_EQ(page->height, 8);
  ASSERT_EQ(page->rgba.size(), 16u * 8 * 4);
  EXPECT_EQ(page->rgba[0], 0x10);
  EXPECT_EQ(page->rgba[1], 0x20);
  EXPECT_EQ(page->rgba[2], 0x40);
  EXPECT_EQ(page->rgba[page->rgba.size() - 1], 0x80);
  EXPECT_EQ(GameData_Get().texturePageEntries.size(), 5u);
  EXPECT_EQ(Log().find("what!!!!"), std::string::npos);
}

TEST_F(SmallGameLoaded, FontGlyphsAreSortedAndGiveTheLineHeight) {
  const FontRecord* f = GameData_Font(0);
  ASSERT_NE(f, nullptr);
  EXPECT_STREQ(f->name, "fnt_small");
  EXPECT_STREQ(f->displayName, "Some Face");
  EXPECT_EQ(f->size, 10);
  EXPECT_TRUE(f->italic);
  EXPECT_EQ(f->firstCharacter, 65u);
  EXPECT_EQ(f->charset, 1u);
  EXPECT_EQ(f->antialias, 1u);
  EXPECT_EQ(f->lastCharacter, 67u);
  EXPECT_FLOAT_EQ(f->scaleY, 2.0f);
  ASSERT_EQ(f->glyphs.size(), 3u);
  EXPECT_EQ(f->glyphs[0].character, 'A');
  EXPECT_EQ(f->glyphs[2].character, 'C');
  EXPECT_EQ(f->lineHeight, 7);
  const GlyphRecord* b = f->FindGlyph('B');
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(b->shift, 8);
  EXPECT_EQ(b->offset, -1);
  EXPECT_EQ(f->FindGlyph('D'), nullptr);
  const TexturePageEntry* e = GameData_TexturePageEntry(f->texturePageEntry);
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(e->sourceX, 4);
}

TEST_F(SmallGameLoaded, ObjectsAreFiledInTheCoreWithEventsAndParents) {
  ASSERT_EQ(Object_Count(), 3);
  CObjectType* base = Object_Get(0);
  CObjectType* child = Object_Get(1);
  CObjectType* plain = Object_Get(2);
  ASSERT_TRUE(base && child && plain);
  EXPECT_STREQ(base->name, "obj_base");
  EXPECT_EQ(base->spriteIndex, 0);
  EXPECT_TRUE(base->Visible());
  EXPECT_FALSE(base->Solid());
  EXPECT_TRUE(plain->Solid());
  EXPECT_FALSE(plain->Visible());
  EXPECT_TRUE(child->Persistent());
  EXPECT_EQ(child->maskIndex, 1);
  EXPECT_EQ(plain->depth, 20);
  EXPECT_EQ(child->parent, base);
  EXPECT_EQ(base->parent, nullptr);
  ASSERT_NE(base->FindOwnEvent(ev_create, 0), nullptr);
  EXPECT_EQ(base->FindOwnEvent(ev_create, 0)->codeIndex, 3);
  EXPECT_EQ(base->FindOwnEvent(ev_step, 0)->codeIndex, 4);
  EXPECT_EQ(base->FindOwnEvent(ev_draw, 0), nullptr);
  EXPECT_EQ(child->FindOwnEvent(ev_draw, 0)->codeIndex, 5);
  EXPECT_EQ(child->FindOwnEvent(ev_collision, 0)->codeIndex, 6);
  EXPECT_TRUE(plain->usesPhysics);
  ASSERT_EQ(plain->vertices.size(), 2u);
  EXPECT_FLOAT_EQ(plain->vertices[1].y, 2.0f);
  EXPECT_FLOAT_EQ(plain->friction, 0.3f);
}

TEST_F(SmallGameLoaded, ScriptsAreRegisteredWithTheirCodeIndexes) {
  ASSERT_EQ(Script_Count(), 3);
  EXPECT_STREQ(Script_Name(1), "scr_second");
  EXPECT_EQ(GameData_Get().scripts[2].record.codeIndex, 2);
  EXPECT_EQ(GameData_Get().globalInitCode, std::vector<int32_t>{9});
}

TEST_F(SmallGameLoaded, RoomHoldsViewsInstancesAndLayers) {
  const RoomRecord* r = GameData_Room(0);
  ASSERT_NE(r, nullptr);
  EXPECT_STREQ(r->name, "room_main");
  EXPECT_EQ(r->caption, nullptr);
  EXPECT_EQ(r->speed, 30);
  EXPECT_EQ(r->colour, 0x123456u);
  EXPECT_EQ(r->FormatNumber(), 2);
  EXPECT_FALSE(r->ViewsEnabled());
  EXPECT_TRUE(r->ViewClearsScreen());
  EXPECT_TRUE(r->backgrounds.empty());
  ASSERT_EQ(r->views.size(), 1u);
  EXPECT_EQ(r->views[0].portHeight, 240);
  EXPECT_EQ(r->views[0].followObject, -1);
  ASSERT_EQ(r->instances.size(), 2u);
  EXPECT_EQ(r->instances[0].id, 100001);
  EXPECT_EQ(r->instances[0].creationCode, 7);
  EXPECT_EQ(r->instances[1].x, 11);
  EXPECT_FLOAT_EQ(r->instances[1].scaleY, -2.0f);
  EXPECT_FLOAT_EQ(r->instances[1].rotation, 45.0f);
  EXPECT_FLOAT_EQ(r->gravityY, 10.0f);
  ASSERT_EQ(r->layers.size(), 2u);
  EXPECT_STREQ(r->layers[0].name, "Instances");
  EXPECT_EQ(r->layers[0].instanceIds, (std::vector<int32_t>{100000, 100001}));
  EXPECT_EQ(r->layers[1].depth, 250);
  EXPECT_EQ(r->layers[1].bgSprite, -1);
  EXPECT_EQ(r->layers[1].bgColour, 0xFF000000u);
}

TEST_F(SmallGameLoaded, EveryChunkIsLoggedWithItsSize) {
  EXPECT_NE(Log().find("Process Chunk: DAFL   0\n"), std::string::npos);
  EXPECT_NE(Log().find("Process Chunk: CODE   0\n"), std::string::npos);
  const GameData& data = GameData_Get();
  ASSERT_GE(data.chunks.size(), 25u);
  EXPECT_STREQ(data.chunks[0].tag, "GEN8");
  EXPECT_NE(Log().find("Process Chunk: GEN8   " + std::to_string(data.chunks[0].size) + "\n"), std::string::npos);
  EXPECT_EQ(Log().find("unknown Chunk"), std::string::npos);
}

TEST_F(LoaderTest, ZeroSizeChunksAreSkippedWithoutTheirReader) {
  // EMBI's reader refuses a body without version 1; at size 0 it is not called.
  SmallGameOptions o;
  o.emptyEmbi = true;
  ASSERT_TRUE(LoadKept(BuildSmallGame(o))) << error;
  EXPECT_NE(Log().find("Process Chunk: EMBI   0\n"), std::string::npos);
}

TEST_F(LoaderTest, ZeroOffsetEntryLeavesItsIndexEmpty) {
  SmallGameOptions o;
  o.firstSpriteAbsent = true;
  o.firstObjectAbsent = true;
  ASSERT_TRUE(LoadKept(BuildSmallGame(o))) << error;
  EXPECT_EQ(GameData_Sprite(0), nullptr);
  ASSERT_NE(GameData_Sprite(1), nullptr);
  EXPECT_STREQ(GameData_Sprite(1)->name, "spr_wide");
  EXPECT_FALSE(Object_Exists(0));
  EXPECT_STREQ(Object_Name(1), "obj_child");
  // obj_child's parent index 0 names no object now.
  EXPECT_EQ(Object_Get(1)->parent, nullptr);
}

TEST_F(LoaderTest, OlderOptionsLayoutSwitchesOneBitPerWord) {
  SmallGameOptions o;
  o.optionsMarker = false;
  o.optionFlags = 0x10 | 0x4;
  ASSERT_TRUE(LoadKept(BuildSmallGame(o))) << error;
  const GameOptions& options = GameData_Get().options;
  EXPECT_FALSE(options.markerForm);
  EXPECT_EQ(options.flags, 0x14u);
  EXPECT_EQ(options.sleepMargin, 7);
}

TEST_F(LoaderTest, OlderAudioSystemIgnoresGroupsAndEmbeddedIndexes) {
  SmallGameOptions o;
  o.optionFlags = 0x480204;  // the current-audio bit clear
  ASSERT_TRUE(LoadKept(BuildSmallGame(o))) << error;
  EXPECT_TRUE(GameData_Get().audioGroups.empty());
  ASSERT_NE(GameData_Sound(1), nullptr);
  EXPECT_EQ(GameData_Sound(1)->audioGroup, 0);
  EXPECT_EQ(GameData_Sound(1)->audioIndex, -1);
}

TEST_F(LoaderTest, EarlyFormatVersionsHaveNoPhysicsAndNoVersionTwoForms) {
  SmallGameOptions o;
  o.formatVersion = 5;
  o.versionMajor = 1;
  ASSERT_TRUE(LoadKept(BuildSmallGame(o))) << error;
  const GameHeader& h = GameData_Get().header;
  EXPECT_EQ(h.formatVersion, 5);
  EXPECT_FLOAT_EQ(h.gameSpeed, 30.0f);
  EXPECT_EQ(h.value14, 0u);
  EXPECT_FALSE(Object_Get(2)->usesPhysics);
  EXPECT_FLOAT_EQ(Object_Get(2)->friction, 0.2f);
  ASSERT_NE(GameData_Sprite(1), nullptr);
  EXPECT_EQ(GameData_Sprite(1)->frameCount, 3);
  EXPECT_FALSE(GameData_Room(0)->physicsWorld);
  EXPECT_EQ(GameData_Room(0)->layers.size(), 2u);
}

TEST_F(LoaderTest, HeaderPreScanFindsStringsAndHeader) {
  std::vector<uint8_t> file = BuildSmallGame();
  GameHeader header;
  GameOptions options;
  ASSERT_TRUE(GameData_ReadHeader(file.data(), file.size(), &header, &options, &error)) << error;
  EXPECT_NE(Log().find("ID_STRG\n"), std::string::npos);
  EXPECT_NE(Log().find("Get Header Information\n"), std::string::npos);
  EXPECT_EQ(header.windowWidth, 320u);
  EXPECT_STREQ(header.Caption(), "Small caption ");
  EXPECT_EQ(options.sleepMargin, 7);
  EXPECT_EQ(Log().find("Process Chunk"), std::string::npos);  // no chunk loop
  EXPECT_EQ(Object_Count(), 0);
}

TEST(GameHeaderCaption, DefaultsWhenTheDisplayNameIsAbsent) {
  GameHeader header;
  EXPECT_STREQ(header.Caption(), "Made with Pallador: Studio");
}

}  // namespace
