// SPDX-License-Identifier: Zlib
// The system clipboard, as far as the runtime needs it: put a text on it (an
// empty text empties it) and read the text back. A narrow seam with a
// replaceable implementation: the default keeps the text inside the process
// (headless runs and tests read it back); the SDL clipboard is installed with
// the window, in a later change.
#pragma once

#include <string>

struct ClipboardImplementation {
  // Replaces the clipboard's text; "" empties the clipboard. False on failure.
  bool (*setText)(const char* utf8);
  // The clipboard's text, "" when it holds none.
  std::string (*getText)();
};

bool Platform_SetClipboardText(const char* utf8);
std::string Platform_GetClipboardText();
// The clipboard's text when the program has put one there (an empty one
// included) through the current implementation; false, and *utf8 left as it
// is, when it never has. The state dump tells the two apart.
bool Platform_ClipboardTextIfSet(std::string* utf8);

// Replaces the implementation; null restores the in-process one. The
// clipboard then counts as never set until the next Platform_SetClipboardText.
void Platform_SetClipboardImplementation(const ClipboardImplementation* implementation);
