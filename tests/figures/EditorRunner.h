// SPDX-License-Identifier: Zlib
// The program's runner in the test's own process, on the editor's compiled
// code and embedded data, for tests that run the editor's objects directly
// (the sample figures, the exported object, the sprite sheet).
#pragma once

#include <string>

namespace figures {

// Starts the runner once, headless and silent, its debug output to
// `output`, and waits until the sprites' pages are decoded. Later calls
// answer what the first one did. Its threads end with the test program.
bool StartEditorRunner(const char* program, const std::string& output = "/dev/null");

// Takes every instance out of the room.
void ClearRoom();

}  // namespace figures
