// SPDX-License-Identifier: Zlib
// Creating, finding, destroying and removing instances.
#include "object/Instance.h"

#include <algorithm>
#include <memory>

#include "base/Error.h"
#include "object/EventDispatch.h"
#include "object/InstanceIdTable.h"
#include "room/RoomInstances.h"

namespace {

struct InstanceRegistry {
  InstanceState state;
  InstanceIdTable byId;
  std::unique_ptr<ZuObjectBase> global;
};

InstanceRegistry& Registry() {
  static InstanceRegistry registry;
  return registry;
}

void EraseFrom(InstanceList& list, CInstance* instance) {
  auto& items = list.items;
  items.erase(std::remove(items.begin(), items.end(), instance), items.end());
}

void Unfile(CInstance* instance) {
  if (CObjectType* object = instance->object) {
    EraseFrom(object->ownInstances, instance);
    int steps = Object_Count();  // a parent cycle in damaged data ends here
    for (CObjectType* o = object; o && steps >= 0; o = o->parent, --steps) EraseFrom(o->allInstances, instance);
  }
}

// Files a fresh instance in the room list and the id table.
CInstance* FileNew(CInstance* instance) {
  instance->createdPass = Registry().state.passNumber;
  Room_InsertByDepth(instance);
  Registry().byId.Insert(instance->id, instance);
  ++Registry().state.activeCount;
  return instance;
}

}  // namespace

InstanceState& Instance_State() { return Registry().state; }
int Instance_IdTableSize() { return Registry().byId.Count(); }

CInstance::CInstance(int instanceId, int objectIdx, float px, float py)
    : id(instanceId), objectIndex(objectIdx < 0 ? 0 : objectIdx), x(px), y(py),
      xstart(px), ystart(py), xprevious(px), yprevious(py) {
  for (int32_t& alarm : alarms) alarm = -1;
}

CInstance::~CInstance() = default;

void Instance_SetObject(CInstance* instance, int objectIndex, bool fileInLists) {
  instance->objectIndex = objectIndex < 0 ? 0 : objectIndex;
  CObjectType* object = Object_Get(objectIndex);
  instance->object = object;
  if (!object) return;
  instance->maskIndex = object->maskIndex;
  instance->depth = static_cast<float>(object->depth);
  instance->solid = object->Solid();
  instance->visible = object->Visible();
  instance->persistent = object->Persistent();
  instance->spriteIndex = object->spriteIndex;
  if (!fileInLists) return;
  object->ownInstances.items.push_back(instance);
  int steps = Object_Count();  // a parent cycle in damaged data ends here
  for (CObjectType* o = object; o && steps >= 0; o = o->parent, --steps) o->allInstances.items.push_back(instance);
}

CInstance* Instance_CreateWithId(int id, int objectIndex, float x, float y, float depth) {
  if (!Object_Exists(objectIndex)) {
    Runtime_ErrorNonFatal("Creating instance for non-existing object: %d", objectIndex);
    return nullptr;
  }
  auto* instance = new CInstance(id, objectIndex, x, y);
  Instance_SetObject(instance, objectIndex, true);
  instance->depth = depth;
  if (id > Registry().state.lastId) Registry().state.lastId = id;
  return FileNew(instance);
}

CInstance* Instance_Create(int objectIndex, float x, float y, float depth) {
  if (!Object_Exists(objectIndex)) {
    Runtime_ErrorNonFatal("Creating instance for non-existing object: %d", objectIndex);
    return nullptr;
  }
  int id = ++Registry().state.lastId;
  auto* instance = new CInstance(id, objectIndex, x, y);
  Instance_SetObject(instance, objectIndex, true);
  instance->depth = depth;
  FileNew(instance);
  Perform_Event(instance, instance, ev_create, 0);
  instance->created = true;
  return instance;
}

CInstance* Instance_Find(int id) { return Registry().byId.Find(id); }

void Instance_Destroy(CInstance* instance, bool performDestroyEvent) {
  if (!instance || instance->marked) return;
  if (performDestroyEvent) {
    if (!instance->beingDestroyed) {
      instance->beingDestroyed = true;
      Perform_Event(instance, instance, ev_destroy, 0);
      Perform_Event(instance, instance, ev_cleanup, 0);
    }
  } else {
    Perform_Event(instance, instance, ev_cleanup, 0);
  }
  if (instance->marked) return;  // its own events destroyed it already
  instance->marked = true;
  ++Registry().state.destroyedCount;
}

void Instance_SetDepth(CInstance* instance, float depth) {
  instance->depth = depth;
  if (!instance->inResortList && instance->inRoomList) {
    instance->inResortList = true;
    Room_Instances().resort.push_back(instance);
  }
}

void Instance_RemoveMarked() {
  RoomInstanceState& room = Room_Instances();
  std::vector<CInstance*> doomed;
  for (CInstance* i = room.list.first; i; i = i->next)
    if (i->marked) doomed.push_back(i);
  for (auto& list : room.pending)
    for (CInstance* i : list)
      if (i->marked && !i->inRoomList) doomed.push_back(i);
  if (doomed.empty()) return;
  for (auto& list : room.pending)
    list.erase(std::remove_if(list.begin(), list.end(), [](CInstance* i) { return i->marked; }), list.end());
  room.resort.erase(std::remove_if(room.resort.begin(), room.resort.end(), [](CInstance* i) { return i->marked; }),
                    room.resort.end());
  for (CInstance* instance : doomed) {
    Room_Unlink(instance);
    Unfile(instance);
    Registry().byId.Remove(instance->id);
    --Registry().state.activeCount;
    delete instance;
  }
}

void Instance_DestroyAllNoEvents() {
  RoomInstanceState& room = Room_Instances();
  std::vector<CInstance*> all;
  for (CInstance* i = room.list.first; i; i = i->next) all.push_back(i);
  for (auto& list : room.pending)
    for (CInstance* i : list)
      if (!i->inRoomList) all.push_back(i);
  for (auto& list : room.pending) list.clear();
  room.resort.clear();
  for (CInstance* instance : all) {
    Room_Unlink(instance);
    Unfile(instance);
    Registry().byId.Remove(instance->id);
    delete instance;
  }
  Registry().state.activeCount = 0;
}

ZuObjectBase* Global_Object() { return Registry().global.get(); }

void Global_Create(int slotCount) { Registry().global = std::make_unique<ZuObjectBase>(slotCount > 0 ? slotCount : 1); }
