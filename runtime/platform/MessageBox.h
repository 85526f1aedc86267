// SPDX-License-Identifier: Zlib
// The modal message box: a caption, a text, an OK button, waiting until the
// user closes it. A narrow seam with a replaceable implementation: the default
// writes the box to the debug console and returns at once (headless runs and
// tests); the windowed build installs an SDL message box when the window is
// made (that implementation comes with the window, not in this file).
#pragma once

// Shows the box and returns when it is closed.
void Platform_ShowMessageBox(const char* caption, const char* text);

// Replaces the implementation; null restores the default. Returns the previous
// one (null when the default was in use).
using MessageBoxImplementation = void (*)(const char* caption, const char* text);
MessageBoxImplementation Platform_SetMessageBoxImplementation(MessageBoxImplementation implementation);

// The caption that boxes shown by event code carry: the window's current
// caption. The window installs a source for it; without one the caption is "".
using MessageBoxCaptionSource = const char* (*)();
void Platform_SetMessageBoxCaptionSource(MessageBoxCaptionSource source);
const char* Platform_MessageBoxCaption();
