// SPDX-License-Identifier: Zlib
// ZuObjectBase: the base of every instance and of the global object. It owns
// the user-variable cells: either a slot array (the global object) or a slot
// map from slot number to a cell taken from a shared pool (instances).
#pragma once

#include <cstdint>

#include "value/DynValue.h"

struct SlotMap;

class ZuObjectBase : public DynOwnedObject {
 public:
  explicit ZuObjectBase(int slotArrayCount = 0);
  ~ZuObjectBase() override;
  ZuObjectBase(const ZuObjectBase&) = delete;
  ZuObjectBase& operator=(const ZuObjectBase&) = delete;

  // The cell of user slot `slot`, created (with kind newCellKind) when the slot
  // has none. Null for a negative slot.
  virtual DynValue* VariableSlotRef(int slot);
  // The cell of a slot when it exists, without creating it.
  DynValue* FindSlot(int slot) const;

  DynValue* slots = nullptr;  // slot array, or null
  int32_t slotCount = 0;
  uint32_t newCellKind = KIND_UNSET;  // a never-assigned variable reads as unset
  SlotMap* slotMap = nullptr;         // created on first use, room for 8 entries
};

// How compiled code reaches its own user variable: the slot array directly,
// else the virtual slot reference.
inline DynValue* ZuObject_Slot(ZuObjectBase* object, int slot) {
  return object->slots ? object->slots + slot : object->VariableSlotRef(slot);
}

// Cells currently taken from the shared pool (diagnostics and tests).
int64_t SlotPool_CellsInUse();
