// SPDX-License-Identifier: Zlib
// Reading and writing variables: built-in ones through the table, user ones
// through slots, and the variables of other instances by target.
#include <vector>

#include "base/Error.h"
#include "code/CompiledCode.h"
#include "object/Instance.h"
#include "room/RoomInstances.h"

namespace {

DynValue* UserCell(ZuObjectBase* object, int slot) {
  if (slot < 0) return nullptr;
  if (object->slots) return slot < object->slotCount ? object->slots + slot : nullptr;
  return object->VariableSlotRef(slot);
}

bool ReportBadId(int id) {
  Runtime_ErrorNonFatal("Variable access :: no variable with id %d (a variable name did not resolve at load)", id);
  return false;
}

// The first active instance that a target names, for reads. derivedInPending:
// whether instances in the pending lists match when their object derives
// from the target (value reads) or only when it is the target (slot reads).
CInstance* FirstForRead(int target, bool derivedInPending) {
  if (target == TARGET_ALL) return Room_FirstActive();
  if (target < 0) return nullptr;
  if (target >= USER_ID_BASE) {
    CInstance* instance = Instance_Find(target);
    return (instance && !instance->marked) ? instance : nullptr;
  }
  CObjectType* object = Object_Get(target);
  if (object)
    for (CInstance* instance : object->allInstances.items)
      if (instance->Active()) return instance;
  for (const auto& list : Room_Instances().pending)
    for (CInstance* instance : list) {
      if (!instance->Active()) continue;
      if (derivedInPending ? Object_IsDerivedFrom(instance->object, target) : instance->objectIndex == target)
        return instance;
    }
  return nullptr;
}

void CollectAllActive(std::vector<CInstance*>& out) {
  for (CInstance* i = Room_Instances().list.first; i; i = i->next)
    if (i->Active()) out.push_back(i);
}

}  // namespace

bool Variable_GetValue(CInstance* self, int id, int32_t arrayIndex, DynValue* result) {
  if (id >= 0 && id < BUILTIN_VARIABLE_LIMIT) {
    const BuiltinVariable* variable = Variable_Builtin(id);
    if (!variable) return ReportBadId(id);
    if (!self) return false;
    return variable->getter ? variable->getter(self, arrayIndex, result) : false;
  }
  if (id < USER_ID_BASE) return ReportBadId(id);
  if (!self) return false;
  DynValue* cell = UserCell(self, id - USER_ID_BASE);
  if (!cell) return ReportBadId(id);
  DynValue_Read(result, cell, arrayIndex);
  return true;
}

bool Variable_SetValue(CInstance* self, int id, int32_t arrayIndex, const DynValue* value) {
  if (id >= 0 && id < BUILTIN_VARIABLE_LIMIT) {
    const BuiltinVariable* variable = Variable_Builtin(id);
    if (!variable) return ReportBadId(id);
    // A built-in variable without a setter is read-only: the write is ignored.
    if (!self || !variable->canSet) return false;
    return variable->setter(self, arrayIndex, value);
  }
  if (id < USER_ID_BASE) return ReportBadId(id);
  if (!self) return false;
  DynValue* cell = UserCell(self, id - USER_ID_BASE);
  if (!cell) return ReportBadId(id);
  DynValue_Write(cell, value, arrayIndex);
  return true;
}

bool Variable_GetValueOther(int target, int id, int32_t arrayIndex, DynValue* result) {
  CInstance* instance = FirstForRead(target, true);
  if (!instance) {
    g_NoInstanceFlag = true;
    return false;
  }
  return Variable_GetValue(instance, id, arrayIndex, result);
}

bool Variable_GetSlotOther(int target, int slot, int32_t arrayIndex, DynValue* result) {
  CInstance* instance = FirstForRead(target, false);
  if (!instance) {
    g_NoInstanceFlag = true;
    return false;
  }
  DynValue* cell = UserCell(instance, slot);
  if (!cell) return false;
  DynValue_Read(result, cell, arrayIndex);
  return true;
}

void Variable_SetValueOther(int target, int id, int32_t arrayIndex, const DynValue* value) {
  std::vector<CInstance*> targets;
  if (target == TARGET_ALL) {
    CollectAllActive(targets);
    if (targets.empty()) {
      Runtime_Error("Unable to find any instance for object index '%d'", target);
      return;
    }
  } else if (target < 0) {
    return;
  } else if (target >= USER_ID_BASE) {
    CInstance* instance = Instance_Find(target);
    if (!instance || instance->marked) {
      Runtime_Error("Unable to find any instance for object index '%d'", target);
      return;
    }
    targets.push_back(instance);
  } else {
    CObjectType* object = Object_Get(target);
    if (object)
      for (CInstance* instance : object->allInstances.items)
        if (instance->Active()) targets.push_back(instance);
    for (const auto& list : Room_Instances().pending)
      for (CInstance* instance : list)
        if (instance->Active() && Object_IsDerivedFrom(instance->object, target)) targets.push_back(instance);
    if (targets.empty()) {
      Runtime_Error("Unable to find any instance for object index '%d' name '%s'", target,
                    object && object->name ? object->name : "(null)");
      return;
    }
  }
  for (CInstance* instance : targets) Variable_SetValue(instance, id, arrayIndex, value);
}

void Variable_SetSlotOther(int target, int slot, int32_t arrayIndex, const DynValue* value) {
  std::vector<CInstance*> targets;
  if (target == TARGET_ALL) {
    CollectAllActive(targets);
  } else if (target >= USER_ID_BASE) {
    CInstance* instance = Instance_Find(target);
    if (instance && instance->Active()) targets.push_back(instance);
  } else if (target >= 0) {
    if (CObjectType* object = Object_Get(target))
      for (CInstance* instance : object->allInstances.items)
        if (instance->Active()) targets.push_back(instance);
    for (const auto& list : Room_Instances().pending) {
      bool any = false;
      for (CInstance* instance : list)
        if (instance->Active() && instance->objectIndex == target) {
          targets.push_back(instance);
          any = true;
        }
      if (any) break;  // only the first pending list that holds the object
    }
  }
  for (CInstance* instance : targets)
    if (DynValue* cell = UserCell(instance, slot)) DynValue_Write(cell, value, arrayIndex);
}
