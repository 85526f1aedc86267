// SPDX-License-Identifier: Zlib
// Instances (CInstance): live copies of objects in the room, with their
// built-in variables and user-variable slots; creation, lookup by id,
// destruction marking and removal.
#pragma once

#include <cstdint>

#include "object/Object.h"
#include "object/Event.h"
#include "object/ObjectBase.h"

class CInstanceBase : public ZuObjectBase {
 public:
  using ZuObjectBase::ZuObjectBase;
};


class CInstance : public CInstanceBase {
 public:
  CInstance(int id, int objectIndex, float x, float y);
  ~CInstance() override;

  bool created = false;
  bool visible = true;
  bool solid = false;
  bool persistent = false;
  bool marked = false;
  bool beingDestroyed = false;
  bool deactivated = false;
  int32_t id;
  int32_t objectIndex;
  CObjectType* object = nullptr;
  int32_t spriteIndex = -1;
  float imageIndex = 0;
  float imageSpeed = 1;
  float imageXScale = 1, imageYScale = 1;
  float imageAngle = 0;
  float imageAlpha = 1;
  int32_t imageBlend = 0xFFFFFF;
  int32_t maskIndex = -1;
  float x, y;
  float xstart, ystart, xprevious, yprevious;
  float hspeed = 0, vspeed = 0, direction = 0, speed = 0, friction = 0, gravity = 0;
  float gravityDirection = 270;
  int32_t alarms[ALARM_COUNT];
  int32_t pathIndex = -1;
  float pathScale = 1;
  int32_t timelineIndex = -1;
  float timelineSpeed = 1;
  CInstance* next = nullptr;      // room instance list
  CInstance* previous = nullptr;  // room instance list
  float sortDepth = 0;            // the depth the instance was filed with
  float depth = 0;
  bool inResortList = false;
  bool inRoomList = false;
  // Collision box, inclusive, recomputed before a point test when stale.
  int32_t boxLeft = 0, boxTop = 0, boxRight = 0, boxBottom = 0;
  bool boxStale = true;
  bool precise = false;
  // The event pass that was running when the instance was created: a pass
  // does not visit instances created while it runs.
  uint64_t createdPass = 0;

  // Active: neither marked for destruction nor deactivated.
  bool Active() const { return !marked && !deactivated; }
};

// Takes the object's mask, depth, flags and sprite; optionally files the
// instance in the object's own list and in the all-instances list of the
// object and each ancestor.
void Instance_SetObject(CInstance* instance, int objectIndex, bool fileInLists);
// Creates an instance with the next id, files it and runs its Create event.
// Null (after a non-fatal error) when no object has that index.
CInstance* Instance_Create(int objectIndex, float x, float y, float depth);
// Creates an instance with a given id for room start: filed like
// Instance_Create but no event runs (the room runs Create and the creation code).
CInstance* Instance_CreateWithId(int id, int objectIndex, float x, float y, float depth);
CInstance* Instance_Find(int id);
// Destroys one instance: Destroy then clean-up events (only clean-up when
// performDestroyEvent is false), then marks it and counts it.
void Instance_Destroy(CInstance* instance, bool performDestroyEvent);
// Changes an instance's depth through the built-in variable: stores it and
// queues the instance for re-sorting at the end of the step.
void Instance_SetDepth(CInstance* instance, float depth);

// The runtime's instance bookkeeping.
struct InstanceState {
  int32_t lastId = 100000;    // the last id used; set from the game header
  uint64_t passNumber = 0;    // incremented by every event pass
  int64_t destroyedCount = 0; // instances destroyed since start
  int32_t activeCount = 0;    // instances alive (marked ones included until removal)
};
InstanceState& Instance_State();
int Instance_IdTableSize();
// Removes marked instances from the room list, the object lists, the pending
// lists and the id table, and frees them.
void Instance_RemoveMarked();
// Frees every instance (room end in tests, process end).
void Instance_DestroyAllNoEvents();
// Registers the built-in variables of instances (x, y, depth, id, ...).
void Instance_RegisterBuiltinVariables();
// The object that holds global variables.
ZuObjectBase* Global_Object();
void Global_Create(int slotCount);
