// SPDX-License-Identifier: Zlib
// Object definitions by index, parent links and event binding.
#include "object/Object.h"

#include <memory>

#include "object/Instance.h"

namespace {

struct ObjectTable {
  // Indexed by object index: a lookup is one bounds check and one load.
  std::vector<std::unique_ptr<CObjectType>> byIndex;
};

ObjectTable& Table() {
  static ObjectTable table;
  return table;
}

}  // namespace

CObjectType::~CObjectType() {
  for (EventList& list : events)
    for (CEvent* event : list.bySubtype) delete event;
}

void CObjectType::AddEvent(int type, int subtype, int codeIndex) {
  if (type < 0 || type >= EVENT_TYPE_COUNT || subtype < 0) return;
  auto& list = events[type].bySubtype;
  if (static_cast<size_t>(subtype) >= list.size()) list.resize(subtype + 1, nullptr);
  delete list[subtype];
  list[subtype] = new CEvent{codeIndex, nullptr};
}

CEvent* CObjectType::FindOwnEvent(int type, int subtype) const {
  if (type < 0 || type >= EVENT_TYPE_COUNT || subtype < 0) return nullptr;
  const auto& list = events[type].bySubtype;
  return static_cast<size_t>(subtype) < list.size() ? list[subtype] : nullptr;
}

void Object_Add(CObjectType* object) {
  if (!object || object->index < 0) {
    delete object;
    return;
  }
  auto& byIndex = Table().byIndex;
  if (static_cast<size_t>(object->index) >= byIndex.size()) byIndex.resize(object->index + 1);
  byIndex[object->index].reset(object);
}

void Object_LinkParents() {
  for (auto& object : Table().byIndex) {
    if (!object) continue;
    CObjectType* parent = object->parentIndex >= 0 ? Object_Get(object->parentIndex) : nullptr;
    object->parent = parent == object.get() ? nullptr : parent;
  }
}

void Object_BindEvents() {
  for (auto& object : Table().byIndex) {
    if (!object) continue;
    for (EventList& list : object->events)
      for (CEvent* event : list.bySubtype)
        if (event) event->code = reinterpret_cast<CompiledEventFn>(Code_Function(event->codeIndex));
  }
}

CObjectType* Object_Get(int index) {
  auto& byIndex = Table().byIndex;
  return (index >= 0 && static_cast<size_t>(index) < byIndex.size()) ? byIndex[index].get() : nullptr;
}

bool Object_Exists(int index) { return Object_Get(index) != nullptr; }

const char* Object_Name(int index) {
  CObjectType* object = Object_Get(index);
  return (object && object->name) ? object->name : "<undefined>";
}

int Object_Count() { return static_cast<int>(Table().byIndex.size()); }

bool Object_IsDerivedFrom(const CObjectType* object, int ancestorIndex) {
  // Bounded by the number of objects so that a parent cycle in damaged data ends.
  int steps = Object_Count();
  for (; object && steps >= 0; object = object->parent, --steps)
    if (object->index == ancestorIndex) return true;
  return false;
}

void Object_ClearAll() { Table().byIndex.clear(); }
