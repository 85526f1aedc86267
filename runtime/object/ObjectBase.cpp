// SPDX-License-Identifier: Zlib
// User-variable storage of instances and the global object.
#include "object/ObjectBase.h"

#include <vector>

#include "base/Memory.h"

// Slot number -> cell, open addressing with linear probing. Instances hold few
// variables each, so the map starts with room for 8 and doubles at 3/4 load.
struct SlotMap {
  struct Entry {
    int32_t slot;  // -1: empty
    DynValue* cell;
  };
  Entry* entries;
  uint32_t capacity;  // a power of two
  uint32_t count;
};

namespace {

constexpr uint32_t kInitialSlotMapCapacity = 8;
// Cells are carved from blocks of this many; freed cells go on a free list.
constexpr int kCellsPerBlock = 256;

struct CellPool {
  std::vector<DynValue*> blocks;
  DynValue* freeList = nullptr;  // linked through the payload pointer
  int64_t inUse = 0;

  DynValue* Take() {
    if (!freeList) {
      auto* block = static_cast<DynValue*>(MM_ALLOC(sizeof(DynValue) * kCellsPerBlock));
      blocks.push_back(block);
      for (int i = 0; i < kCellsPerBlock; ++i) {
        block[i].ptr = freeList;
        freeList = &block[i];
      }
    }
    DynValue* cell = freeList;
    freeList = static_cast<DynValue*>(cell->ptr);
    ++inUse;
    return cell;
  }

  void Give(DynValue* cell) {
    cell->ptr = freeList;
    freeList = cell;
    --inUse;
  }
};

// Never destroyed: instances may still be releasing their cells while the
// process's static objects are torn down.
CellPool& Pool() {
  static CellPool* pool = new CellPool;
  return *pool;
}

inline uint32_t HashSlot(int32_t slot, uint32_t capacity) {
  return (static_cast<uint32_t>(slot) * 2654435761u) & (capacity - 1);
}

SlotMap* NewSlotMap(uint32_t capacity) {
  auto* map = static_cast<SlotMap*>(MM_ALLOC(sizeof(SlotMap)));
  map->entries = static_cast<SlotMap::Entry*>(MM_ALLOC(sizeof(SlotMap::Entry) * capacity));
  for (uint32_t i = 0; i < capacity; ++i) map->entries[i] = {-1, nullptr};
  map->capacity = capacity;
  map->count = 0;
  return map;
}

void InsertEntry(SlotMap* map, int32_t slot, DynValue* cell) {
  uint32_t i = HashSlot(slot, map->capacity);
  while (map->entries[i].slot >= 0) i = (i + 1) & (map->capacity - 1);
  map->entries[i] = {slot, cell};
  ++map->count;
}

void Grow(SlotMap* map) {
  SlotMap::Entry* old = map->entries;
  uint32_t oldCapacity = map->capacity;
  map->capacity = oldCapacity * 2;
  map->entries = static_cast<SlotMap::Entry*>(MM_ALLOC(sizeof(SlotMap::Entry) * map->capacity));
  for (uint32_t i = 0; i < map->capacity; ++i) map->entries[i] = {-1, nullptr};
  map->count = 0;
  for (uint32_t i = 0; i < oldCapacity; ++i)
    if (old[i].slot >= 0) InsertEntry(map, old[i].slot, old[i].cell);
  MM_FREE(old);
}

}  // namespace

ZuObjectBase::ZuObjectBase(int slotArrayCount) {
  if (slotArrayCount > 0) {
    slots = static_cast<DynValue*>(MM_ALLOC(sizeof(DynValue) * slotArrayCount));
    slotCount = slotArrayCount;
    for (int i = 0; i < slotArrayCount; ++i) {
      slots[i].i64 = 0;
      slots[i].flags = 0;
      slots[i].kind = newCellKind;
    }
  }
}

ZuObjectBase::~ZuObjectBase() {
  if (slots) {
    for (int i = 0; i < slotCount; ++i) DynValue_Release(&slots[i]);
    MM_FREE(slots);
  }
  if (slotMap) {
    for (uint32_t i = 0; i < slotMap->capacity; ++i) {
      DynValue* cell = slotMap->entries[i].cell;
      if (slotMap->entries[i].slot >= 0 && cell) {
        DynValue_Release(cell);
        Pool().Give(cell);
      }
    }
    MM_FREE(slotMap->entries);
    MM_FREE(slotMap);
  }
}

DynValue* ZuObjectBase::FindSlot(int slot) const {
  if (slot < 0) return nullptr;
  if (slots) return slot < slotCount ? slots + slot : nullptr;
  if (!slotMap) return nullptr;
  uint32_t i = HashSlot(slot, slotMap->capacity);
  while (slotMap->entries[i].slot >= 0) {
    if (slotMap->entries[i].slot == slot) return slotMap->entries[i].cell;
    i = (i + 1) & (slotMap->capacity - 1);
  }
  return nullptr;
}

DynValue* ZuObjectBase::VariableSlotRef(int slot) {
  if (DynValue* cell = FindSlot(slot)) return cell;
  if (slot < 0 || slots) return nullptr;  // outside the slot array
  if (!slotMap) slotMap = NewSlotMap(kInitialSlotMapCapacity);
  if ((slotMap->count + 1) * 4 > slotMap->capacity * 3) Grow(slotMap);
  DynValue* cell = Pool().Take();
  cell->i64 = 0;
  cell->flags = 0;
  cell->kind = newCellKind;
  InsertEntry(slotMap, slot, cell);
  return cell;
}

int64_t SlotPool_CellsInUse() { return Pool().inUse; }
