// SPDX-License-Identifier: Zlib
// Default clipboard: the text lives in the process. The clipboard is touched
// only from the main thread, like every built-in, so it takes no lock.
#include "platform/Clipboard.h"

namespace {

struct ClipboardState {
  std::string text;
  const ClipboardImplementation* implementation = nullptr;
  bool set = false;  // a text was put through the current implementation
};

ClipboardState& State() {
  static ClipboardState state;
  return state;
}

bool SetInProcess(const char* utf8) {
  State().text = utf8 ? utf8 : "";
  return true;
}

std::string GetInProcess() { return State().text; }

const ClipboardImplementation kInProcess = {SetInProcess, GetInProcess};

const ClipboardImplementation& Current() {
  const ClipboardImplementation* implementation = State().implementation;
  return implementation ? *implementation : kInProcess;
}

}  // namespace

bool Platform_SetClipboardText(const char* utf8) {
  State().set = true;
  return Current().setText(utf8 ? utf8 : "");
}

std::string Platform_GetClipboardText() { return Current().getText(); }

bool Platform_ClipboardTextIfSet(std::string* utf8) {
  if (!State().set) return false;
  *utf8 = Current().getText();
  return true;
}

void Platform_SetClipboardImplementation(const ClipboardImplementation* implementation) {
  State().implementation = implementation;
  State().set = false;
}
