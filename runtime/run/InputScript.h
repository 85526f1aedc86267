// SPDX-License-Identifier: Zlib
// Input scripts: the window's input events, one per line, keyed by the frame
// in which they arrive, so that a session can be recorded (-record FILE) and
// replayed frame by frame (-playback FILE) through the same path as real
// window messages. The format is meant to be written by hand:
//
//   # comment
//   <frame> move <x> <y>          pointer moves to window pixel (x, y)
//   <frame> press <button>        button down: left, right, middle (or 1, 2, 3)
//   <frame> release <button>      button up
//   <frame> click <button>        press now, release in the next frame
//   <frame> keydown <key>         key down: a virtual-key code or a name
//   <frame> keyup <key>           key up
//   <frame> repeat <key>          an auto-repeated key down
//   <frame> char <code>           one typed character (UTF-16 code)
//   <frame> type "<text>"         typed characters (\" \\ \n \t escapes)
//   <frame> keys "<text>"         keystrokes, one a frame from <frame> on: key
//                                 down with its character, key up a frame later
//   <frame> wheel <up|down>
//   <frame> drop "<file>"         a file is dropped onto the window
//   <frame> quit                  the window is closed
//
// Key names: enter, backspace, tab, escape, space, delete, shift, control,
// alt, left, up, right, down, home, end, a..z, 0..9; side keys as rshift,
// rcontrol, ralt. Frames count from 0 (the first step).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Window.h"

struct ScriptedEvent {
  int64_t frame;
  PlatformEvent event;
  std::string text;  // a dropped file's path; event.text points here when it is played
};

// Scripts are a few bytes an event: this holds millions of events, far more
// than any recorded session, and a larger file is not a script.
constexpr uint64_t kInputScriptMaxBytes = 64u << 20;

// Reads and parses a script file (a regular file of at most
// kInputScriptMaxBytes, opened without blocking); false with the reason, such
// as "not a regular file" or "line N: ...", in *error.
bool InputScript_ReadFile(const std::string& path, std::vector<ScriptedEvent>* events, std::string* error);
// Parses a script; false with "line N: ..." in *error on a malformed line.
bool InputScript_Parse(const std::string& text, std::vector<ScriptedEvent>* events, std::string* error);
// One line of the script for an event (as -record writes it).
std::string InputScript_Line(int64_t frame, const PlatformEvent& event);
