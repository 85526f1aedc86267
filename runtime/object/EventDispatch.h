// SPDX-License-Identifier: Zlib
// Event dispatch: runs an event's compiled code for an instance, looking the
// event up through the object's parents, with the event context that error
// reports name and a recursion limit.
#pragma once

class CInstance;
class CObjectType;

// Deep enough for events that create instances whose Create events create
// more; beyond this an infinite loop is assumed.
constexpr int EVENT_RECURSION_LIMIT = 33;

struct EventContext {
  CObjectType* owner = nullptr;  // the object whose event is running
  int type = -1;
  int subtype = -1;
  int depth = 0;
};
EventContext& Event_Context();

// Set by the runner while switching rooms or ending the game; only Create,
// Destroy, Alarm and Other events then run, for persistent instances or a
// persistent room.
struct EventGate {
  bool switchingRooms = false;
  bool roomPersistent = false;
};
EventGate& Event_Gate();

void Perform_Event(CInstance* self, CInstance* other, int type, int subtype);
void Perform_EventAll(int type, int subtype);
