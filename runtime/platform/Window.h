// SPDX-License-Identifier: Zlib
// The program's window and its messages, in the runtime's own terms: the
// window is made once with a size and a caption, its messages are drained
// into neutral platform events (virtual-key codes, buttons 1-3, UTF-16
// characters), and whether it is the active window can be asked.
#pragma once

#include <cstdint>

enum class PlatformEventType : uint8_t {
  KeyDown,      // a = virtual key, b = auto-repeat, c = right-side key
  KeyUp,        // a = virtual key, c = right-side key
  Character,    // a = UTF-16 code unit
  MouseMove,    // a = x, b = y (window client pixels)
  ButtonDown,   // a = button 1 left, 2 right, 3 middle
  ButtonUp,     // a = button
  Wheel,        // a = +1 up, -1 down
  Quit,         // the window was closed
  FocusGained,
  FocusLost,
  FileDropped,  // text = the dropped file's path
};

struct PlatformEvent {
  PlatformEventType type;
  int32_t a = 0, b = 0, c = 0;
  // Valid only while the sink handles the event: the sink copies what it keeps.
  const char* text = nullptr;
};

using PlatformEventSink = void (*)(const PlatformEvent& event);

// Starts the video part of the platform. headless: SDL's dummy video driver,
// no real window; message boxes and the clipboard stay inside the process.
bool Platform_Init(bool headless);
void Platform_Shutdown();
bool Platform_IsHeadless();
// Makes the window (hidden in headless mode), width x height client pixels;
// a real window may be resized by the user. False with a message on failure.
bool Platform_CreateWindow(int width, int height, const char* caption);
void Platform_SetCaption(const char* caption);
const char* Platform_Caption();
void Platform_GetWindowSize(int* width, int* height);
// Where drained messages go.
void Platform_SetEventSink(PlatformEventSink sink);
// Drains every pending window message into the sink.
void Platform_ProcessMessages();
// Called at the end of every drain, while a window exists, with its current
// client size: what depends on that size (where the room is drawn in it, how
// the mouse maps into the room) follows a resize before the next step reads
// the mouse. Null for none.
using PlatformWindowSizeHandler = void (*)(int width, int height);
void Platform_SetWindowSizeHandler(PlatformWindowSizeHandler handler);
// True once after a drained message said that the window's pixels may have
// been lost (it was exposed, shown, restored or resized): the next frame
// must be drawn and presented whole.
bool Platform_TakeRepaintRequest();
bool Platform_WindowActive();
// Mouse capture for the input's button rule.
void Platform_CaptureMouse(bool capture);
// Runs the platform's own message box over the window (used by the SDL message box seam).
void Platform_SdlMessageBox(const char* caption, const char* text);
