// SPDX-License-Identifier: Zlib
// Running an event for an instance, inherited through the object's parents.
#include "object/EventDispatch.h"

#include <vector>

#include "base/Error.h"
#include "object/Instance.h"
#include "room/RoomInstances.h"

EventContext& Event_Context() {
  static EventContext context;
  return context;
}

EventGate& Event_Gate() {
  static EventGate gate;
  return gate;
}

namespace {

CEvent* FindInherited(CObjectType* object, int type, int subtype, CObjectType** owner) {
  // Bounded by the number of objects so that a parent cycle in damaged data ends.
  for (int steps = Object_Count(); object && steps >= 0; --steps) {
    if (CEvent* event = object->FindOwnEvent(type, subtype)) {
      *owner = object;
      return event;
    }
    if (object->parentIndex < 0) break;
    object = Object_Get(object->parentIndex);
  }
  return nullptr;
}

}  // namespace

void Perform_Event(CInstance* self, CInstance* other, int type, int subtype) {
  if (!self) return;
  if (type == ev_cleanup && Error_State().insideReport) return;
  const EventGate& gate = Event_Gate();
  if (gate.switchingRooms) {
    bool allowedType = type == ev_create || type == ev_destroy || type == ev_alarm || type == ev_other;
    if (!allowedType || !(self->persistent || gate.roomPersistent)) return;
  }
  CObjectType* owner = nullptr;
  CEvent* event = FindInherited(self->object, type, subtype, &owner);
  if (!event) return;

  EventContext& context = Event_Context();
  if (context.depth + 1 >= EVENT_RECURSION_LIMIT) {
    Runtime_Error("PerformEvent recursion depth failure - check for infinite loops, check objects for parenting");
    return;
  }
  ++context.depth;
  EventContext saved = context;
  context.owner = owner;
  context.type = type;
  context.subtype = subtype;
  if (event->code) event->code(self, other);
  context.owner = saved.owner;
  context.type = saved.type;
  context.subtype = saved.subtype;
  --context.depth;
}

void Perform_EventAll(int type, int subtype) {
  // The pass visits the instances present when it starts; instances created
  // by the pass are not visited by it, destroyed ones are skipped.
  std::vector<CInstance*> visit;
  visit.reserve(Room_Instances().list.count);
  for (CInstance* i = Room_Instances().list.first; i; i = i->next)
    if (i->Active()) visit.push_back(i);
  for (CInstance* instance : visit)
    if (instance->Active()) Perform_Event(instance, instance, type, subtype);
}
