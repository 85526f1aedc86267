// SPDX-License-Identifier: Zlib
// Object definitions (CObjectType): loaded from the game data, kept by object
// index, each with an event table whose entries name compiled code by index,
// and the two instance lists (own instances; instances of it and its
// descendants).
#pragma once

#include <cstdint>
#include <vector>

#include "code/CompiledCode.h"
#include "object/Event.h"

class CInstance;

struct CEvent {
  int32_t codeIndex;     // position in the compiled function table
  CompiledEventFn code;  // bound from codeIndex; null when the index has no function
};

// Instances in creation order. Marked instances stay until the runtime removes
// them; every walk skips them.
struct InstanceList {
  std::vector<CInstance*> items;
  CInstance* First() const { return items.empty() ? nullptr : items.front(); }
  CInstance* Last() const { return items.empty() ? nullptr : items.back(); }
  int Count() const { return static_cast<int>(items.size()); }
};

struct PhysicsPoint {
  float x, y;
};

struct EventList {
  std::vector<CEvent*> bySubtype;  // indexed by subtype; null where missing
};

class CObjectType {
 public:
  CObjectType() = default;
  ~CObjectType();
  CObjectType(const CObjectType&) = delete;
  CObjectType& operator=(const CObjectType&) = delete;

  uint32_t flags = 0;  // bit 0 solid, bit 1 visible, bit 2 persistent
  int32_t spriteIndex = -1;
  int32_t depth = 0;
  int32_t parentIndex = -100;
  int32_t maskIndex = -1;
  const char* name = nullptr;  // points into the game data or static text
  int32_t index = -1;
  bool usesPhysics = false, sensor = false;
  int32_t shape = 0, group = 0;
  float density = 0.5f, restitution = 0.1f, linearDamping = 0.1f, angularDamping = 0.1f, friction = 0.2f;
  bool awake = true, kinematic = false;
  std::vector<PhysicsPoint> vertices;
  CObjectType* parent = nullptr;
  EventList events[EVENT_TYPE_COUNT];
  InstanceList ownInstances;
  InstanceList allInstances;

  bool Solid() const { return flags & 1; }
  bool Visible() const { return flags & 2; }
  bool Persistent() const { return flags & 4; }

  // Adds an event naming compiled code by index (bound later by Object_BindEvents).
  void AddEvent(int type, int subtype, int codeIndex);
  // The object's own event, or null.
  CEvent* FindOwnEvent(int type, int subtype) const;
};

constexpr uint32_t OBJECT_FLAG_SOLID = 1;
constexpr uint32_t OBJECT_FLAG_VISIBLE = 2;
constexpr uint32_t OBJECT_FLAG_PERSISTENT = 4;

// Files an object under its index (replacing one already there); takes ownership.
void Object_Add(CObjectType* object);
// Links every object to its parent (after all objects are loaded).
void Object_LinkParents();
// Binds every event's code index to the compiled function table.
void Object_BindEvents();
CObjectType* Object_Get(int index);
bool Object_Exists(int index);
const char* Object_Name(int index);  // "<undefined>" for an index that names no object
int Object_Count();                  // one past the greatest index
// True when `object` is `ancestor` or derives from it.
bool Object_IsDerivedFrom(const CObjectType* object, int ancestorIndex);
// Frees every object (tests and process end).
void Object_ClearAll();
