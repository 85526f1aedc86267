// SPDX-License-Identifier: Zlib
// Default message box: no window exists, so the box is written to the debug
// console and answered at once. The SDL implementation that blocks on a real
// box arrives with the window and is installed through
// Platform_SetMessageBoxImplementation.
#include "platform/MessageBox.h"

#include "base/Console.h"

namespace {

struct MessageBoxState {
  MessageBoxImplementation implementation = nullptr;
  MessageBoxCaptionSource captionSource = nullptr;
};

MessageBoxState& State() {
  static MessageBoxState state;
  return state;
}

void ShowOnConsole(const char* caption, const char* text) {
  DebugConsole().Output("[message box] %s\n%s\n", caption ? caption : "", text ? text : "");
}

}  // namespace

void Platform_ShowMessageBox(const char* caption, const char* text) {
  MessageBoxImplementation implementation = State().implementation;
  (implementation ? implementation : ShowOnConsole)(caption ? caption : "", text ? text : "");
}

MessageBoxImplementation Platform_SetMessageBoxImplementation(MessageBoxImplementation implementation) {
  MessageBoxImplementation previous = State().implementation;
  State().implementation = implementation;
  return previous;
}

void Platform_SetMessageBoxCaptionSource(MessageBoxCaptionSource source) { State().captionSource = source; }

const char* Platform_MessageBoxCaption() {
  MessageBoxCaptionSource source = State().captionSource;
  const char* caption = source ? source() : nullptr;
  return caption ? caption : "";
}
