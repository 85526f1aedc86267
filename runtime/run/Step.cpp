// SPDX-License-Identifier: Zlib
// One step of the game: the event passes in their fixed order.
#include <cmath>
#include <vector>

#include "collision/Collision.h"
#include "data/GameData.h"
#include "io/Input.h"
#include "io/InputState.h"
#include "object/Event.h"
#include "object/EventDispatch.h"
#include "platform/Window.h"
#include "object/Instance.h"
#include "object/InstanceFunctions.h"
#include "room/RoomInstances.h"
#include "run/EventLists.h"
#include "run/Runner.h"
#include "run/RunnerInternal.h"

namespace {

// Applies what event code changed during a pass: destroyed instances go,
// depth changes re-file. True when the step must end (a new room was requested).
bool AfterPass() {
  Instance_RemoveMarked();
  Room_ApplyResort();
  return Runner_State().newRoomRequest != ROOM_REQUEST_NONE;
}

void AnimateInstances() {
  for (CInstance* i = Room_Instances().list.first; i; i = i->next) {
    if (!i->Active()) continue;
    if (i->xprevious != i->x || i->yprevious != i->y) i->boxStale = true;
    i->xprevious = i->x;
    i->yprevious = i->y;
    const SpriteRecord* sprite = GameData_Sprite(i->spriteIndex);
    int frames = sprite ? sprite->frameCount : 0;
    if (frames <= 0 || i->imageSpeed == 0) continue;
    float next = i->imageIndex + i->imageSpeed;
    bool wrapped = false;
    if (next >= static_cast<float>(frames)) {
      next -= static_cast<float>(frames);
      wrapped = true;
    } else if (next < 0) {
      next += static_cast<float>(frames);
      wrapped = true;
    }
    i->imageIndex = next;
    if (wrapped) Perform_Event(i, i, ev_other, ev_animation_end);
  }
}

// Motion: gravity and friction change the speed, the speed moves the instance.
void MoveInstances() {
  constexpr float kDegrees = 3.1415927f / 180.0f;
  for (CInstance* i = Room_Instances().list.first; i; i = i->next) {
    if (!i->Active()) continue;
    if (i->friction != 0) {
      float speed = std::sqrt(i->hspeed * i->hspeed + i->vspeed * i->vspeed);
      if (speed > 0) {
        float reduced = speed > i->friction ? speed - i->friction : 0;
        i->hspeed *= reduced / speed;
        i->vspeed *= reduced / speed;
      }
    }
    if (i->gravity != 0) {
      i->hspeed += i->gravity * std::cos(i->gravityDirection * kDegrees);
      i->vspeed -= i->gravity * std::sin(i->gravityDirection * kDegrees);
    }
    if (i->hspeed != 0 || i->vspeed != 0) {
      i->x += i->hspeed;
      i->y += i->vspeed;
      i->boxStale = true;
    }
  }
}

void Alarms() {
  for (int alarm = 0; alarm < ALARM_COUNT; ++alarm) {
    uint64_t pass = ++Instance_State().passNumber;
    for (CObjectType* object : EventLists_Objects(ev_alarm, alarm)) {
      auto& items = object->ownInstances.items;
      for (size_t k = 0; k < items.size(); ++k) {
        CInstance* i = items[k];
        if (!i->Active() || i->createdPass >= pass || i->alarms[alarm] < 0) continue;
        if (--i->alarms[alarm] == 0) Perform_Event(i, i, ev_alarm, alarm);
      }
    }
  }
}

bool KeyboardPasses() {
  const InputFrame& live = Input_State().live;
  bool anyDown = false, anyPressed = false, anyReleased = false;
  for (int key = FIRST_KEYBOARD_SUBTYPE; key < INPUT_KEY_COUNT; ++key) {
    if (live.keyDown[key]) {
      anyDown = true;
      if (Runner_EventPass(ev_keyboard, key)) return true;
    }
    if (live.keyPressed[key]) {
      anyPressed = true;
      if (Runner_EventPass(ev_keypress, key)) return true;
    }
    if (live.keyReleased[key]) {
      anyReleased = true;
      if (Runner_EventPass(ev_keyrelease, key)) return true;
    }
  }
  if (Runner_EventPass(ev_keyboard, anyDown ? 1 : 0)) return true;
  if (anyPressed && Runner_EventPass(ev_keypress, 1)) return true;
  if (anyReleased && Runner_EventPass(ev_keyrelease, 1)) return true;
  return false;
}

// A mouse event for the instances that the pointer is over.
bool LocalMousePass(int subtype) {
  const auto& objects = EventLists_Objects(ev_mouse, subtype);
  if (objects.empty()) return false;
  uint64_t pass = ++Instance_State().passNumber;
  double mx = Input_MouseRoomX(), my = Input_MouseRoomY();
  for (CObjectType* object : objects) {
    auto& items = object->ownInstances.items;
    for (size_t k = 0; k < items.size(); ++k) {
      CInstance* i = items[k];
      if (!i->Active() || i->createdPass >= pass) continue;
      if (Collision_PositionMeeting(i, i, mx, my, TARGET_SELF)) Perform_Event(i, i, ev_mouse, subtype);
    }
  }
  return AfterPass();
}

bool MousePasses() {
  const InputFrame& live = Input_State().live;
  bool anyDown = false;
  for (int b = 0; b < INPUT_MOUSE_BUTTONS; ++b) {
    if (live.mouseDown[0][b]) {
      anyDown = true;
      if (LocalMousePass(b) || Runner_EventPass(ev_mouse, ev_global_left_button + b)) return true;
    }
    if (live.mousePressed[0][b] &&
        (LocalMousePass(ev_left_press + b) || Runner_EventPass(ev_mouse, ev_global_left_press + b)))
      return true;
    if (live.mouseReleased[0][b] &&
        (LocalMousePass(ev_left_release + b) || Runner_EventPass(ev_mouse, ev_global_left_release + b)))
      return true;
  }
  if (!anyDown && LocalMousePass(ev_no_button)) return true;
  if (live.wheelUp && Runner_EventPass(ev_mouse, ev_mouse_wheel_up)) return true;
  if (live.wheelDown && Runner_EventPass(ev_mouse, ev_mouse_wheel_down)) return true;
  return false;
}

// Outside room (other event 0) and intersect boundary (other event 1), by
// the instance's collision box against the room's rectangle.
bool BoundaryPasses() {
  const auto& outside = EventLists_Objects(ev_other, 0);
  const auto& boundary = EventLists_Objects(ev_other, 1);
  if (outside.empty() && boundary.empty()) return false;
  const RoomRecord* room = GameData_Room(Runner_State().currentRoom);
  if (!room) return false;
  auto visit = [&](const std::vector<CObjectType*>& objects, int subtype, bool wantOutside) {
    uint64_t pass = ++Instance_State().passNumber;
    for (CObjectType* object : objects) {
      auto& items = object->ownInstances.items;
      for (size_t k = 0; k < items.size(); ++k) {
        CInstance* i = items[k];
        if (!i->Active() || i->createdPass >= pass) continue;
        Collision_UpdateBox(i);
        bool isOutside = i->boxRight < 0 || i->boxBottom < 0 || i->boxLeft >= room->width || i->boxTop >= room->height;
        bool crosses = !isOutside && (i->boxLeft < 0 || i->boxTop < 0 || i->boxRight >= room->width ||
                                      i->boxBottom >= room->height);
        if (wantOutside ? isOutside : crosses) Perform_Event(i, i, ev_other, subtype);
      }
    }
    return AfterPass();
  };
  return visit(outside, 0, true) || visit(boundary, 1, false);
}

// Collision events are needed only when some object has one (its own or
// inherited); no object of the editor has any, so its steps skip the pass
// without looking at a single box.
bool CollisionEventsExist() {
  const int targets = EventLists_SubtypeCount(ev_collision);
  for (int target = 0; target < targets; ++target)
    if (!EventLists_Objects(ev_collision, target).empty()) return true;
  return false;
}

// The collision events of one instance against the object `target`: one
// event for each active instance of it (derived objects included) that
// overlaps the instance, with that instance as other. The instances are
// listed first, as event code may create more of them; one that an earlier
// event destroyed is skipped, and an instance that destroyed itself stops.
void CollideWith(CInstance* self, int target, std::vector<CInstance*>& others) {
  others.clear();
  Instance_CollectTargets(target, self, self, others);
  for (CInstance* other : others) {
    if (!self->Active()) return;
    if (other == self || !other->Active()) continue;
    if (Collision_InstancesOverlap(self, other)) Perform_Event(self, other, ev_collision, target);
  }
}

// Collision events, by the object they are against (the event subtype) like
// the alarms by number: each subtype is a pass over its objects, and an
// instance created in one is not visited by it. Pending changes are applied
// once, after the last subtype.
bool CollisionPasses() {
  if (!CollisionEventsExist()) return false;
  std::vector<CInstance*> others;
  const int targets = EventLists_SubtypeCount(ev_collision);
  for (int target = 0; target < targets; ++target) {
    const auto& objects = EventLists_Objects(ev_collision, target);
    if (objects.empty()) continue;
    uint64_t pass = ++Instance_State().passNumber;
    for (CObjectType* object : objects) {
      auto& items = object->ownInstances.items;
      for (size_t k = 0; k < items.size(); ++k) {
        CInstance* i = items[k];
        if (i->Active() && i->createdPass < pass) CollideWith(i, target, others);
      }
    }
  }
  return AfterPass();
}

}  // namespace

bool Runner_EventPass(int type, int subtype) {
  const auto& objects = EventLists_Objects(type, subtype);
  if (objects.empty()) return false;
  uint64_t pass = ++Instance_State().passNumber;
  for (CObjectType* object : objects) {
    // By index: event code may create instances of this object (appended, and
    // skipped by their creation pass); removal waits until the pass is over.
    auto& items = object->ownInstances.items;
    for (size_t k = 0; k < items.size(); ++k) {
      CInstance* i = items[k];
      if (i->Active() && i->createdPass < pass) Perform_Event(i, i, type, subtype);
    }
  }
  return AfterPass();
}

bool Runner_EventPassAll(int type, int subtype) {
  Perform_EventAll(type, subtype);
  return AfterPass();
}

void DoAStep() {
  RunnerState& runner = Runner_State();
  Input_Fold();
  if (runner.pauseWhenInactive && !Platform_WindowActive()) return;
  if (runner.resizePending) {
    runner.resizePending = false;
    Instance_RemoveMarked();
    if (Runner_EventPass(ev_draw, ev_draw_resize)) return;
  }
  AnimateInstances();
  if (AfterPass()) return;
  if (Runner_EventPass(ev_step, ev_step_begin)) return;
  // Timers and time lines would run here; this runtime has none.
  Alarms();
  if (AfterPass()) return;
  if (KeyboardPasses()) return;
  if (MousePasses()) return;
  if (Runner_EventPass(ev_step, ev_step_normal)) return;
  MoveInstances();
  if (AfterPass()) return;
  if (BoundaryPasses()) return;
  // Asynchronous events would run here; nothing in this runtime raises them.
  if (CollisionPasses()) return;
  if (Runner_EventPass(ev_step, ev_step_end)) return;
}
