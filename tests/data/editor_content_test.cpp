// SPDX-License-Identifier: Zlib
// Packs the editor's manifest and loads the result: every row of the object,
// sprite, room and sound tables must come back from the loader as
// documented. The art is the repository's own when it is all present;
// otherwise frames of the right sizes are drawn into a scratch folder so the
// tables can still be checked (the log says which was used).
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <filesystem>
#include <fstream>

#include "EditorTables.h"
#include "Manifest.h"
#include "Pack.h"
#include "PngFiles.h"
#include "base/Console.h"
#include "code/CompiledCode.h"
#include "data/GameData.h"
#include "object/Object.h"

namespace fs = std::filesystem;

namespace {

// The last code index of the documented content: the room's creation code
// ksl_RoomCC_room0_20_Create.
constexpr int kLastDocumentedCodeIndex = 141;

// Events added to the documented objects since: the save button keeps the
// unsaved work at the game's end and keeps the undo history (begin and end of
// each step), the knobs take their press before any widget sees it, and the
// text boxes pass Tab on at the end of a step.
struct AddedEvent {
  const char* object;
  int type;
  int subtype;
};
const AddedEvent kAddedEvents[] = {
    {"obj_SaveData", ev_other, ev_game_end},   {"obj_SaveData", ev_step, ev_step_begin},
    {"obj_SaveData", ev_step, ev_step_end},    {"obj_ObjectRotator", ev_step, ev_step_begin},
    {"obj_ObjectResizer", ev_step, ev_step_begin}, {"obj_textbox", ev_step, ev_step_end},
};

const std::string kManifest = std::string(MOB_SOURCE_DIR) + "/editor/game.json";

void WritePng(const fs::path& path, int w, int h, const std::vector<uint8_t>& rgba) {
  std::string error;
  ASSERT_TRUE(media::Png_Write(path.string(), rgba.data(), w, h, &error)) << error;
}

// Frame f of a w x h sprite: an ellipse that shrinks with f, so frames and
// their masks differ.
std::vector<uint8_t> DrawFrame(int w, int h, int f) {
  std::vector<uint8_t> rgba(static_cast<size_t>(w) * h * 4, 0);
  double rx = w / 2.0 - f, ry = h / 2.0 - f;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      double dx = (x + 0.5 - w / 2.0) / std::max(rx, 0.5), dy = (y + 0.5 - h / 2.0) / std::max(ry, 0.5);
      if (dx * dx + dy * dy <= 1.0) {
        uint8_t* p = &rgba[(static_cast<size_t>(y) * w + x) * 4];
        p[0] = p[1] = p[2] = p[3] = 255;
      }
    }
  return rgba;
}

bool RealArtPresent(const mob::Manifest& m) {
  for (const auto& s : m.sprites)
    for (int f = 0; f < s.frames; ++f)
      if (!fs::exists(m.Resolve(s.art + "/" + std::to_string(f) + ".png"))) return false;
  for (const auto& font : m.fonts)
    if (!fs::exists(m.Resolve(font.image)) || !fs::exists(m.Resolve(font.glyphs))) return false;
  return true;
}

// Draws stand-in art under `dir` and points the manifest there.
void DrawStandInArt(mob::Manifest* m, const fs::path& dir) {
  for (auto& s : m->sprites) {
    fs::create_directories(dir / s.art);
    for (int f = 0; f < s.frames; ++f)
      WritePng(dir / s.art / (std::to_string(f) + ".png"), s.width, s.height, DrawFrame(s.width, s.height, f));
  }
  for (auto& font : m->fonts) {
    fs::create_directories((dir / font.image).parent_path());
    WritePng(dir / font.image, 128, 128, DrawFrame(128, 128, 0));
    std::ofstream glyphs(dir / font.glyphs);
    glyphs << "[";
    for (int c = font.first; c <= font.last; ++c) {
      int i = c - font.first;
      glyphs << (i ? "," : "") << "{\"char\":" << c << ",\"x\":" << (i % 16) * 8 << ",\"y\":" << (i / 16) * 12
             << ",\"w\":7,\"h\":" << 9 + (c % 3) << ",\"shift\":8,\"offset\":0}";
    }
    glyphs << "]";
  }
  m->baseDir = dir.string() + "/";
}

class EditorContent : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    mob::Manifest manifest;
    std::string error;
    ASSERT_TRUE(mob::Manifest_Load(kManifest, &manifest, &error)) << error;
    if (!RealArtPresent(manifest)) {
      fs::path dir = fs::temp_directory_path() / ("mob_content_art_" + std::to_string(::getpid()));
      DrawStandInArt(&manifest, dir);
      std::printf("[ note     ] editor art not complete yet: packing stand-in frames from %s\n", dir.c_str());
    }
    packed = new std::vector<uint8_t>;
    ASSERT_TRUE(pack::Pack_Build(manifest, packed, &error, &stats)) << error;
  }
  static void TearDownTestSuite() {
    delete packed;
    packed = nullptr;
  }
  void SetUp() override {
    ASSERT_NE(packed, nullptr);
    Console_SetDebug(&log);
    std::string error;
    ASSERT_TRUE(GameData_Load(packed->data(), packed->size(), &error)) << error;
  }
  void TearDown() override {
    GameData_Clear();
    Console_SetDebug(nullptr);
  }
  static int SpriteIndex(const char* name) {
    if (!name) return -1;
    for (const SpriteRow& row : kSprites)
      if (std::strcmp(row.name, name) == 0) return row.index;
    ADD_FAILURE() << "no sprite " << name;
    return -2;
  }
  static int ObjectIndex(const char* name) {
    for (const ObjectRow& row : kObjects)
      if (std::strcmp(row.name, name) == 0) return row.index;
    ADD_FAILURE() << "no object " << name;
    return -2;
  }

  static std::vector<uint8_t>* packed;
  static pack::PackStats stats;
  TErrStreamConsole log;
};

std::vector<uint8_t>* EditorContent::packed = nullptr;
pack::PackStats EditorContent::stats;

TEST_F(EditorContent, ChunksComeInTheDocumentedOrder) {
  const char* order[] = {"GEN8", "OPTN", "LANG", "EXTN", "SOND", "AGRP", "SPRT", "BGND", "PATH",
                         "SCPT", "GLOB", "SHDR", "FONT", "TMLN", "OBJT", "ROOM", "DAFL", "EMBI",
                         "TPAG", "CODE", "VARI", "FUNC", "STRG", "TXTR", "AUDO"};
  const auto& chunks = GameData_Get().chunks;
  ASSERT_EQ(chunks.size(), std::size(order));
  for (size_t i = 0; i < chunks.size(); ++i) EXPECT_STREQ(chunks[i].tag, order[i]);
  // Sizes that do not depend on the art match the documented ones, with what
  // the editor added since: per added script an offset and its record (12
  // bytes) in SCPT and its name in STRG; per added event (kAddedEvents) an
  // event list entry with its one event and action, 72 bytes, in OBJT.
  const uint32_t addedScripts = static_cast<uint32_t>(GameData_Get().scripts.size()) - 3;
  const std::map<std::string, uint32_t> sizes = {{"GEN8", 200}, {"OPTN", 80}, {"LANG", 12},  {"EXTN", 4},
                                                 {"SOND", 324}, {"AGRP", 12}, {"BGND", 4},
                                                 {"SCPT", 40 + 12 * addedScripts},
                                                 {"OBJT", 16700 + 72 * static_cast<uint32_t>(std::size(kAddedEvents))}, {"ROOM", 2968}, {"DAFL", 0}, {"EMBI", 8},
                                                 {"TPAG", 4088}, {"CODE", 0}, {"AUDO", 4}};
  for (const ChunkInfo& chunk : chunks)
    if (sizes.count(chunk.tag)) {
      EXPECT_EQ(chunk.size, sizes.at(chunk.tag)) << chunk.tag;
    }
  EXPECT_EQ(stats.strings, 124 + static_cast<int>(addedScripts));  // STRG: every distinct name and text once
}

TEST_F(EditorContent, GeneralSettings) {
  const GameData& d = GameData_Get();
  EXPECT_STREQ(d.header.gameName, "Mobwright");
  EXPECT_STREQ(d.header.fileName, "Mobwright");
  EXPECT_STREQ(d.header.configName, "default");
  EXPECT_STREQ(d.header.Caption(), "Mobwright Studio| Tindra ");
  EXPECT_EQ(d.header.windowWidth, 1024u);
  EXPECT_EQ(d.header.windowHeight, 768u);
  EXPECT_EQ(d.header.lastInstanceId, 100052u);
  EXPECT_EQ(d.header.formatVersion, 15);
  EXPECT_EQ(d.header.versionMajor, 2u);
  EXPECT_EQ(d.header.infoFlags, 0xB0u);
  EXPECT_EQ(d.header.value14, 51268u);
  EXPECT_EQ(d.header.roomOrder, std::vector<int32_t>{0});
  EXPECT_FLOAT_EQ(d.header.gameSpeed, 60.0f);
  EXPECT_EQ(d.options.flags, 0x480214u);
  EXPECT_EQ(d.options.sleepMargin, 10);
  EXPECT_EQ(d.options.drawColour, 0xFFFFFFFFu);
  ASSERT_EQ(d.audioGroups.size(), 1u);
  EXPECT_STREQ(d.audioGroups[0].record, "audiogroup_default");
  // The three documented scripts keep their places and code indices 0 to 2;
  // the scripts the editor gained since (its work record, loading, recovery)
  // follow them, with code indices after every documented one (the last of
  // those is 141), so no documented index moves.
  ASSERT_GT(d.scripts.size(), 3u);
  const char* scripts[] = {"loadFrame", "fileDelete", "script_2"};
  for (int i = 0; i < 3; ++i) {
    EXPECT_STREQ(d.scripts[i].record.name, scripts[i]);
    EXPECT_EQ(d.scripts[i].record.codeIndex, i);
    EXPECT_STREQ(Script_Name(i), scripts[i]);
  }
  for (size_t i = 3; i < d.scripts.size(); ++i) {
    EXPECT_GT(d.scripts[i].record.codeIndex, kLastDocumentedCodeIndex) << d.scripts[i].record.name;
    EXPECT_STREQ(Script_Name(static_cast<int>(i)), d.scripts[i].record.name);
  }
  EXPECT_TRUE(d.extensions.empty() && d.backgrounds.empty() && d.paths.empty() && d.shaders.empty() &&
              d.timelines.empty() && d.globalInitCode.empty() && d.audio.empty() && d.embeddedImages.empty());
}

TEST_F(EditorContent, EveryObjectRow) {
  ASSERT_EQ(Object_Count(), 41);
  for (const ObjectRow& row : kObjects) {
    SCOPED_TRACE(row.name);
    CObjectType* o = Object_Get(row.index);
    ASSERT_NE(o, nullptr);
    EXPECT_STREQ(o->name, row.name);
    EXPECT_EQ(o->spriteIndex, SpriteIndex(row.sprite));
    EXPECT_EQ(o->maskIndex, SpriteIndex(row.mask));
    EXPECT_EQ(o->Persistent(), row.persistent);
    EXPECT_TRUE(o->Visible());
    EXPECT_FALSE(o->Solid());
    EXPECT_EQ(o->depth, 0);
    EXPECT_EQ(o->parentIndex, -100);
    EXPECT_EQ(o->parent, nullptr);
    EXPECT_FALSE(o->usesPhysics);
    const std::pair<int, int> events[] = {{ev_create, row.create}, {ev_destroy, row.destroy},
                                          {ev_step, row.step},     {ev_draw, row.draw}};
    int count = 0;
    for (auto [type, code] : events) {
      CEvent* e = o->FindOwnEvent(type, 0);
      if (code < 0) {
        EXPECT_EQ(e, nullptr) << "event type " << type;
        continue;
      }
      ++count;
      ASSERT_NE(e, nullptr) << "event type " << type;
      EXPECT_EQ(e->codeIndex, code) << "event type " << type;
    }
    // Events the editor gained later; their code indices follow every
    // documented one.
    for (const AddedEvent& added : kAddedEvents) {
      if (std::strcmp(row.name, added.object) != 0) continue;
      CEvent* e = o->FindOwnEvent(added.type, added.subtype);
      ASSERT_NE(e, nullptr) << "event " << added.type << "/" << added.subtype;
      EXPECT_GT(e->codeIndex, kLastDocumentedCodeIndex);
      ++count;
    }
    int total = 0;
    for (const EventList& list : o->events)
      for (CEvent* e : list.bySubtype) total += e != nullptr;
    EXPECT_EQ(total, count);
  }
}

TEST_F(EditorContent, EverySpriteRow) {
  ASSERT_EQ(GameData_Get().sprites.size(), 51u);
  for (const SpriteRow& row : kSprites) {
    SCOPED_TRACE(row.name);
    const SpriteRecord* s = GameData_Sprite(row.index);
    ASSERT_NE(s, nullptr);
    EXPECT_STREQ(s->name, row.name);
    EXPECT_EQ(s->width, row.width);
    EXPECT_EQ(s->height, row.height);
    EXPECT_EQ(s->originX, row.originX);
    EXPECT_EQ(s->originY, row.originY);
    EXPECT_EQ(s->bboxLeft, row.left);
    EXPECT_EQ(s->bboxTop, row.top);
    EXPECT_EQ(s->bboxRight, row.right);
    EXPECT_EQ(s->bboxBottom, row.bottom);
    EXPECT_EQ(s->bboxMode, row.boxMode);
    EXPECT_EQ(s->separateMasks, row.separateMasks);
    EXPECT_EQ(s->frameCount, row.frames);
    EXPECT_EQ(s->kind, 0);
    EXPECT_FLOAT_EQ(s->playbackSpeed, 15.0f);
    EXPECT_EQ(s->maskCount, row.separateMasks ? row.frames : 1);
    ASSERT_EQ(s->frames.size(), static_cast<size_t>(row.frames));
    for (int item : s->frames) {
      const TexturePageEntry* e = GameData_TexturePageEntry(item);
      ASSERT_NE(e, nullptr);
      EXPECT_EQ(e->boundingWidth, row.width);
      EXPECT_EQ(e->boundingHeight, row.height);
      EXPECT_EQ(e->textureId, 0);
      EXPECT_LE(e->targetX + e->targetWidth, row.width);
      EXPECT_LE(e->sourceX + e->sourceWidth, 1024);
      EXPECT_LE(e->sourceY + e->sourceHeight, 1024);
    }
  }
  // Shape sprites are not all consecutive: shape 8 came after spr_ExportCode.
  EXPECT_STREQ(GameData_Sprite(25)->name, "spr_shape_8_back");
  EXPECT_EQ(GameData_Sprite(48)->frameCount, 5);
  EXPECT_EQ(GameData_Sprite(0)->frameCount, 1);
  EXPECT_EQ(GameData_Sprite(51), nullptr);
}

TEST_F(EditorContent, MasksFollowTheFramesAlpha) {
  // The frame pixels on the page, put back at the item's target offset,
  // must be solid exactly where the mask bit is set (one mask per frame).
  const TexturePage* page = GameData_TexturePage(0);
  ASSERT_NE(page, nullptr);
  ASSERT_EQ(page->width, 1024);
  ASSERT_EQ(page->height, 1024);
  for (int index : {7, 10, 42}) {  // sprites with separate masks
    const SpriteRecord* s = GameData_Sprite(index);
    SCOPED_TRACE(s->name);
    for (int f = 0; f < s->frameCount; ++f) {
      const TexturePageEntry* e = GameData_TexturePageEntry(s->frames[f]);
      int mismatches = 0;
      for (int v = 0; v < s->height; ++v)
        for (int u = 0; u < s->width; ++u) {
          int px = u - e->targetX, py = v - e->targetY;
          bool inside = px >= 0 && py >= 0 && px < e->sourceWidth && py < e->sourceHeight;
          bool solid = inside &&
                       page->rgba[((size_t(e->sourceY + py) * page->width) + e->sourceX + px) * 4 + 3] > 0;
          mismatches += solid != s->MaskBit(f, u, v);
        }
      EXPECT_EQ(mismatches, 0) << "frame " << f;
    }
  }
}

TEST_F(EditorContent, EveryRoomInstanceRow) {
  const RoomRecord* room = GameData_Room(0);
  ASSERT_NE(room, nullptr);
  EXPECT_STREQ(room->name, "room0");
  EXPECT_EQ(room->width, 1024);
  EXPECT_EQ(room->height, 768);
  EXPECT_FALSE(room->persistent);
  EXPECT_EQ(room->creationCode, -1);
  EXPECT_EQ(room->colour, 0u);
  EXPECT_FALSE(room->ViewsEnabled());
  ASSERT_FALSE(room->views.empty());
  EXPECT_EQ(room->views[0].viewWidth, 1024);
  EXPECT_EQ(room->views[0].viewHeight, 768);
  EXPECT_FLOAT_EQ(room->gravityY, 10.0f);
  EXPECT_FLOAT_EQ(room->pixelsToMetres, 0.1f);
  ASSERT_EQ(room->instances.size(), 51u);
  std::vector<int32_t> ids;
  for (const InstanceRow& row : kInstances) {
    SCOPED_TRACE(row.order);
    const RoomInstanceRecord& r = room->instances[row.order];
    EXPECT_EQ(r.id, row.id);
    EXPECT_EQ(r.objectIndex, ObjectIndex(row.object));
    EXPECT_EQ(r.x, row.x);
    EXPECT_EQ(r.y, row.y);
    EXPECT_NEAR(r.scaleX, row.xscale, 1e-5);
    EXPECT_NEAR(r.scaleY, row.yscale, 1e-5);
    EXPECT_EQ(r.colour, 0xFFFFFFFFu);
    EXPECT_EQ(r.rotation, 0.0f);
    int n = -1;
    if (row.creationCode) {
      ASSERT_EQ(std::sscanf(row.creationCode, "ksl_RoomCC_room0_%d_Create", &n), 1);
    }
    EXPECT_EQ(r.creationCode, n < 0 ? -1 : 121 + n);
    ids.push_back(r.id);
  }
  std::sort(ids.begin(), ids.end());
  std::vector<int32_t> expected;
  for (int id = 100000; id <= 100051; ++id)
    if (id != 100018) expected.push_back(id);
  EXPECT_EQ(ids, expected);
  ASSERT_EQ(room->layers.size(), 2u);
  EXPECT_STREQ(room->layers[0].name, "Instances");
  EXPECT_EQ(room->layers[0].id, 0);
  EXPECT_EQ(room->layers[0].depth, 0);
  EXPECT_EQ(room->layers[0].instanceIds, expected);
  EXPECT_STREQ(room->layers[1].name, "Background");
  EXPECT_EQ(room->layers[1].id, 1);
  EXPECT_EQ(room->layers[1].type, 1);
  EXPECT_EQ(room->layers[1].depth, 250);
  EXPECT_EQ(room->layers[1].bgSprite, -1);
  EXPECT_EQ(room->layers[1].bgColour, 0xFF000000u);
  EXPECT_FALSE(room->layers[1].bgTileH || room->layers[1].bgTileV || room->layers[1].bgStretch);
}

TEST_F(EditorContent, EverySoundRow) {
  ASSERT_EQ(GameData_Get().sounds.size(), 8u);
  for (const SoundRow& row : kSounds) {
    SCOPED_TRACE(row.name);
    const SoundRecord* s = GameData_Sound(row.index);
    ASSERT_NE(s, nullptr);
    EXPECT_STREQ(s->name, row.name);
    EXPECT_STREQ(s->fileName, row.file);
    EXPECT_EQ(s->flags, 100u);
    EXPECT_TRUE(s->streamed);
    EXPECT_EQ(s->audioGroup, 0);
    EXPECT_EQ(s->audioIndex, -1);
    EXPECT_FLOAT_EQ(s->volume, 1.0f);
    EXPECT_EQ(s->effects, 0u);
  }
}

TEST_F(EditorContent, FontAndTexturePage) {
  const FontRecord* f = GameData_Font(0);
  ASSERT_NE(f, nullptr);
  EXPECT_STREQ(f->name, "fnt_ObjectPreview");
  EXPECT_STREQ(f->displayName, "Bookman Old Style");
  EXPECT_EQ(f->size, 10);
  EXPECT_FALSE(f->bold || f->italic);
  EXPECT_EQ(f->firstCharacter, 32u);
  EXPECT_EQ(f->lastCharacter, 126u);
  EXPECT_EQ(f->antialias, 1u);
  ASSERT_EQ(f->glyphs.size(), 95u);
  for (uint16_t c = 32; c <= 126; ++c) EXPECT_NE(f->FindGlyph(c), nullptr) << c;
  const TexturePageEntry* e = GameData_TexturePageEntry(f->texturePageEntry);
  ASSERT_NE(e, nullptr);
  for (const GlyphRecord& g : f->glyphs) {
    EXPECT_LE(g.x + g.width, e->sourceWidth);
    EXPECT_LE(g.y + g.height, e->sourceHeight);
  }
  EXPECT_EQ(GameData_Get().texturePageEntries.size(), 157u);
  EXPECT_EQ(stats.textureItems, 157);
  EXPECT_EQ(log.Text().find("what!!!!"), std::string::npos);
}

}  // namespace
