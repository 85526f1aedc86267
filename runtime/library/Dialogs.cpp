// SPDX-License-Identifier: Zlib
#include "library/Dialogs.h"

#include "code/CompiledCode.h"
#include "platform/Clipboard.h"
#include "platform/MessageBox.h"
#include "value/ArgReaders.h"
#include "value/TextBuffer.h"

namespace {

struct DialogsState {
  void (*inputReset)() = nullptr;
};

DialogsState& State() {
  static DialogsState state;
  return state;
}

// A text that is missing (not a string) does nothing and gives 0; "" empties
// the clipboard.
void F_ClipboardSetText(DynValue& result, CInstance*, CInstance*, int, DynValue* args) {
  const char* text = ZuGetString(args, 0);
  if (!text) {
    DynValue_SetReal(&result, 0);
    return;
  }
  Platform_SetClipboardText(text);
}

void F_ShowMessage(DynValue&, CInstance*, CInstance*, int, DynValue* args) {
  TextBuffer text;
  DynValue_ToText(&text, &args[0]);
  Platform_ShowMessageBox(Platform_MessageBoxCaption(), text.Text());
  if (State().inputReset) State().inputReset();
}

}  // namespace

void Dialogs_SetInputResetAfterMessage(void (*reset)()) { State().inputReset = reset; }

void Dialogs_RegisterBuiltins() {
  Function_Add("clipboard_set_text", F_ClipboardSetText, 1, true);
  Function_Add("show_message", F_ShowMessage, 1, true);
}
