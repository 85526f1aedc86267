// SPDX-License-Identifier: Zlib
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

// Naming: event types and subtypes are spelled as the scripting language
// spells them (ev_step_begin, ev_left_press, ...); counts and limits are
// upper case, as every other shared constant of the runtime.

// Subtypes of ev_step.
constexpr int ev_step_normal = 0;
constexpr int ev_step_begin = 1;
constexpr int ev_step_end = 2;

// Subtypes of ev_other.
constexpr int ev_game_start = 2;
constexpr int ev_game_end = 3;
constexpr int ev_room_start = 4;
constexpr int ev_room_end = 5;
constexpr int ev_animation_end = 7;
constexpr int ev_user0 = 10;

// Subtypes of ev_draw, in the order a frame runs them: pre, begin, the draw
// itself, end, post, then the GUI layer.
constexpr int ev_draw_normal = 0;
constexpr int ev_gui = 64;
constexpr int ev_draw_resize = 65;  // the window's size changed (run at the next step)
constexpr int ev_draw_begin = 72;
constexpr int ev_draw_end = 73;
constexpr int ev_gui_begin = 74;
constexpr int ev_gui_end = 75;
constexpr int ev_draw_pre = 76;
constexpr int ev_draw_post = 77;

// Subtypes of ev_mouse: buttons (left, right, middle = +0, +1, +2) held,
// pressed and released over the instance, no button, the global forms that
// need no instance under the mouse, and the wheel.
constexpr int ev_left_button = 0;
constexpr int ev_no_button = 3;
constexpr int ev_left_press = 4;
constexpr int ev_left_release = 7;
constexpr int ev_global_left_button = 50;
constexpr int ev_global_left_press = 53;
constexpr int ev_global_left_release = 56;
constexpr int ev_mouse_wheel_up = 60;
constexpr int ev_mouse_wheel_down = 61;

// Subtype counts of the event kinds whose events are listed per subtype, and
// the first key code that keyboard events are run for (codes below are
// mouse buttons and unused).
constexpr int ALARM_COUNT = 12;
constexpr int STEP_SUBTYPE_COUNT = 16;
constexpr int OTHER_SUBTYPE_COUNT = 128;
constexpr int FIRST_KEYBOARD_SUBTYPE = 8;

// Name of a key code as event messages print it ("<Enter>", "A-key", ...).
std::string Event_KeyName(int key);
// Name of an event as error reports print it ("Create Event", "Step Event", ...).
std::string Event_Name(int type, int subtype);
