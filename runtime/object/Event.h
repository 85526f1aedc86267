// Event types and their names in messages.
#pragma once

#include <string>

enum EventType : int {
  ev_create = 0,
  ev_destroy = 1,
  ev_alarm = 2,
  ev_step = 3,
  ev_collision = 4,
  ev_keyboard = 5,
  ev_mouse = 6,
  ev_other = 7,
  ev_draw = 8,
  ev_keypress = 9,
  ev_keyrelease = 10,
  ev_trigger = 11,
  ev_cleanup = 12,
  ev_gesture = 13,
};
constexpr int EVENT_TYPE_COUNT = 14;

constexpr int ev_step_normal = 0;
constexpr int ev_step_begin = 1;
constexpr int ev_step_end = 2;
constexpr int ev_room_start = 4;
constexpr int ev_room_end = 5;
constexpr int ev_game_start = 2;
constexpr int ev_game_end = 3;
constexpr int ev_animation_end = 7;
constexpr int ev_user0 = 10;

// Name of a key code as event messages print it ("<Enter>", "A-key", ...).
std::string Event_KeyName(int key);
// Name of an event as error reports print it ("Create Event", "Step Event", ...).
std::string Event_Name(int type, int subtype);
