// SPDX-License-Identifier: Zlib
// instance_create_depth, instance_destroy, instance_exists, instance_find,
// instance_number.
#include "object/InstanceFunctions.h"

#include "code/CompiledCode.h"
#include "object/Instance.h"
#include "room/RoomInstances.h"
#include "value/ArgReaders.h"

namespace {

CInstance* SingleTarget(int target, CInstance* self, CInstance* other) {
  if (target == TARGET_SELF || target == TARGET_SELF_ALT) return self;
  if (target == TARGET_OTHER) return other;
  if (target >= USER_ID_BASE) return Instance_Find(target);
  return nullptr;
}

// Visits every active instance that an object index names until `visit`
// returns false: its all-instances list, then the pending lists.
template <typename Visit>
void ForEachOfObject(int objectIndex, Visit visit) {
  if (CObjectType* object = Object_Get(objectIndex))
    for (CInstance* instance : object->allInstances.items)
      if (instance->Active() && !visit(instance)) return;
  for (const auto& list : Room_Instances().pending)
    for (CInstance* instance : list)
      if (instance->Active() && !instance->inRoomList && Object_IsDerivedFrom(instance->object, objectIndex) &&
          !visit(instance))
        return;
}

void InstanceCreateDepth(DynValue& result, CInstance*, CInstance*, int, DynValue* args) {
  float x = static_cast<float>(ZuGetReal(args, 0));
  float y = static_cast<float>(ZuGetReal(args, 1));
  float depth = static_cast<float>(ZuGetReal(args, 2));
  int objectIndex = ZuGetInt32(args, 3);
  CInstance* instance = Instance_Create(objectIndex, x, y, depth);
  DynValue_SetReal(&result, instance ? instance->id : -1);
}

void InstanceDestroy(DynValue& result, CInstance* self, CInstance* other, int argc, DynValue* args) {
  DynValue_SetReal(&result, 0);
  if (argc < 1) {
    Instance_DestroySelfDirect(self);
    return;
  }
  bool perform = argc >= 2 ? ZuGetBool(args, 1) : true;
  Instance_DestroyDirect(self, other, ZuGetInt32(args, 0), perform);
}

void InstanceExists(DynValue& result, CInstance* self, CInstance* other, int, DynValue* args) {
  DynValue_Free(&result);
  result = DynValue_MakeBool(Instance_ExistsDirect(self, other, ZuGetInt32(args, 0)));
}

void InstanceFind(DynValue& result, CInstance*, CInstance*, int, DynValue* args) {
  int target = ZuGetInt32(args, 0);
  int n = ZuGetInt32(args, 1);
  int found = TARGET_NOONE;
  int seen = 0;
  if (n >= 0) {
    if (target == TARGET_ALL) {
      for (CInstance* i = Room_Instances().list.first; i; i = i->next)
        if (i->Active() && seen++ == n) {
          found = i->id;
          break;
        }
    } else if (target >= 0 && target < USER_ID_BASE) {
      ForEachOfObject(target, [&](CInstance* i) {
        if (seen++ == n) {
          found = i->id;
          return false;
        }
        return true;
      });
    }
  }
  DynValue_SetReal(&result, found);
}

void InstanceNumber(DynValue& result, CInstance* self, CInstance* other, int, DynValue* args) {
  DynValue_SetReal(&result, Instance_NumberDirect(self, other, ZuGetInt32(args, 0)));
}

}  // namespace

void Instance_CollectTargets(int target, CInstance* self, CInstance* other, std::vector<CInstance*>& out) {
  if (target == TARGET_ALL) {
    for (CInstance* i = Room_Instances().list.first; i; i = i->next)
      if (i->Active()) out.push_back(i);
    return;
  }
  if (target >= 0 && target < USER_ID_BASE) {
    ForEachOfObject(target, [&](CInstance* i) {
      out.push_back(i);
      return true;
    });
    return;
  }
  CInstance* single = SingleTarget(target, self, other);
  if (single && single->Active()) out.push_back(single);
}

void Instance_DestroySelfDirect(CInstance* self) { Instance_Destroy(self, true); }

void Instance_DestroyDirect(CInstance* self, CInstance* other, int target, bool performDestroyEvent) {
  std::vector<CInstance*> targets;
  Instance_CollectTargets(target, self, other, targets);
  for (CInstance* instance : targets) Instance_Destroy(instance, performDestroyEvent);
}

bool Instance_ExistsDirect(CInstance* self, CInstance* other, int target) {
  if (target == TARGET_ALL) return Room_FirstActive() != nullptr;
  if (target >= 0 && target < USER_ID_BASE) {
    bool any = false;
    ForEachOfObject(target, [&](CInstance*) {
      any = true;
      return false;
    });
    return any;
  }
  CInstance* single = SingleTarget(target, self, other);
  return single && single->Active();
}

double Instance_NumberDirect(CInstance* self, CInstance* other, int target) {
  if (target == TARGET_ALL) {
    int count = 0;
    for (CInstance* i = Room_Instances().list.first; i; i = i->next)
      if (i->Active()) ++count;
    return count;
  }
  if (target >= 0 && target < USER_ID_BASE) {
    int count = 0;
    ForEachOfObject(target, [&](CInstance*) {
      ++count;
      return true;
    });
    return count;
  }
  CInstance* single = SingleTarget(target, self, other);
  return (single && single->Active()) ? 1.0 : 0.0;
}

void Instance_RegisterBuiltinFunctions() {
  Function_Add("instance_create_depth", InstanceCreateDepth, 4, true);
  Function_Add("instance_destroy", InstanceDestroy, -1, true);
  Function_Add("instance_exists", InstanceExists, 1, true);
  Function_Add("instance_find", InstanceFind, 2, true);
  Function_Add("instance_number", InstanceNumber, 1, true);
}
