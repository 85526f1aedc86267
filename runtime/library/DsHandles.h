// SPDX-License-Identifier: Zlib
// The handle tables of lists and maps, the "DsMutex" lock of map built-ins,
// and the marks that say a number is a map or list handle.
//
// A handle is an index into its table; lists and maps have a table each, so
// list 0 and map 0 can both exist. A new structure takes the lowest empty slot;
// when none is empty the used length grows by one, and when it reaches the
// capacity the capacity grows by kDsHandleGrowth slots.
#pragma once

#include <cstdint>
#include <mutex>

#include "value/DynValue.h"

// Slots added to a handle table whenever it is full.
constexpr int kDsHandleGrowth = 16;

class DsHandleTable {
 public:
  // Stores the structure in the lowest empty slot and returns its handle.
  int Add(void* structure);
  // The structure of a handle, or null (negative, beyond the table, empty).
  void* Get(int handle) const {
    return (handle >= 0 && handle < used_) ? slots_[handle] : nullptr;
  }
  // Empties the slot and returns what it held.
  void* Remove(int handle);
  int Used() const { return used_; }
  int Capacity() const { return capacity_; }

 private:
  void** slots_ = nullptr;
  int used_ = 0;
  int capacity_ = 0;
  int lowestFree_ = 0;  // no slot below it is empty
};

DsHandleTable& DsHandles_Lists();
DsHandleTable& DsHandles_Maps();

// The process-wide lock of every map built-in and of map handle allocation,
// made on first use. List built-ins take no lock.
std::mutex& DsMutex();

// The message of every use of a handle that holds no structure; reported as a
// non-fatal error, after which the call does nothing.
constexpr const char* kDsMissingMessage = "Data structure with index does not exist.";
void DsHandles_ReportMissing();

// Marks in the upper 8 bits of a number cell's kind word. Those bits travel
// with every copy of the cell and every kind test masks them out, so a marked
// number still behaves as a number everywhere; only the JSON writer of secure
// map files reads them, to write the nested map or list instead of the number.
constexpr uint32_t kDsMarkMap = 0x01000000u;
constexpr uint32_t kDsMarkList = 0x02000000u;
constexpr uint32_t kDsMarkMask = kDsMarkMap | kDsMarkList;

inline void DsMark_AsMap(DynValue* cell) { cell->kind = (cell->kind & ~kDsMarkMask) | kDsMarkMap; }
inline void DsMark_AsList(DynValue* cell) { cell->kind = (cell->kind & ~kDsMarkMask) | kDsMarkList; }
inline bool DsMark_IsMap(const DynValue* cell) { return cell->Kind() == KIND_NUMBER && (cell->kind & kDsMarkMap); }
inline bool DsMark_IsList(const DynValue* cell) { return cell->Kind() == KIND_NUMBER && (cell->kind & kDsMarkList); }
inline DynValue DsMark_MapValue(int handle) {
  DynValue v = DynValue_MakeReal(handle);
  DsMark_AsMap(&v);
  return v;
}
inline DynValue DsMark_ListValue(int handle) {
  DynValue v = DynValue_MakeReal(handle);
  DsMark_AsList(&v);
  return v;
}

// Destroys every list and map (tests and the fuzz target start each case clean).
void DsHandles_DestroyAll();
