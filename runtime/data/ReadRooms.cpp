// SPDX-License-Identifier: Zlib
// ROOM: room records with their backgrounds, views, placed instances, tiles
// and (room format 2 and later) layers.
#include "data/ChunkReaders.h"

namespace {

constexpr int PHYSICS_FORMAT_VERSION = 6;  // room physics world fields from here on
constexpr int LAYERS_ROOM_FORMAT = 2;      // the layers list from this room format on
constexpr int32_t LAYER_BACKGROUND = 1;
constexpr int32_t LAYER_INSTANCES = 2;

// Reads a list whose entries are fixed records; read(cursor, record) fills one.
template <typename T, typename Read>
bool ReadRecordList(LoadContext& ctx, size_t room, uint32_t listOffset, const char* what, std::vector<T>* out,
                    Read read) {
  out->clear();
  if (listOffset == 0) return true;
  std::vector<uint32_t> offsets;
  if (!ctx.ReadList(listOffset, what, &offsets)) return false;
  out->reserve(offsets.size());
  for (size_t i = 0; i < offsets.size(); ++i) {
    if (offsets[i] == 0) continue;
    DataCursor c(ctx.file, offsets[i]);
    T record;
    read(c, record);
    if (!c.ok()) return ctx.Fail("room %zu: %s %zu lies outside the file", room, what, i);
    out->push_back(record);
  }
  return true;
}

void ReadBackground(DataCursor& c, RoomBackground& b) {
  b.visible = c.Bool();
  b.foreground = c.Bool();
  b.backgroundIndex = c.I32();
  b.x = c.I32();
  b.y = c.I32();
  b.tileH = c.Bool();
  b.tileV = c.Bool();
  b.speedH = c.I32();
  b.speedV = c.I32();
  b.stretch = c.Bool();
}

void ReadView(DataCursor& c, RoomView& v) {
  v.enabled = c.Bool();
  v.viewX = c.I32();
  v.viewY = c.I32();
  v.viewWidth = c.I32();
  v.viewHeight = c.I32();
  v.portX = c.I32();
  v.portY = c.I32();
  v.portWidth = c.I32();
  v.portHeight = c.I32();
  v.borderH = c.I32();
  v.borderV = c.I32();
  v.speedH = c.I32();
  v.speedV = c.I32();
  v.followObject = c.I32();
}

void ReadInstance(DataCursor& c, RoomInstanceRecord& r) {
  r.x = c.I32();
  r.y = c.I32();
  r.objectIndex = c.I32();
  r.id = c.I32();
  r.creationCode = c.I32();
  r.scaleX = c.F32();
  r.scaleY = c.F32();
  r.colour = c.U32();
  r.rotation = c.F32();
}

// Tile records: position, source background and region, depth, id, scales and
// colour.
void ReadTile(DataCursor& c, RoomTile& t) {
  t.x = c.I32();
  t.y = c.I32();
  t.backgroundIndex = c.I32();
  t.sourceX = c.I32();
  t.sourceY = c.I32();
  t.width = c.I32();
  t.height = c.I32();
  t.depth = c.I32();
  t.id = c.I32();
  t.scaleX = c.F32();
  t.scaleY = c.F32();
  t.colour = c.U32();
}

bool ReadLayer(LoadContext& ctx, size_t room, size_t index, uint32_t offset, RoomLayer* l) {
  DataCursor c(ctx.file, offset);
  l->name = c.String();
  l->id = c.I32();
  l->type = c.I32();
  l->depth = c.I32();
  l->offsetX = c.F32();
  l->offsetY = c.F32();
  l->speedH = c.F32();
  l->speedV = c.F32();
  l->visible = c.Bool();
  if (l->type == LAYER_INSTANCES) {
    uint32_t count = c.Count(4);
    if (c.ok() && !ctx.Spend(count)) return false;
    l->instanceIds.resize(count);
    for (uint32_t i = 0; i < count; ++i) l->instanceIds[i] = c.I32();
  } else if (l->type == LAYER_BACKGROUND) {
    l->bgVisible = c.Bool();
    l->bgForeground = c.Bool();
    l->bgSprite = c.I32();
    l->bgTileH = c.Bool();
    l->bgTileV = c.Bool();
    l->bgStretch = c.Bool();
    l->bgColour = c.U32();
    l->bgFirstFrame = c.I32();
    l->bgAnimationSpeed = c.F32();
    l->bgSpeedType = c.I32();
  }
  // Other layer kinds (assets, tiles) carry data this runtime does not use.
  if (!c.ok()) return ctx.Fail("room %zu: layer %zu lies outside the file", room, index);
  return true;
}

bool ReadRoom(LoadContext& ctx, size_t index, uint32_t offset, RoomRecord* r) {
  DataCursor c(ctx.file, offset);
  r->name = c.String();
  r->caption = c.String(true);
  r->width = c.I32();
  r->height = c.I32();
  r->speed = c.I32();
  r->persistent = c.Bool();
  r->colour = c.U32();
  r->drawColour = c.Bool();
  r->creationCode = c.I32();
  r->flags = c.U32();
  uint32_t backgrounds = c.U32();
  uint32_t views = c.U32();
  uint32_t instances = c.U32();
  uint32_t tiles = c.U32();
  if (ctx.FormatVersion() >= PHYSICS_FORMAT_VERSION) {
    r->physicsWorld = c.Bool();
    r->physicsTop = c.I32();
    r->physicsLeft = c.I32();
    r->physicsRight = c.I32();
    r->physicsBottom = c.I32();
    r->gravityX = c.F32();
    r->gravityY = c.F32();
    r->pixelsToMetres = c.F32();
  }
  uint32_t layers = r->FormatNumber() >= LAYERS_ROOM_FORMAT ? c.U32() : 0;
  if (!c.ok()) return ctx.Fail("room %zu: the record or one of its strings lies outside the file", index);
  if (!ReadRecordList(ctx, index, backgrounds, "background", &r->backgrounds, ReadBackground)) return false;
  if (!ReadRecordList(ctx, index, views, "view", &r->views, ReadView)) return false;
  if (!ReadRecordList(ctx, index, instances, "instance", &r->instances, ReadInstance)) return false;
  if (!ReadRecordList(ctx, index, tiles, "tile", &r->tiles, ReadTile)) return false;
  r->layers.clear();
  if (layers != 0) {
    std::vector<uint32_t> offsets;
    if (!ctx.ReadList(layers, "layer", &offsets)) return false;
    for (size_t i = 0; i < offsets.size(); ++i) {
      if (offsets[i] == 0) continue;
      RoomLayer layer;
      if (!ReadLayer(ctx, index, i, offsets[i], &layer)) return false;
      r->layers.push_back(std::move(layer));
    }
  }
  return true;
}

}  // namespace

bool Chunk_ROOM(LoadContext& ctx, size_t body, uint32_t) {
  std::vector<uint32_t> offsets;
  if (!ctx.ReadList(body, "room", &offsets)) return false;
  auto& rooms = ctx.data->rooms;
  rooms.assign(offsets.size(), {});
  for (size_t i = 0; i < offsets.size(); ++i) {
    if (offsets[i] == 0) continue;
    if (!ReadRoom(ctx, i, offsets[i], &rooms[i].record)) return false;
    rooms[i].present = true;
  }
  return true;
}
