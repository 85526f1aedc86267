// SPDX-License-Identifier: Zlib
// The room's state as JSON (-dumpstate FRAME FILE): every live instance with
// its built-in position fields and every user variable it holds, by the
// variable's source name, every live list and map with its contents, and the
// clipboard's text (headless, the clipboard lives in the process). Scenario
// tests read it to check what the editor did; people read it to see what the
// editor holds at a given frame.
//
//   {"frame": N,
//    "clipboard": "text" (null when the program never put a text there),
//    "instances": [{"object": "obj_A", "id": 100001, "depth": 0, "x": 16, "y": 32,
//                   "image_angle": 0, "sprite_index": 3, "mask_index": -1,
//                   "variables": {"name": value, ...}}, ...],
//    "lists": {"<handle>": [value, ...], ...},
//    "maps": {"<handle>": {"key": value, ...}, ...},
//    "audio": {"device": "loopback", "plays": 2,
//              "voices": [{"handle": 400001, "sound": 0, "name": "msc_A",
//                          "state": "playing", "gain": 0.5, "position": 1.25}, ...],
//              "samples": 735, "level": 0.0812, "peak": 0.43},
//    "frames": {"drawn": 5, "reused": 295}}
//
// "audio": "device" is "disabled" (-noaudio), "loopback" (-audio loopback),
// "device" (a sound device is open) or "none" (none could be opened);
// "plays" counts the plays that got a handle since the start; "voices" are
// the active voices by handle, each "playing" or "paused", with its own gain
// and its play position in seconds. Once the loopback device has mixed a
// frame, "samples", "level" and "peak" describe the stereo sample frames
// mixed after this frame: how many, their root mean square and their greatest magnitude, both
// with 1 as full scale (0 when silent).
//
// "frames": the frames presented whole since the start, and the frames left
// on the screen as they were because they asked for exactly the drawing of
// the frame before (an idle editor's frames); both 0 without a renderer.
//
// Instances come in the room's order (by depth, then filing order), variables
// by name, maps in their own visiting order. A value is a JSON number, a
// string, null for undefined, or a descriptive string such as "<array: 3
// items>" for anything else. Numeric map keys are written as their number text.
#pragma once

#include <cstdint>
#include <string>

// The dump as text (pretty-printed JSON).
std::string StateDump_Json(int64_t frame);
// Writes the dump to a file; false (after a line in the debug log) when the
// file cannot be written.
bool StateDump_Write(int64_t frame, const char* path);
