// SPDX-License-Identifier: Zlib
#include "Pack.h"

#include <json-c/json.h>

#include <algorithm>
#include <cmath>

#include "DataWriter.h"
#include "Image.h"
#include "ShelfPacker.h"

namespace pack {
namespace {

// Header and option values that the manifest does not carry: the data
// format this runtime reads and the fixed words that go with it.
constexpr uint32_t HEADER_FLAG_BYTE = 1;
constexpr uint32_t FORMAT_VERSION = 15;
constexpr uint32_t HEADER_COUNTER = 10000000;
constexpr uint32_t HEADER_VERSION[4] = {2, 0, 0, 0};
constexpr uint32_t HEADER_INFO_FLAGS = 0xB0;
constexpr uint32_t HEADER_WORD_V14 = 51268;
constexpr uint32_t HEADER_TRAILING_WORD = 1;
constexpr uint64_t OPTION_FLAGS = 0x480214;
constexpr int ROOM_FORMAT = 2;
constexpr int ROOM_VIEW_COUNT = 8;
constexpr uint32_t LAYER_BACKGROUND_COLOUR = 0xFF000000u;
constexpr int BACKGROUND_LAYER_DEPTH = 250;
constexpr int EVENT_TYPES = 14;
constexpr int ACTION_WORDS = 14;
constexpr int ACTION_CODE_WORD = 8;

struct Frame {
  Image image;
  Rect crop;
  int item = -1;
};

struct Glyph {
  int character = 0, x = 0, y = 0, w = 0, h = 0, shift = 0, offset = 0;
};

struct Art {
  std::vector<std::vector<Frame>> sprites;  // by sprite index, frames in order
  std::vector<Image> fontImages;
  std::vector<std::vector<Glyph>> fontGlyphs;
  std::vector<int> fontItems;
  // Every texture-page item in item order: its place on the page and its
  // frame rectangle.
  struct Item {
    Rect source;     // on the page
    Rect target;     // inside the frame
    int boundW, boundH;
  };
  std::vector<Item> items;
  Image page;
};

int JsonInt(json_object* object, const char* a, const char* b, bool* ok) {
  json_object* value = nullptr;
  if (!json_object_object_get_ex(object, a, &value) && !(b && json_object_object_get_ex(object, b, &value))) {
    *ok = false;
    return 0;
  }
  return json_object_get_int(value);
}

// The glyph file written by the font baker: an array of glyph objects, or an
// object holding one under "glyphs"; each glyph names its character ("char"
// or "code"), its rectangle in the font image (x, y, w/width, h/height), its
// advance ("shift" or "advance") and its left offset ("offset").
bool ReadGlyphs(const std::string& path, std::vector<Glyph>* glyphs, std::string* error) {
  json_object* root = json_object_from_file(path.c_str());
  if (!root) {
    *error = path + ": cannot read the glyph file (" + json_util_get_last_err() + ")";
    return false;
  }
  json_object* list = root;
  if (!json_object_is_type(root, json_type_array)) json_object_object_get_ex(root, "glyphs", &list);
  bool ok = list && json_object_is_type(list, json_type_array);
  for (size_t i = 0; ok && i < json_object_array_length(list); ++i) {
    json_object* g = json_object_array_get_idx(list, i);
    Glyph glyph;
    glyph.character = JsonInt(g, "char", "code", &ok);
    glyph.x = JsonInt(g, "x", nullptr, &ok);
    glyph.y = JsonInt(g, "y", nullptr, &ok);
    glyph.w = JsonInt(g, "w", "width", &ok);
    glyph.h = JsonInt(g, "h", "height", &ok);
    glyph.shift = JsonInt(g, "shift", "advance", &ok);
    glyph.offset = JsonInt(g, "offset", nullptr, &ok);
    glyphs->push_back(glyph);
  }
  json_object_put(root);
  if (!ok) *error = path + ": expected an array of glyphs with char, x, y, w, h, shift and offset";
  return ok;
}

bool LoadArt(const mob::Manifest& m, Art* art, std::string* error) {
  art->sprites.resize(m.sprites.size());
  for (size_t s = 0; s < m.sprites.size(); ++s) {
    const mob::ManifestSprite& sprite = m.sprites[s];
    for (int f = 0; f < sprite.frames; ++f) {
      Frame frame;
      std::string path = m.Resolve(sprite.art + "/" + std::to_string(f) + ".png");
      if (!Image_ReadPng(path, &frame.image, error)) return false;
      if (frame.image.width != sprite.width || frame.image.height != sprite.height) {
        *error = path + ": the frame is " + std::to_string(frame.image.width) + " x " +
                 std::to_string(frame.image.height) + ", the sprite " + sprite.name + " is " +
                 std::to_string(sprite.width) + " x " + std::to_string(sprite.height);
        return false;
      }
      frame.crop = Image_OpaqueBounds(frame.image);
      art->sprites[s].push_back(std::move(frame));
    }
  }
  for (const mob::ManifestFont& font : m.fonts) {
    Image image;
    std::vector<Glyph> glyphs;
    if (!Image_ReadPng(m.Resolve(font.image), &image, error)) return false;
    if (!ReadGlyphs(m.Resolve(font.glyphs), &glyphs, error)) return false;
    for (const Glyph& g : glyphs)
      if (g.x < 0 || g.y < 0 || g.w < 0 || g.h < 0 || g.x + g.w > image.width || g.y + g.h > image.height) {
        *error = m.Resolve(font.glyphs) + ": glyph " + std::to_string(g.character) + " lies outside the font image";
        return false;
      }
    std::sort(glyphs.begin(), glyphs.end(), [](const Glyph& a, const Glyph& b) { return a.character < b.character; });
    art->fontImages.push_back(std::move(image));
    art->fontGlyphs.push_back(std::move(glyphs));
  }
  return true;
}

// Puts every frame and font image on the page: items in sprite order, frame
// order, then the fonts.
bool PackPage(Art* art, std::string* error) {
  std::vector<PackBox> boxes;
  for (const auto& frames : art->sprites)
    for (const Frame& frame : frames) boxes.push_back({frame.crop.w, frame.crop.h});
  for (const Image& image : art->fontImages) boxes.push_back({image.width, image.height});
  // A transparent pixel between items keeps filtered sampling from bleeding
  // into a neighbour; without room for it, items touch.
  bool placed = false;
  for (int gap : {2, 1, 0}) {
    for (PackBox& box : boxes) box.x = box.y = -1;
    if (Shelf_Pack(&boxes, PAGE_SIDE, gap)) {
      placed = true;
      break;
    }
  }
  if (!placed) {
    *error = "the sprite frames and the font do not fit on one " + std::to_string(PAGE_SIDE) + " x " +
             std::to_string(PAGE_SIDE) + " page";
    return false;
  }
  art->page.width = art->page.height = PAGE_SIDE;
  art->page.rgba.assign(static_cast<size_t>(PAGE_SIDE) * PAGE_SIDE * 4, 0);
  size_t b = 0;
  for (auto& frames : art->sprites)
    for (Frame& frame : frames) {
      const PackBox& box = boxes[b++];
      Image_Blit(frame.image, frame.crop, &art->page, box.x, box.y);
      frame.item = static_cast<int>(art->items.size());
      art->items.push_back({Rect{box.x, box.y, box.w, box.h}, frame.crop, frame.image.width, frame.image.height});
    }
  for (const Image& image : art->fontImages) {
    const PackBox& box = boxes[b++];
    Image_Blit(image, Rect{0, 0, image.width, image.height}, &art->page, box.x, box.y);
    art->fontItems.push_back(static_cast<int>(art->items.size()));
    art->items.push_back({Rect{box.x, box.y, box.w, box.h}, Rect{0, 0, image.width, image.height}, image.width,
                          image.height});
  }
  return true;
}

// One collision mask: rows of (width + 7) / 8 bytes, the leftmost pixel in
// the most significant bit, padded to 4 bytes. Solid where any of the given
// frames has alpha > 0.
void WriteMask(DataWriter& w, const std::vector<const Image*>& frames, int width, int height) {
  const size_t rowBytes = (static_cast<size_t>(width) + 7) / 8;
  std::vector<uint8_t> bits(rowBytes * height, 0);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      for (const Image* frame : frames)
        if (frame->Alpha(x, y) > 0) {
          bits[y * rowBytes + x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
          break;
        }
  w.Append(bits.data(), bits.size());
  w.Align4();
}

void WriteHeader(DataWriter& w, const mob::Manifest& m) {
  const mob::ManifestGeneral& g = m.general;
  w.BeginChunk("GEN8");
  w.U32(HEADER_FLAG_BYTE | (FORMAT_VERSION << 8));
  w.String(g.name);
  w.String(g.config);
  w.U32(static_cast<uint32_t>(g.lastInstanceId));
  w.U32(HEADER_COUNTER);
  w.U32(0);
  for (int i = 0; i < 4; ++i) w.U32(0);
  w.String(g.name);
  for (uint32_t v : HEADER_VERSION) w.U32(v);
  w.U32(static_cast<uint32_t>(g.windowWidth));
  w.U32(static_cast<uint32_t>(g.windowHeight));
  w.U32(HEADER_INFO_FLAGS);
  w.U32(0);
  w.U32(0);
  for (int i = 0; i < 3; ++i) w.U32(0);
  w.U32(0);  // timestamp: 0 keeps the file reproducible
  w.U32(0);
  w.OptionalString(g.caption);
  w.U32(0);  // u64, format version 11
  w.U32(0);
  w.U32(0);  // u64, format version 12
  w.U32(0);
  w.U32(0);  // format version 13
  w.U32(HEADER_WORD_V14);
  w.U32(static_cast<uint32_t>(m.rooms.size()));
  for (size_t r = 0; r < m.rooms.size(); ++r) w.U32(static_cast<uint32_t>(r));
  for (int i = 0; i < 10; ++i) w.U32(0);
  w.F32(static_cast<float>(g.gameSpeed));
  w.U32(HEADER_TRAILING_WORD);
  for (int i = 0; i < 4; ++i) w.U32(0);
  w.EndChunk();

  w.BeginChunk("OPTN");
  w.U32(0x80000000u);
  w.U32(2);
  w.U32(static_cast<uint32_t>(OPTION_FLAGS));
  w.U32(static_cast<uint32_t>(OPTION_FLAGS >> 32));
  for (int i = 0; i < 11; ++i) w.U32(i == 0 ? 1 : 0);
  w.U32(static_cast<uint32_t>(g.options.size()));
  for (const mob::ManifestOption& option : g.options) {
    w.String(option.name);
    w.String(option.value);
  }
  w.EndChunk();

  w.BeginChunk("LANG");
  w.U32(1);
  w.U32(0);
  w.U32(0);
  w.EndChunk();
}

void EmptyList(DataWriter& w, const char* tag) {
  w.BeginChunk(tag);
  w.U32(0);
  w.EndChunk();
}

void WriteSounds(DataWriter& w, const mob::Manifest& m) {
  w.BeginChunk("SOND");
  auto slots = w.List(m.sounds.size());
  for (size_t i = 0; i < m.sounds.size(); ++i) {
    const mob::ManifestSound& s = m.sounds[i];
    w.PatchHere(slots[i]);
    w.String(s.name);
    w.U32(static_cast<uint32_t>(s.flags));
    w.U32(0);  // no type
    w.String(s.file);
    w.U32(0);  // no effects
    w.F32(static_cast<float>(s.volume));
    w.F32(static_cast<float>(s.pitch));
    w.I32(s.group);
    w.I32(-1);  // streamed from its own file
  }
  w.EndChunk();

  w.BeginChunk("AGRP");
  slots = w.List(m.general.audioGroups.size());
  for (size_t i = 0; i < slots.size(); ++i) {
    w.PatchHere(slots[i]);
    w.String(m.general.audioGroups[i]);
  }
  w.EndChunk();
}

void WriteSprites(DataWriter& w, const mob::Manifest& m, const Art& art) {
  w.BeginChunk("SPRT");
  auto slots = w.List(m.sprites.size());
  for (size_t i = 0; i < m.sprites.size(); ++i) {
    const mob::ManifestSprite& s = m.sprites[i];
    const auto& frames = art.sprites[i];
    w.PatchHere(slots[i]);
    w.String(s.name);
    w.I32(s.width);
    w.I32(s.height);
    w.I32(s.bboxLeft);
    w.I32(s.bboxRight);
    w.I32(s.bboxBottom);
    w.I32(s.bboxTop);
    w.U32(1);  // transparent
    w.U32(0);  // smooth
    w.U32(1);  // preload
    w.I32(s.bboxMode);
    w.U32(s.separateMasks ? 1 : 0);
    w.I32(s.originX);
    w.I32(s.originY);
    w.I32(-1);  // the extended form
    w.I32(1);   // its format number
    w.I32(0);   // bitmap
    w.F32(static_cast<float>(s.speed));
    w.I32(0);  // speed in frames per second
    w.I32(static_cast<int32_t>(frames.size()));
    for (const Frame& frame : frames) w.TexturePageRef(frame.item);
    if (s.separateMasks) {
      w.U32(static_cast<uint32_t>(frames.size()));
      for (const Frame& frame : frames) WriteMask(w, {&frame.image}, s.width, s.height);
    } else {
      std::vector<const Image*> all;
      for (const Frame& frame : frames) all.push_back(&frame.image);
      w.U32(1);
      WriteMask(w, all, s.width, s.height);
    }
  }
  w.EndChunk();
}

void WriteScripts(DataWriter& w, const mob::Manifest& m) {
  w.BeginChunk("SCPT");
  auto slots = w.List(m.scripts.size());
  for (size_t i = 0; i < m.scripts.size(); ++i) {
    w.PatchHere(slots[i]);
    w.String(m.scripts[i].name);
    w.I32(m.scripts[i].codeIndex);
  }
  w.EndChunk();
}

void WriteFonts(DataWriter& w, const mob::Manifest& m, const Art& art) {
  w.BeginChunk("FONT");
  auto slots = w.List(m.fonts.size());
  for (size_t i = 0; i < m.fonts.size(); ++i) {
    const mob::ManifestFont& f = m.fonts[i];
    const uint32_t antialias = 1;  // baked with grey levels
    w.PatchHere(slots[i]);
    w.String(f.name);
    w.OptionalString(f.face);
    w.I32(f.size);
    w.U32(f.bold ? 1 : 0);
    w.U32(f.italic ? 1 : 0);
    w.U32((static_cast<uint32_t>(f.first) & 0xFFFF) | ((antialias + 1) << 24));
    w.U32(static_cast<uint32_t>(f.last));
    w.TexturePageRef(art.fontItems[i]);
    w.F32(1.0f);
    w.F32(1.0f);
    const auto& glyphs = art.fontGlyphs[i];
    auto glyphSlots = w.List(glyphs.size());
    for (size_t g = 0; g < glyphs.size(); ++g) {
      w.PatchHere(glyphSlots[g]);
      w.U16(static_cast<uint16_t>(glyphs[g].character));
      w.U16(static_cast<uint16_t>(glyphs[g].x));
      w.U16(static_cast<uint16_t>(glyphs[g].y));
      w.U16(static_cast<uint16_t>(glyphs[g].w));
      w.U16(static_cast<uint16_t>(glyphs[g].h));
      w.I16(static_cast<int16_t>(glyphs[g].shift));
      w.I16(static_cast<int16_t>(glyphs[g].offset));
      w.U16(0);  // no kerning pairs
    }
  }
  w.EndChunk();
}

void WriteObjects(DataWriter& w, const mob::Manifest& m) {
  w.BeginChunk("OBJT");
  auto slots = w.List(m.objects.size());
  for (size_t i = 0; i < m.objects.size(); ++i) {
    const mob::ManifestObject& o = m.objects[i];
    w.PatchHere(slots[i]);
    w.String(o.name);
    w.I32(o.spriteIndex);
    w.U32(o.visible ? 1 : 0);
    w.U32(o.solid ? 1 : 0);
    w.I32(o.depth);
    w.U32(o.persistent ? 1 : 0);
    w.I32(o.parentIndex < 0 ? -100 : o.parentIndex);
    w.I32(o.maskIndex);
    // No physics: the defaults of a non-physics object.
    w.U32(0);
    w.U32(0);
    w.I32(1);
    w.F32(0.5f);
    w.F32(0.1f);
    w.I32(0);
    w.F32(0.1f);
    w.F32(0.1f);
    w.I32(0);
    w.F32(0.2f);
    w.U32(1);
    w.U32(0);
    auto typeSlots = w.List(EVENT_TYPES);
    for (int type = 0; type < EVENT_TYPES; ++type) {
      w.PatchHere(typeSlots[type]);
      std::vector<const mob::ManifestObjectEvent*> events;
      for (const mob::ManifestObjectEvent& e : o.events)
        if (mob::ManifestEvent_Type(e.event) == type) events.push_back(&e);
      // No two of the manifest's events share a type, so each list holds at most one.
      auto eventSlots = w.List(events.size());
      for (size_t e = 0; e < events.size(); ++e) {
        w.PatchHere(eventSlots[e]);
        w.U32(static_cast<uint32_t>(mob::ManifestEvent_Subtype(events[e]->event)));
        auto actionSlots = w.List(1);
        w.PatchHere(actionSlots[0]);
        for (int word = 0; word < ACTION_WORDS; ++word) w.I32(word == ACTION_CODE_WORD ? events[e]->codeIndex : 0);
      }
    }
  }
  w.EndChunk();
}

void WriteRooms(DataWriter& w, const mob::Manifest& m) {
  w.BeginChunk("ROOM");
  auto slots = w.List(m.rooms.size());
  for (size_t i = 0; i < m.rooms.size(); ++i) {
    const mob::ManifestRoom& r = m.rooms[i];
    w.PatchHere(slots[i]);
    w.String(r.name);
    w.U32(0);  // no caption
    w.I32(r.width);
    w.I32(r.height);
    w.I32(r.speed);
    w.U32(r.persistent ? 1 : 0);
    w.U32(r.colour);
    w.U32(1);   // draw the background colour
    w.I32(-1);  // no creation code of its own
    w.U32((static_cast<uint32_t>(ROOM_FORMAT) << 16) | 2u);  // views off; a view clears the screen
    size_t backgrounds = w.U32(0), views = w.U32(0), instances = w.U32(0), tiles = w.U32(0);
    w.U32(0);  // no physics world
    w.I32(0);
    w.I32(0);
    w.I32(r.width);
    w.I32(r.height);
    w.F32(0.0f);
    w.F32(10.0f);
    w.F32(0.1f);
    size_t layers = w.U32(0);

    w.PatchHere(backgrounds);
    w.U32(0);
    w.PatchHere(views);
    auto viewSlots = w.List(ROOM_VIEW_COUNT);
    for (size_t v : viewSlots) {
      w.PatchHere(v);
      w.U32(0);
      for (int value : {0, 0, r.width, r.height, 0, 0, r.width, r.height, 32, 32, -1, -1, -1}) w.I32(value);
    }
    w.PatchHere(instances);
    auto instanceSlots = w.List(r.instances.size());
    for (size_t k = 0; k < r.instances.size(); ++k) {
      const mob::ManifestInstance& inst = r.instances[k];
      w.PatchHere(instanceSlots[k]);
      w.I32(static_cast<int32_t>(std::lround(inst.x)));
      w.I32(static_cast<int32_t>(std::lround(inst.y)));
      w.I32(inst.objectIndex);
      w.I32(inst.id);
      w.I32(inst.creationCodeIndex);
      w.F32(static_cast<float>(inst.xscale));
      w.F32(static_cast<float>(inst.yscale));
      w.U32(inst.colour);
      w.F32(static_cast<float>(inst.rotation));
    }
    w.PatchHere(tiles);
    w.U32(0);

    w.PatchHere(layers);
    auto layerSlots = w.List(2);
    auto layerHeader = [&](const char* name, int id, int type, int depth) {
      w.String(name);
      w.I32(id);
      w.I32(type);
      w.I32(depth);
      for (int k = 0; k < 4; ++k) w.F32(0.0f);
      w.U32(1);
    };
    w.PatchHere(layerSlots[0]);
    layerHeader("Instances", 0, 2, 0);
    std::vector<int> ids;
    for (const mob::ManifestInstance& inst : r.instances) ids.push_back(inst.id);
    std::sort(ids.begin(), ids.end());
    w.U32(static_cast<uint32_t>(ids.size()));
    for (int id : ids) w.I32(id);
    w.PatchHere(layerSlots[1]);
    layerHeader("Background", 1, 1, BACKGROUND_LAYER_DEPTH);
    w.U32(1);   // visible
    w.U32(0);   // not foreground
    w.I32(-1);  // no sprite
    w.U32(0);
    w.U32(0);
    w.U32(0);
    w.U32(LAYER_BACKGROUND_COLOUR);
    w.I32(0);
    w.F32(15.0f);
    w.I32(0);
  }
  w.EndChunk();
}

void WriteTexturePageItems(DataWriter& w, const Art& art) {
  w.BeginChunk("TPAG");
  auto slots = w.List(art.items.size());
  for (size_t i = 0; i < art.items.size(); ++i) {
    const Art::Item& item = art.items[i];
    w.PatchHere(slots[i]);
    w.PlaceTexturePageItem(static_cast<int>(i));
    for (int v : {item.source.x, item.source.y, item.source.w, item.source.h, item.target.x, item.target.y,
                  item.target.w, item.target.h, item.boundW, item.boundH, 0})
      w.U16(static_cast<uint16_t>(v));
  }
  w.EndChunk();
}

}  // namespace

bool Pack_Build(const mob::Manifest& manifest, std::vector<uint8_t>* out, std::string* error, PackStats* stats) {
  Art art;
  if (!LoadArt(manifest, &art, error) || !PackPage(&art, error)) return false;
  std::vector<uint8_t> png;
  if (!Image_WritePng(art.page, &png, error)) return false;

  DataWriter w;
  WriteHeader(w, manifest);
  EmptyList(w, "EXTN");
  WriteSounds(w, manifest);
  WriteSprites(w, manifest, art);
  EmptyList(w, "BGND");
  EmptyList(w, "PATH");
  WriteScripts(w, manifest);
  EmptyList(w, "GLOB");
  EmptyList(w, "SHDR");
  WriteFonts(w, manifest, art);
  EmptyList(w, "TMLN");
  WriteObjects(w, manifest);
  WriteRooms(w, manifest);
  w.EmptyChunk("DAFL");
  w.BeginChunk("EMBI");
  w.U32(1);
  w.U32(0);
  w.EndChunk();
  WriteTexturePageItems(w, art);
  w.EmptyChunk("CODE");
  w.EmptyChunk("VARI");
  w.EmptyChunk("FUNC");
  w.StringChunk();
  w.BeginChunk("TXTR");
  auto pages = w.List(1);
  w.PatchHere(pages[0]);
  w.U32(0);
  size_t pngOffset = w.U32(0);
  w.U32(0);
  w.PatchHere(pngOffset);
  w.Append(png.data(), png.size());
  w.EndChunk();
  EmptyList(w, "AUDO");
  if (!w.Finish(error)) return false;
  *out = w.Bytes();
  if (stats) {
    stats->textureItems = static_cast<int>(art.items.size());
    stats->strings = static_cast<int>(w.StringCount());
    stats->pngBytes = png.size();
  }
  return true;
}

}  // namespace pack
