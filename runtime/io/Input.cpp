// SPDX-License-Identifier: Zlib
// The input state: window messages into the pending copy, the frame fold into
// the live copy, the reset, mouse capture and the queries over the live copy.
#include "io/Input.h"

#include <cstring>


namespace {

InputState& S() { return Input_State(); }

void ClearFrame(InputFrame& frame) { std::memset(&frame, 0, sizeof frame); }

void ResetKeyMap() {
  for (int i = 0; i < INPUT_KEY_COUNT; ++i) S().keyMap[i] = i;
}

// The code a key message is recorded under, or -1 when it is not recorded:
// incoming codes outside 0-255 and codes the key map sends above 255.
int RecordedKey(int virtualKey) {
  if (virtualKey < 0 || virtualKey >= INPUT_KEY_COUNT) return -1;
  int code = S().keyMap[virtualKey];
  return (code >= 0 && code < INPUT_KEY_COUNT) ? code : -1;
}

// The left or right twin of Shift, Control and Alt, else -1.
int SideCode(int virtualKey, bool rightSide) {
  switch (virtualKey) {
    case KEY_SHIFT: return rightSide ? KEY_RSHIFT : KEY_LSHIFT;
    case KEY_CONTROL: return rightSide ? KEY_RCONTROL : KEY_LCONTROL;
    case KEY_ALT: return rightSide ? KEY_RALT : KEY_LALT;
    default: return -1;
  }
}

void RecordKeyDown(int virtualKey, bool autoRepeat) {
  int key = RecordedKey(virtualKey);
  if (key < 0) return;
  InputFrame& p = S().pending;
  // An auto-repeat message says the key was already down before it: holding
  // a key gives one press however long the repeat runs.
  if (!p.keyDown[key] && !autoRepeat) p.keyPressed[key] = 1;
  p.keyDown[key] = 1;
  p.lastKey = key;
  p.currentKey = key;
}

void RecordKeyUp(int virtualKey) {
  int key = RecordedKey(virtualKey);
  if (key < 0) return;
  InputFrame& p = S().pending;
  // As for mouse buttons, a pending press stays: a key tapped between two
  // folds shows pressed and released in one frame.
  p.keyDown[key] = 0;
  p.keyReleased[key] = 1;
}

bool AnySet(const uint8_t* flags, int count) {
  for (int i = 0; i < count; ++i)
    if (flags[i]) return true;
  return false;
}

void SetCapture(bool capture) {
  if (S().captured == capture) return;
  S().captured = capture;
  if (S().captureHandler) S().captureHandler(capture);
}

// Key queries: 0 "no key", 1 "any key", 2-255 that key, anything else false.
bool CheckKeys(const uint8_t* flags, int key) {
  if (key == KEY_NONE) return !AnySet(flags, INPUT_KEY_COUNT);
  if (key == KEY_ANY) return AnySet(flags, INPUT_KEY_COUNT);
  if (key < 0 || key >= INPUT_KEY_COUNT) return false;
  return flags[key] != 0;
}

// Button queries over the mouse (device 0): 1-3 that button, -1 any, 0 none.
bool CheckButtons(const uint8_t* flags, int button) {
  if (button == BUTTON_ANY) return AnySet(flags, INPUT_MOUSE_BUTTONS);
  if (button == BUTTON_NONE) return !AnySet(flags, INPUT_MOUSE_BUTTONS);
  if (button < 1 || button > INPUT_MOUSE_BUTTONS) return false;
  return flags[button - 1] != 0;
}

// ---- UTF-16 text <-> UTF-8 strings ----

void AppendUtf8(std::string& out, uint32_t code) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (code >> 18));
    out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

constexpr uint32_t REPLACEMENT_CHARACTER = 0xFFFD;

// Decodes one UTF-8 sequence at *p (advancing it); malformed bytes give the
// replacement character one byte at a time.
uint32_t NextCodePoint(const unsigned char*& p) {
  unsigned char lead = *p++;
  if (lead < 0x80) return lead;
  int extra = (lead >= 0xF0 && lead < 0xF8) ? 3 : (lead >= 0xE0) ? 2 : (lead >= 0xC0) ? 1 : -1;
  if (extra < 0 || lead >= 0xF8) return REPLACEMENT_CHARACTER;
  uint32_t code = lead & (0x3F >> extra);
  for (int i = 0; i < extra; ++i) {
    if ((p[i] & 0xC0) != 0x80) return REPLACEMENT_CHARACTER;  // also stops at the terminating 0
    code = (code << 6) | (p[i] & 0x3F);
  }
  p += extra;
  return code > 0x10FFFF ? REPLACEMENT_CHARACTER : code;
}

// Writes a code point as one or two UTF-16 units; returns how many.
int EncodeUtf16(uint32_t code, uint16_t* units) {
  if (code < 0x10000) {
    units[0] = static_cast<uint16_t>(code);
    return 1;
  }
  code -= 0x10000;
  units[0] = static_cast<uint16_t>(0xD800 + (code >> 10));
  units[1] = static_cast<uint16_t>(0xDC00 + (code & 0x3FF));
  return 2;
}

std::string Utf16ToUtf8(const uint16_t* units, int count) {
  std::string out;
  out.reserve(count);
  for (int i = 0; i < count; ++i) {
    uint32_t unit = units[i];
    bool high = unit >= 0xD800 && unit < 0xDC00;
    if (high && i + 1 < count && units[i + 1] >= 0xDC00 && units[i + 1] < 0xE000) {
      AppendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (units[i + 1] - 0xDC00));
      ++i;
    } else if (unit >= 0xD800 && unit < 0xE000) {
      AppendUtf8(out, REPLACEMENT_CHARACTER);  // a lone half of a pair
    } else {
      AppendUtf8(out, unit);
    }
  }
  return out;
}

}  // namespace

InputState& Input_State() {
  static InputState state = [] {
    InputState s;
    ClearFrame(s.pending);
    ClearFrame(s.live);
    for (int i = 0; i < INPUT_KEY_COUNT; ++i) s.keyMap[i] = i;
    return s;
  }();
  return state;
}

void Input_Init() {
  Input_Reset();
  ResetKeyMap();
}

void Input_Reset() {
  // The pointer has not moved: its position survives the reset.
  for (InputFrame* frame : {&S().pending, &S().live}) {
    int32_t x = frame->mouseWindowX, y = frame->mouseWindowY;
    ClearFrame(*frame);
    frame->mouseWindowX = x;
    frame->mouseWindowY = y;
  }
  SetCapture(false);
}

void Input_Fold() {
  InputFrame& live = S().live;
  InputFrame& pending = S().pending;

  // The held state and the text as the messages left them.
  std::memcpy(live.keyDown, pending.keyDown, sizeof live.keyDown);
  live.lastKey = pending.lastKey;
  live.currentKey = pending.currentKey;
  std::memcpy(live.mouseDown, pending.mouseDown, sizeof live.mouseDown);
  std::memcpy(live.lastButton, pending.lastButton, sizeof live.lastButton);
  std::memcpy(live.currentButton, pending.currentButton, sizeof live.currentButton);
  live.mouseWindowX = pending.mouseWindowX;
  live.mouseWindowY = pending.mouseWindowY;
  std::memcpy(live.text, pending.text, sizeof(uint16_t) * (pending.textLength + 1));
  live.textLength = pending.textLength;
  live.lastChar = pending.lastChar;

  // Edges: the live edges of the previous frame are dropped and the edges
  // seen since then take their place (clearing the live flags and setting
  // those whose pending flag is set comes to a copy). The pending edges then
  // start over, so each edge shows in exactly one frame. Edges are flags, not
  // counts: a button or key that went down and up since the last fold shows
  // pressed and released together, and several such taps show as one.
  std::memcpy(live.keyPressed, pending.keyPressed, sizeof live.keyPressed);
  std::memcpy(live.keyReleased, pending.keyReleased, sizeof live.keyReleased);
  std::memcpy(live.mousePressed, pending.mousePressed, sizeof live.mousePressed);
  std::memcpy(live.mouseReleased, pending.mouseReleased, sizeof live.mouseReleased);
  live.wheelUp = pending.wheelUp;
  live.wheelDown = pending.wheelDown;
  std::memset(pending.keyPressed, 0, sizeof pending.keyPressed);
  std::memset(pending.keyReleased, 0, sizeof pending.keyReleased);
  std::memset(pending.mousePressed, 0, sizeof pending.mousePressed);
  std::memset(pending.mouseReleased, 0, sizeof pending.mouseReleased);
  pending.wheelUp = pending.wheelDown = 0;
}

// ---- Messages ----

void Input_KeyDown(int virtualKey, bool autoRepeat, bool rightSide) {
  // The side code first, so that the generic code (16, 17, 18) ends up as
  // the last and current key.
  int side = SideCode(virtualKey, rightSide);
  if (side >= 0) RecordKeyDown(side, autoRepeat);
  RecordKeyDown(virtualKey, autoRepeat);
}

void Input_KeyUp(int virtualKey, bool rightSide) {
  int side = SideCode(virtualKey, rightSide);
  if (side >= 0) RecordKeyUp(side);
  RecordKeyUp(virtualKey);
}

void Input_Char(uint16_t c) {
  InputFrame& p = S().pending;
  p.lastChar = c;
  // A character arriving at 1023 characters restarts the text: it is emptied
  // first, then the character is handled as on an empty text (a backspace
  // leaves it empty, anything printable becomes its first character). A
  // write of keyboard_string can leave 1024 characters, which restarts too.
  if (p.textLength >= INPUT_TEXT_RESTART) p.textLength = 0;
  if (c == CHAR_BACKSPACE) {
    if (p.textLength > 0) --p.textLength;
  } else if (c >= 32) {
    p.text[p.textLength++] = c;
  }
  p.text[p.textLength] = 0;
}

void Input_MouseMove(int x, int y) {
  S().pending.mouseWindowX = x;
  S().pending.mouseWindowY = y;
}

void Input_MouseButtonDown(int button) {
  if (button < 1 || button > INPUT_MOUSE_BUTTONS) return;
  InputFrame& p = S().pending;
  bool firstDown = !AnySet(p.mouseDown[0], INPUT_MOUSE_BUTTONS);
  if (!p.mouseDown[0][button - 1]) p.mousePressed[0][button - 1] = 1;
  p.mouseDown[0][button - 1] = 1;
  p.lastButton[0] = button;
  p.currentButton[0] = button;
  // Keep receiving the release even when the pointer leaves the window.
  if (firstDown) SetCapture(true);
}

void Input_MouseButtonUp(int button) {
  if (button < 1 || button > INPUT_MOUSE_BUTTONS) return;
  InputFrame& p = S().pending;
  // The pending press stays: a tap whose down and up both arrive between two
  // folds shows pressed and released in one frame, so it is a click. The
  // held flag follows the button and is off by then. Event code starts a drag
  // on the press and ends it on the release in the same step, so the drag
  // ends where it began; a held flag left on would instead show a button
  // down that is up, and code that follows the mouse while the button is
  // held would go on dragging for a frame after the finger left the pad.
  p.mouseDown[0][button - 1] = 0;
  p.mouseReleased[0][button - 1] = 1;
  if (!AnySet(p.mouseDown[0], INPUT_MOUSE_BUTTONS)) SetCapture(false);
}

void Input_MouseWheel(int delta) {
  if (delta > 0) S().pending.wheelUp = 1;
  if (delta < 0) S().pending.wheelDown = 1;
}

void Input_SetCaptureHandler(void (*handler)(bool capture)) { S().captureHandler = handler; }

// ---- Queries ----

bool Input_KeyboardCheck(int key) { return CheckKeys(S().live.keyDown, key); }
bool Input_KeyboardCheckPressed(int key) { return CheckKeys(S().live.keyPressed, key); }
bool Input_KeyboardCheckReleased(int key) { return CheckKeys(S().live.keyReleased, key); }
bool Input_MouseCheckButton(int button) { return CheckButtons(S().live.mouseDown[0], button); }
bool Input_MouseCheckButtonPressed(int button) { return CheckButtons(S().live.mousePressed[0], button); }
bool Input_MouseCheckButtonReleased(int button) { return CheckButtons(S().live.mouseReleased[0], button); }

void Input_MouseClear(int button) {
  InputFrame& live = S().live;
  for (int b = 1; b <= INPUT_MOUSE_BUTTONS; ++b) {
    if (button != BUTTON_ANY && button != b) continue;
    live.mouseDown[0][b - 1] = 0;
    live.mousePressed[0][b - 1] = 0;
  }
}

void Input_SetKeyMap(int from, int to) {
  if (from >= 0 && from < INPUT_KEY_COUNT) S().keyMap[from] = to;
}

// ---- keyboard_string ----

std::string Input_GetText() { return Utf16ToUtf8(S().live.text, S().live.textLength); }

std::string Input_GetLastChar() {
  uint16_t c = S().live.lastChar;
  return c ? Utf16ToUtf8(&c, 1) : std::string();
}

void Input_SetLastChar(const char* utf8) {
  uint16_t units[2] = {0, 0};
  if (utf8 && *utf8) {
    const auto* p = reinterpret_cast<const unsigned char*>(utf8);
    EncodeUtf16(NextCodePoint(p), units);
  }
  S().pending.lastChar = S().live.lastChar = units[0];
}

void Input_SetText(const char* utf8) {
  uint16_t text[INPUT_TEXT_CAPACITY + 1];
  int length = 0;
  if (utf8) {
    const auto* p = reinterpret_cast<const unsigned char*>(utf8);
    while (*p) {
      uint16_t units[2];
      int count = EncodeUtf16(NextCodePoint(p), units);
      if (length + count > INPUT_TEXT_CAPACITY) break;  // a pair is never split
      for (int i = 0; i < count; ++i) text[length++] = units[i];
    }
  }
  text[length] = 0;
  // Both copies: the text reads back at once, and the next fold keeps it.
  for (InputFrame* frame : {&S().pending, &S().live}) {
    std::memcpy(frame->text, text, sizeof(uint16_t) * (length + 1));
    frame->textLength = length;
  }
}
