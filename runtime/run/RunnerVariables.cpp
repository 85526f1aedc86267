// SPDX-License-Identifier: Zlib
// The built-in variables of the runner and the system, read from the runner's
// state, the current room's record, the window and the clock.
#include "run/RunnerVariables.h"

#include "code/CompiledCode.h"
#include "data/GameData.h"
#include "platform/Clock.h"
#include "platform/Window.h"
#include "run/Runner.h"
#include "sound/Audio.h"
#include "value/TextBuffer.h"

namespace {

struct RunnerVariablesState {
  bool registered = false;
  int64_t startMicros = 0;        // current_time counts from here
  int64_t frameStartMicros = -1;  // the start of the latest frame; -1 before the first
  int64_t lastFrameMicros = 0;    // delta_time
  RunnerRoomSource roomSource = nullptr;  // null: the game data
};

RunnerVariablesState& State() {
  static RunnerVariablesState state;
  return state;
}

bool ReturnReal(DynValue* result, double value) {
  DynValue_SetReal(result, value);
  return true;
}

const RoomRecord* CurrentRoom() {
  int index = Runner_State().currentRoom;
  if (index < 0) return nullptr;
  RunnerRoomSource source = State().roomSource;
  return source ? source(index) : GameData_Room(index);
}

bool GetRoom(CInstance*, int32_t, DynValue* result) { return ReturnReal(result, Runner_State().currentRoom); }

// The size of the current room; 0 before a room has started.
bool GetRoomWidth(CInstance*, int32_t, DynValue* result) {
  const RoomRecord* room = CurrentRoom();
  return ReturnReal(result, room ? room->width : 0);
}
bool GetRoomHeight(CInstance*, int32_t, DynValue* result) {
  const RoomRecord* room = CurrentRoom();
  return ReturnReal(result, room ? room->height : 0);
}

// The frames per second the runner paces the game at: the room's speed from
// its start on, changed by assigning room_speed (values of 0 or less are
// ignored, as the room's own speed is).
bool GetRoomSpeed(CInstance*, int32_t, DynValue* result) { return ReturnReal(result, Runner_State().gameSpeed); }
bool SetRoomSpeed(CInstance*, int32_t, const DynValue* value) {
  double speed = DynValue_ToReal(value);
  if (!(speed > 0)) return false;
  Runner_State().gameSpeed = speed;
  Audio_SetRoomSpeed(static_cast<int>(speed));
  return true;
}

// The window's caption; assigning it sets the caption.
bool GetRoomCaption(CInstance*, int32_t, DynValue* result) {
  DynValue_SetString(result, Platform_Caption());
  return true;
}
bool SetRoomCaption(CInstance*, int32_t, const DynValue* value) {
  TextBuffer text;
  DynValue_ToText(&text, value);
  Platform_SetCaption(text.Text() ? text.Text() : "");
  return true;
}

// The frames drawn in the last whole second.
bool GetFps(CInstance*, int32_t, DynValue* result) { return ReturnReal(result, Runner_State().fps); }

// Whole milliseconds since start-up.
bool GetCurrentTime(CInstance*, int32_t, DynValue* result) {
  return ReturnReal(result, static_cast<double>((Platform_MicroTime() - State().startMicros) / 1000));
}

// Microseconds from the start of the previous frame to the start of the
// latest one; 0 until two frames have started.
bool GetDeltaTime(CInstance*, int32_t, DynValue* result) {
  return ReturnReal(result, static_cast<double>(State().lastFrameMicros));
}

bool GetOsType(CInstance*, int32_t, DynValue* result) { return ReturnReal(result, OS_TYPE_LINUX); }

}  // namespace

void RunnerVariables_Register() {
  RunnerVariablesState& s = State();
  if (s.registered) return;
  s.registered = true;
  s.startMicros = Platform_MicroTime();
  Variable_Register("room", GetRoom, nullptr);
  Variable_Register("room_width", GetRoomWidth, nullptr);
  Variable_Register("room_height", GetRoomHeight, nullptr);
  Variable_Register("room_speed", GetRoomSpeed, SetRoomSpeed);
  Variable_Register("room_caption", GetRoomCaption, SetRoomCaption);
  Variable_Register("fps", GetFps, nullptr);
  Variable_Register("current_time", GetCurrentTime, nullptr);
  Variable_Register("delta_time", GetDeltaTime, nullptr);
  Variable_Register("os_type", GetOsType, nullptr);
}

void RunnerVariables_FrameStarted(int64_t microTime) {
  RunnerVariablesState& s = State();
  if (s.frameStartMicros >= 0) s.lastFrameMicros = microTime - s.frameStartMicros;
  s.frameStartMicros = microTime;
}

void RunnerVariables_SetRoomSource(RunnerRoomSource source) { State().roomSource = source; }
