// SPDX-License-Identifier: Zlib
#include "run/EventLists.h"

#include "object/Event.h"
#include "object/Object.h"

namespace {

struct EventListState {
  std::vector<std::vector<CObjectType*>> byType[EVENT_TYPE_COUNT];
};

EventListState& State() {
  static EventListState state;
  return state;
}

bool HasInherited(const CObjectType* object, int type, int subtype) {
  for (int steps = Object_Count(); object && steps >= 0; --steps) {
    if (object->FindOwnEvent(type, subtype)) return true;
    if (object->parentIndex < 0) return false;
    object = Object_Get(object->parentIndex);
  }
  return false;
}

}  // namespace

int EventLists_SubtypeCount(int type) {
  switch (type) {
    case ev_create:
    case ev_destroy:
    case ev_cleanup:
      return 1;
    case ev_alarm:
      return ALARM_COUNT;
    case ev_step:
      return STEP_SUBTYPE_COUNT;
    case ev_collision:
      return Object_Count();
    default:
      return OTHER_SUBTYPE_COUNT;
  }
}

void EventLists_Build() {
  EventListState& s = State();
  for (int type = 0; type < EVENT_TYPE_COUNT; ++type) {
    auto& lists = s.byType[type];
    lists.assign(EventLists_SubtypeCount(type), {});
    for (int subtype = 0; subtype < static_cast<int>(lists.size()); ++subtype)
      for (int index = 0; index < Object_Count(); ++index)
        if (CObjectType* object = Object_Get(index); object && HasInherited(object, type, subtype))
          lists[subtype].push_back(object);
  }
}

const std::vector<CObjectType*>& EventLists_Objects(int type, int subtype) {
  static const std::vector<CObjectType*> empty;
  if (type < 0 || type >= EVENT_TYPE_COUNT) return empty;
  const auto& lists = State().byType[type];
  return (subtype >= 0 && subtype < static_cast<int>(lists.size())) ? lists[subtype] : empty;
}

void EventLists_Clear() {
  for (auto& lists : State().byType) lists.clear();
}
