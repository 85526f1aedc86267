// SPDX-License-Identifier: Zlib
// The built-in variables of the runner and the system: the current room and
// its size and speed, the window caption, frames per second, the time since
// start-up and the length of the last frame, the instance count and the
// operating system.
#pragma once

#include <cstdint>

struct RoomRecord;

// Registers room, room_width, room_height, room_speed, room_caption, fps,
// current_time, delta_time and os_type; once per process (later calls do
// nothing). current_time counts from the first call.
void RunnerVariables_Register();

// The start of a frame, on the platform's microsecond clock: delta_time
// becomes the time since the previous frame started.
void RunnerVariables_FrameStarted(int64_t microTime);

// Where the room records are looked up by room index: the game data by
// default (null restores it). Tests give their own rooms.
using RunnerRoomSource = const RoomRecord* (*)(int roomIndex);
void RunnerVariables_SetRoomSource(RunnerRoomSource source);

// os_type on the one platform this runtime runs on, Linux. The number is the
// runtime's own choice; kslc knows it as the constant os_linux, so event code
// compares with the name.
constexpr int OS_TYPE_LINUX = 6;
