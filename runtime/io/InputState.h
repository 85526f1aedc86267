// SPDX-License-Identifier: Zlib
// The input state record: what the window's keyboard and mouse messages have
// said, held twice. Messages write the pending copy whenever they arrive; once
// per frame, before the Step events, the fold copies it into the live copy
// that the input built-ins read, so event code sees one consistent state for
// a whole frame.
#pragma once

#include <cstdint>

// Virtual-key codes are bytes: the platform's codes run from 0 to 255.
constexpr int INPUT_KEY_COUNT = 256;
// Buttons 1 (left), 2 (right), 3 (middle).
constexpr int INPUT_MOUSE_BUTTONS = 3;
// The state has room for this many pointing devices; the mouse is device 0
// and the only one that messages feed.
constexpr int INPUT_MOUSE_DEVICES = 10;
// keyboard_string holds at most this many UTF-16 characters (plus a 0).
constexpr int INPUT_TEXT_CAPACITY = 1024;
// A character arriving while the text holds this many restarts it.
constexpr int INPUT_TEXT_RESTART = 1023;

// Key codes with a meaning of their own in the queries.
constexpr int KEY_NONE = 0;  // "no key is down"
constexpr int KEY_ANY = 1;   // "some key is down"
// Mouse buttons with a meaning of their own in the queries.
constexpr int BUTTON_ANY = -1;
constexpr int BUTTON_NONE = 0;

// Virtual-key codes recorded together with a left or right twin.
constexpr int KEY_SHIFT = 16, KEY_CONTROL = 17, KEY_ALT = 18;
constexpr int KEY_LSHIFT = 160, KEY_RSHIFT = 161;
constexpr int KEY_LCONTROL = 162, KEY_RCONTROL = 163;
constexpr int KEY_LALT = 164, KEY_RALT = 165;
constexpr uint16_t CHAR_BACKSPACE = 8;

// One copy of the state.
struct InputFrame {
  uint8_t keyDown[INPUT_KEY_COUNT];
  uint8_t keyPressed[INPUT_KEY_COUNT];
  uint8_t keyReleased[INPUT_KEY_COUNT];
  int32_t lastKey;     // the last key that went down
  int32_t currentKey;  // the key held most recently
  uint8_t mouseDown[INPUT_MOUSE_DEVICES][INPUT_MOUSE_BUTTONS];
  uint8_t mousePressed[INPUT_MOUSE_DEVICES][INPUT_MOUSE_BUTTONS];
  uint8_t mouseReleased[INPUT_MOUSE_DEVICES][INPUT_MOUSE_BUTTONS];
  int32_t lastButton[INPUT_MOUSE_DEVICES];
  int32_t currentButton[INPUT_MOUSE_DEVICES];
  int32_t mouseWindowX, mouseWindowY;  // window client pixels
  uint16_t text[INPUT_TEXT_CAPACITY + 1];  // keyboard_string, 0-terminated
  int32_t textLength;
  uint16_t lastChar;  // keyboard_lastchar
  uint8_t wheelUp, wheelDown;  // wheel turned since the last fold
};

// How window pixels become room coordinates (mouse_x, mouse_y).
constexpr int INPUT_VIEW_COUNT = 8;
struct InputView {
  bool visible = false;
  int32_t viewX = 0, viewY = 0, viewWidth = 0, viewHeight = 0;  // room area shown
  int32_t portX = 0, portY = 0, portWidth = 0, portHeight = 0;  // where it is shown
};
struct InputMapping {
  int32_t windowWidth = 0, windowHeight = 0;
  int32_t insetX = 0, insetY = 0;  // the drawing area's margin on each side
  int32_t roomWidth = 0, roomHeight = 0;
  InputView views[INPUT_VIEW_COUNT];  // used only when one is visible
};

struct InputState {
  InputFrame pending;  // written by messages
  InputFrame live;     // read by the built-ins
  int32_t keyMap[INPUT_KEY_COUNT];  // incoming code -> recorded code (keyboard_set_map)
  InputMapping mapping;
  void (*captureHandler)(bool capture) = nullptr;
  bool captured = false;
};
InputState& Input_State();
