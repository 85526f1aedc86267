// SPDX-License-Identifier: Zlib
// clipboard_set_text and show_message: the built-ins that hand text to the
// user's desktop, through the platform's clipboard and message box.
#pragma once

// Runs after every show_message box is closed: the input layer installs its
// reset (keys, mouse buttons and keyboard_string cleared) so that no key
// stays down across the box. Null: nothing runs.
void Dialogs_SetInputResetAfterMessage(void (*reset)());

void Dialogs_RegisterBuiltins();
