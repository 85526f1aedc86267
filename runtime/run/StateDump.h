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
//    "maps": {"<handle>": {"key": value, ...}, ...}}
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
