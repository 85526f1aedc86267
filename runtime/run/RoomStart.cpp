// SPDX-License-Identifier: Zlib
// Starting and ending rooms.
#include "base/Error.h"
#include "code/CompiledCode.h"
#include "data/GameData.h"
#include "io/Input.h"
#include "object/EventDispatch.h"
#include "object/Instance.h"
#include "room/RoomInstances.h"
#include "run/Runner.h"
#include "run/RunnerInternal.h"
#include "sound/Audio.h"

namespace {

// The depth of a placed instance: that of the layer that lists it, else its object's.
float PlacedDepth(const RoomRecord& room, const RoomInstanceRecord& record) {
  for (const RoomLayer& layer : room.layers)
    for (int32_t id : layer.instanceIds)
      if (id == record.id) return static_cast<float>(layer.depth);
  const CObjectType* object = Object_Get(record.objectIndex);
  return object ? static_cast<float>(object->depth) : 0.0f;
}

void RunCode(int codeIndex, CInstance* self) {
  if (codeIndex < 0) return;
  if (CompiledAnyFn code = Code_Function(codeIndex)) reinterpret_cast<CompiledEventFn>(code)(self, self);
}

}  // namespace

void Room_Start(int roomIndex) {
  RunnerState& runner = Runner_State();
  const RoomRecord* room = GameData_Room(roomIndex);
  if (!room) {
    Runtime_Error("Room_Start :: room %d does not exist", roomIndex);
    return;
  }
  runner.currentRoom = roomIndex;
  if (room->speed > 0) runner.gameSpeed = room->speed;
  Audio_SetRoomSpeed(static_cast<int>(runner.gameSpeed));
  // The window's drawing area is the room's size: mouse_x and mouse_y are window pixels.
  Input_SetViewMapping(room->width, room->height, 0, 0, room->width, room->height);

  // Each placed instance is made, runs its Create event and then its creation
  // code before the next one is made.
  for (const RoomInstanceRecord& record : room->instances) {
    if (CInstance* existing = Instance_Find(record.id); existing && existing->persistent) continue;
    CInstance* instance = Instance_CreateWithId(record.id, record.objectIndex, static_cast<float>(record.x),
                                                static_cast<float>(record.y), PlacedDepth(*room, record));
    if (!instance) continue;
    instance->imageXScale = record.scaleX;
    instance->imageYScale = record.scaleY;
    instance->imageAngle = record.rotation;
    instance->imageBlend = static_cast<int32_t>(record.colour & 0xFFFFFF);
    instance->imageAlpha = static_cast<float>((record.colour >> 24) & 0xFF) / 255.0f;
    Perform_Event(instance, instance, ev_create, 0);
    instance->created = true;
    RunCode(record.creationCode, instance);
  }
  Instance_RemoveMarked();

  if (runner.startsGame) {
    runner.startsGame = false;
    Runner_EventPassAll(ev_other, ev_game_start);
  }
  if (room->creationCode >= 0) {
    // The room's own creation code runs with an instance that belongs to no room.
    CInstance temporary(0, 0, 0, 0);
    RunCode(room->creationCode, &temporary);
  }
  Runner_EventPassAll(ev_other, ev_room_start);
}

void Room_End() {
  Runner_EventPassAll(ev_other, ev_room_end);
  std::vector<CInstance*> leaving;
  for (CInstance* i = Room_Instances().list.first; i; i = i->next)
    if (!i->persistent) leaving.push_back(i);
  for (CInstance* i : leaving) i->marked = true;
  Instance_RemoveMarked();
}

void Runner_RequestRoom(int request) { Runner_State().newRoomRequest = request; }
