// SPDX-License-Identifier: Zlib
#include "library/DsHandles.h"

#include "base/Error.h"
#include "base/Memory.h"
#include "library/DsList.h"
#include "library/DsMap.h"

int DsHandleTable::Add(void* structure) {
  // Every slot below lowestFree_ is taken, so the search starts there: an
  // editor that keeps thousands of records (its undo history) makes a new
  // map without walking past all of them.
  for (int i = lowestFree_; i < used_; ++i) {
    if (!slots_[i]) {
      slots_[i] = structure;
      lowestFree_ = i + 1;
      return i;
    }
  }
  if (used_ == capacity_) {
    int capacity = capacity_ + kDsHandleGrowth;
    slots_ = static_cast<void**>(MM_REALLOC(slots_, sizeof(void*) * static_cast<size_t>(capacity)));
    for (int i = capacity_; i < capacity; ++i) slots_[i] = nullptr;
    capacity_ = capacity;
  }
  slots_[used_] = structure;
  lowestFree_ = used_ + 1;
  return used_++;
}

void* DsHandleTable::Remove(int handle) {
  void* structure = Get(handle);
  if (structure) {
    slots_[handle] = nullptr;
    if (handle < lowestFree_) lowestFree_ = handle;
  }
  return structure;
}

DsHandleTable& DsHandles_Lists() {
  static DsHandleTable table;
  return table;
}

DsHandleTable& DsHandles_Maps() {
  static DsHandleTable table;
  return table;
}

std::mutex& DsMutex() {
  static std::mutex mutex;
  return mutex;
}

void DsHandles_ReportMissing() { Runtime_ErrorNonFatal("%s", kDsMissingMessage); }

void DsHandles_DestroyAll() {
  {
    std::lock_guard<std::mutex> lock(DsMutex());
    DsHandleTable& maps = DsHandles_Maps();
    for (int i = 0; i < maps.Used(); ++i) DsMap_Destroy(i);
  }
  DsHandleTable& lists = DsHandles_Lists();
  for (int i = 0; i < lists.Used(); ++i) DsList_Destroy(i);
}
