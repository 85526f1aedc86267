// SPDX-License-Identifier: Zlib
// Keyboard and mouse input: the entry points that the window code calls with
// already-translated platform messages (virtual-key codes, buttons 1-3, UTF-16
// characters, client pixels), the once-per-frame fold, the queries behind the
// input built-ins and the mapping of the mouse into room coordinates.
//
// Everything runs on the thread of the frame loop: messages are drained
// between frames, so the state needs no lock (see io/InputState.h).
#pragma once

#include <cstdint>
#include <string>

#include "io/InputState.h"

// Clears the state and restores the identity key map ("IO Init"). The runner
// also hands Input_Reset to the message box, so that no key stays down across
// a box.
void Input_Init();
// Clears every flag and the typed text in both copies and releases the mouse
// capture; the key map, the mouse position and the mapping stay.
void Input_Reset();
// Once per frame, before the Step events.
void Input_Fold();

// ---- Messages (pending state) ----
// rightSide: for Shift, the platform reports the right Shift key down; for
// Control and Alt, the message carries the extended-key flag.
void Input_KeyDown(int virtualKey, bool autoRepeat, bool rightSide);
void Input_KeyUp(int virtualKey, bool rightSide);
void Input_Char(uint16_t c);
void Input_MouseMove(int x, int y);
void Input_MouseButtonDown(int button);  // 1 left, 2 right, 3 middle
void Input_MouseButtonUp(int button);
void Input_MouseWheel(int delta);        // > 0 up, < 0 down

// Mouse capture seam: the window installs the platform's capture call; the
// first button down asks for capture, the last button up releases it.
void Input_SetCaptureHandler(void (*handler)(bool capture));

// ---- Room coordinates of the mouse ----
// The window's client size, the drawing area's inset on each side and the
// current room's size; the runner calls it when any of them changes.
void Input_SetViewMapping(int windowWidth, int windowHeight, int insetX, int insetY, int roomWidth,
                          int roomHeight);
// The current room's views (at most INPUT_VIEW_COUNT; null or 0 clears them).
// Only visible views take part; without one the room is stretched over the
// drawing area.
void Input_SetViews(const InputView* views, int count);
// The live mouse position in room coordinates (whole numbers).
int Input_MouseRoomX();
int Input_MouseRoomY();

// ---- Queries over the live state (direct entries for compiled code) ----
// keyboard_check: key 0 = no key down, 1 = any key down, above 255 false.
bool Input_KeyboardCheck(int key);
bool Input_KeyboardCheckPressed(int key);
bool Input_KeyboardCheckReleased(int key);
// mouse_check_button: 1-3 that button, -1 any, 0 none, anything else false.
bool Input_MouseCheckButton(int button);
bool Input_MouseCheckButtonPressed(int button);
bool Input_MouseCheckButtonReleased(int button);
// mouse_clear: the button (1-3, or -1 for every button; 0 and anything else
// change nothing) reads as up and not pressed for the rest of the step, so
// that code which took a press can keep it from everything that runs after
// it. Its release in this step still shows, for the code that took the
// press. Only the live copy changes: a button still held is down again from
// the next fold on, without a new press.
void Input_MouseClear(int button);

// keyboard_set_map: key `from` is recorded as `to` from now on.
void Input_SetKeyMap(int from, int to);

// keyboard_string as UTF-8 (live copy), and its write: a string sets both
// copies (first 1024 characters), null empties them.
std::string Input_GetText();
void Input_SetText(const char* utf8);
// keyboard_lastchar: the last typed character as UTF-8 ("" when none); a
// write takes the first character of a string (its first UTF-16 unit), and
// null or "" clears it.
std::string Input_GetLastChar();
void Input_SetLastChar(const char* utf8);

// The input built-ins: keyboard_check, keyboard_check_pressed,
// keyboard_check_released, mouse_check_button, mouse_check_button_pressed,
// mouse_check_button_released, mouse_clear, mouse_wheel_up,
// mouse_wheel_down, keyboard_set_map, keyboard_get_map, io_clear.
void Input_RegisterBuiltins();
// mouse_x, mouse_y (read-only), keyboard_string, keyboard_lastchar,
// keyboard_key, keyboard_lastkey, mouse_button, mouse_lastbutton.
void Input_RegisterBuiltinVariables();
