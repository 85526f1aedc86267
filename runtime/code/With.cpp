// SPDX-License-Identifier: Zlib
// Iterating instances for `with`: the instances are collected first and then
// visited from the last collected to the first.
#include <vector>

#include "base/Memory.h"
#include "code/CompiledCode.h"
#include "object/Instance.h"
#include "room/RoomInstances.h"

namespace {

int Store(WithIterator* iterator, CInstance** self, CInstance** other, const std::vector<CInstance*>& found) {
  if (found.empty()) return 0;
  size_t count = found.size();
  iterator->instances = static_cast<CInstance**>(MM_ALLOC(sizeof(CInstance*) * count));
  for (size_t i = 0; i < count; ++i) iterator->instances[i] = found[i];
  iterator->cursor = iterator->instances + count - 1;
  *self = *iterator->cursor;
  *other = iterator->savedSelf;
  return static_cast<int>(count);
}

void AddOnce(std::vector<CInstance*>& found, CInstance* instance) {
  for (CInstance* seen : found)
    if (seen == instance) return;
  found.push_back(instance);
}

}  // namespace

int With_Begin(WithIterator* iterator, CInstance** self, CInstance** other, int target) {
  iterator->savedSelf = *self;
  iterator->savedOther = *other;
  iterator->instances = nullptr;
  iterator->cursor = nullptr;

  std::vector<CInstance*> found;
  switch (target) {
    case TARGET_LOCAL:
    case TARGET_GLOBAL:
    case TARGET_NOONE:
      return -1;
    case TARGET_SELF:
    case TARGET_SELF_ALT:
      if (iterator->savedSelf) found.push_back(iterator->savedSelf);
      return Store(iterator, self, other, found);
    case TARGET_OTHER:
      if (iterator->savedOther) found.push_back(iterator->savedOther);
      return Store(iterator, self, other, found);
    case TARGET_ALL:
      for (CInstance* i = Room_Instances().list.first; i; i = i->next)
        if (i->Active()) found.push_back(i);
      return Store(iterator, self, other, found);
    default:
      break;
  }
  if (target >= USER_ID_BASE) {
    CInstance* instance = Instance_Find(target);
    if (instance && instance->Active()) found.push_back(instance);
    return Store(iterator, self, other, found);
  }
  if (target < 0) return 0;
  CObjectType* object = Object_Get(target);
  if (!object) return 0;
  for (CInstance* instance : object->allInstances.items)
    if (instance->Active()) found.push_back(instance);
  for (const auto& list : Room_Instances().pending)
    for (CInstance* instance : list)
      if (instance->Active() && instance->objectIndex == target) AddOnce(found, instance);
  return Store(iterator, self, other, found);
}

bool With_Next(WithIterator* iterator, CInstance** self) {
  if (!iterator->instances) return false;
  // Instances destroyed by the body are skipped from then on.
  while (iterator->cursor > iterator->instances) {
    --iterator->cursor;
    if ((*iterator->cursor)->Active()) {
      *self = *iterator->cursor;
      return true;
    }
  }
  return false;
}

void With_End(WithIterator* iterator, CInstance** self, CInstance** other) {
  MM_FREE(iterator->instances);
  iterator->instances = nullptr;
  iterator->cursor = nullptr;
  *self = iterator->savedSelf;
  *other = iterator->savedOther;
}
