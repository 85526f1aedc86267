// SPDX-License-Identifier: Zlib
// Names of events and keys as error reports print them.
#include "object/Event.h"

#include <cstdio>

#include "object/Object.h"

namespace {

std::string Formatted(const char* format, int value) {
  char text[64];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

const char* MouseEventName(int subtype) {
  switch (subtype) {
    case 0: return "Left Button";
    case 1: return "Right Button";
    case 2: return "Middle Button";
    case 3: return "No Button";
    case 4: return "Left Pressed";
    case 5: return "Right Pressed";
    case 6: return "Middle Pressed";
    case 7: return "Left Released";
    case 8: return "Right Released";
    case 9: return "Middle Released";
    case 10: return "Mouse Enter";
    case 11: return "Mouse Leave";
    case 50: return "Global Left Button";
    case 51: return "Global Right Button";
    case 52: return "Global Middle Button";
    case 53: return "Global Left Pressed";
    case 54: return "Global Right Pressed";
    case 55: return "Global Middle Pressed";
    case 56: return "Global Left Released";
    case 57: return "Global Right Released";
    case 58: return "Global Middle Released";
    case 60: return "Mouse Wheel Up";
    case 61: return "Mouse Wheel Down";
    default: return "<unknown>";
  }
}

std::string OtherEventName(int subtype) {
  switch (subtype) {
    case 0: return "Outside Room";
    case 1: return "Intersect Boundary";
    case 2: return "Game Start";
    case 3: return "Game End";
    case 4: return "Room Start";
    case 5: return "Room End";
    case 6: return "No More Lives";
    case 7: return "Animation End";
    case 8: return "End of Path";
    case 9: return "No More Health";
    case 30: return "Close Button";
    default: break;
  }
  if (subtype >= ev_user0 && subtype < ev_user0 + 16) return Formatted("User Defined %d", subtype - ev_user0);
  if (subtype >= 40 && subtype < 48) return Formatted("Outside View %d", subtype - 40);
  if (subtype >= 50 && subtype < 58) return Formatted("Intersect View %d Boundary", subtype - 50);
  return "<unknown>";
}

const char* AsyncEventName(int subtype) {
  switch (subtype) {
    case 60: return "Image Loaded";
    case 61: return "Sound Loaded";
    case 62: return "HTTP";
    case 63: return "Dialog";
    case 66: return "In-App Purchase";
    case 67: return "Cloud";
    case 68: return "Networking";
    case 70: return "Social";
    case 71: return "Push Notification";
    case 72: return "Save/Load";
    case 73: return "Audio Recording";
    case 74: return "Audio Playback";
    case 75: return "System";
    default: return "<unknown>";
  }
}

const char* DrawEventName(int subtype) {
  switch (subtype) {
    case 64: return "Draw GUI Event";
    case 65: return "Resize Event";
    case 72: return "Draw Begin Event";
    case 73: return "Draw End Event";
    case 74: return "Draw GUI Begin Event";
    case 75: return "Draw GUI End Event";
    case 76: return "Pre-Draw Event";
    case 77: return "Post-Draw Event";
    default: return "Draw Event";
  }
}

}  // namespace

std::string Event_KeyName(int key) {
  switch (key) {
    case 0: return "<no key>";
    case 1: return "<any key>";
    case 8: return "<Backspace>";
    case 9: return "<Tab>";
    case 13: return "<Enter>";
    case 16: return "<Shift>";
    case 17: return "<Ctrl>";
    case 18: return "<Alt>";
    case 27: return "<Escape>";
    case 32: return "<Space>";
    case 33: return "<Page Up>";
    case 34: return "<Page Down>";
    case 35: return "<End>";
    case 36: return "<Home>";
    case 37: return "<Left>";
    case 38: return "<Up>";
    case 39: return "<Right>";
    case 40: return "<Down>";
    case 45: return "<Insert>";
    case 46: return "<Delete>";
    case 106: return "Keypad *";
    case 107: return "Keypad +";
    case 109: return "Keypad -";
    case 110: return "Keypad .";
    case 111: return "Keypad /";
    default: break;
  }
  if ((key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z')) return Formatted("%c-key", key);
  if (key >= 96 && key <= 105) return Formatted("Keypad-%d", key - 96);
  return "<unknown>";
}

std::string Event_Name(int type, int subtype) {
  switch (type) {
    case ev_create: return "Create Event";
    case ev_destroy: return "Destroy Event";
    case ev_alarm: return Formatted("Alarm Event for alarm %d", subtype);
    case ev_step:
      if (subtype == ev_step_begin) return "Begin Step Event";
      if (subtype == ev_step_end) return "End Step Event";
      return "Step Event";
    case ev_collision: {
      const char* name = Object_Name(subtype);
      return std::string("Collision Event with object ") + name;
    }
    case ev_keyboard: return "Keyboard Event for " + Event_KeyName(subtype);
    case ev_mouse: return std::string("Mouse Event for ") + MouseEventName(subtype);
    case ev_other:
      if (subtype >= 60) return std::string("Async Event: ") + AsyncEventName(subtype);
      return "Other Event: " + OtherEventName(subtype);
    case ev_draw: return DrawEventName(subtype);
    case ev_keypress: return "Key Press Event for " + Event_KeyName(subtype);
    case ev_keyrelease: return "Key Release Event for " + Event_KeyName(subtype);
    default: return "<Unknown Event>";
  }
}
