// SPDX-License-Identifier: Zlib
// OBJT: object records with their physics fields and event tables, filed
// straight into the core's object table. The code of an event is named by
// the code index in its first action; the core binds it to the compiled
// function table (Object_BindEvents) when the game is prepared.
#include "data/ChunkReaders.h"
#include "object/Object.h"

namespace {

constexpr size_t ACTION_WORDS = 14;
constexpr size_t ACTION_CODE_WORD = 8;
constexpr int PHYSICS_FORMAT_VERSION = 6;   // physics fields from here on
constexpr int FRICTION_FORMAT_VERSION = 9;  // friction, awake, kinematic from here on

// One event list: {count, offsets}; each event is its subtype and its list of
// actions.
bool ReadEventList(LoadContext& ctx, size_t object, int type, uint32_t offset, uint32_t objectCount,
                   CObjectType* o) {
  std::vector<uint32_t> events;
  if (!ctx.ReadList(offset, "event", &events)) return false;
  for (size_t e = 0; e < events.size(); ++e) {
    if (events[e] == 0) continue;
    DataCursor c(ctx.file, events[e]);
    uint32_t subtype = c.U32();
    uint32_t actions = c.Count(4);
    uint32_t firstAction = actions > 0 ? c.U32() : 0;
    if (!c.ok()) return ctx.Fail("object %zu: event %zu of type %d lies outside the file", object, e, type);
    uint32_t limit = type == ev_collision ? objectCount : MAX_EVENT_SUBTYPE;
    if (subtype >= limit)
      return ctx.Fail("object %zu: event subtype %u of type %d is out of range", object, subtype, type);
    int32_t codeIndex = -1;
    if (firstAction != 0) {
      if (!ctx.file.HasArray(firstAction, ACTION_WORDS, 4))
        return ctx.Fail("object %zu: the action of event %zu of type %d lies outside the file", object, e, type);
      codeIndex = static_cast<int32_t>(ctx.file.U32At(firstAction + 4 * ACTION_CODE_WORD));
    }
    o->AddEvent(type, static_cast<int>(subtype), codeIndex);
  }
  return true;
}

bool ReadObject(LoadContext& ctx, size_t index, uint32_t offset, uint32_t objectCount, CObjectType* o) {
  DataCursor c(ctx.file, offset);
  o->index = static_cast<int32_t>(index);
  o->name = c.String();
  o->spriteIndex = c.I32();
  bool visible = c.Bool();
  bool solid = c.Bool();
  o->depth = c.I32();
  bool persistent = c.Bool();
  o->parentIndex = c.I32();
  o->maskIndex = c.I32();
  o->flags = (solid ? OBJECT_FLAG_SOLID : 0) | (visible ? OBJECT_FLAG_VISIBLE : 0) |
             (persistent ? OBJECT_FLAG_PERSISTENT : 0);
  int32_t vertexCount = 0;
  if (ctx.FormatVersion() >= PHYSICS_FORMAT_VERSION) {
    o->usesPhysics = c.Bool();
    o->sensor = c.Bool();
    o->shape = c.I32();
    o->density = c.F32();
    o->restitution = c.F32();
    o->group = c.I32();
    o->linearDamping = c.F32();
    o->angularDamping = c.F32();
    vertexCount = c.I32();
    if (ctx.FormatVersion() >= FRICTION_FORMAT_VERSION) {
      o->friction = c.F32();
      o->awake = c.Bool();
      o->kinematic = c.Bool();
    } else {
      o->friction = 0.2f;
      o->awake = true;
      o->kinematic = false;
    }
  }
  if (!c.ok()) return ctx.Fail("object %zu: the record or its name lies outside the file", index);
  if (vertexCount < 0 || !ctx.file.HasArray(c.pos(), static_cast<uint32_t>(vertexCount), 8))
    return ctx.Fail("object %zu (%s): %d physics vertices run past the end of the file", index, o->name, vertexCount);
  if (!ctx.Spend(static_cast<uint32_t>(vertexCount))) return false;
  o->vertices.resize(vertexCount);
  for (PhysicsPoint& p : o->vertices) {
    p.x = c.F32();
    p.y = c.F32();
  }
  uint32_t types = c.Count(4);
  if (!c.ok()) return ctx.Fail("object %zu (%s): the event table lies outside the file", index, o->name);
  // Types beyond those the runtime knows are ignored.
  for (uint32_t t = 0; t < types; ++t) {
    uint32_t listOffset = c.U32();
    if (t >= static_cast<uint32_t>(EVENT_TYPE_COUNT) || listOffset == 0) continue;
    if (!ReadEventList(ctx, index, static_cast<int>(t), listOffset, objectCount, o)) return false;
  }
  return true;
}

}  // namespace

bool Chunk_OBJT(LoadContext& ctx, size_t body, uint32_t) {
  std::vector<uint32_t> offsets;
  if (!ctx.ReadList(body, "object", &offsets)) return false;
  Object_ClearAll();
  const uint32_t count = static_cast<uint32_t>(offsets.size());
  ctx.data->objectCount = static_cast<int32_t>(count);
  for (size_t i = 0; i < offsets.size(); ++i) {
    if (offsets[i] == 0) continue;  // the index stays empty
    auto* object = new CObjectType;
    if (!ReadObject(ctx, i, offsets[i], count, object)) {
      delete object;
      return false;
    }
    Object_Add(object);
  }
  return true;
}
