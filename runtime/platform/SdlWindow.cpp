// SPDX-License-Identifier: Zlib
// The window on SDL2: creation, caption, message draining into platform
// events, the active-window query, mouse capture, and the SDL clipboard and
// message box installed behind the runtime's seams when a real window exists.
#include <SDL.h>

#include <cstdlib>
#include <string>

#include "base/Console.h"
#include "platform/Clipboard.h"
#include "platform/LargeBlocks.h"
#include "platform/MessageBox.h"
#include "platform/SdlContext.h"
#include "platform/Window.h"

namespace {

struct WindowState {
  bool initialised = false;
  bool headless = false;
  SDL_Window* window = nullptr;
  std::string caption;
  bool active = true;
  PlatformEventSink sink = nullptr;
  PlatformWindowSizeHandler sizeHandler = nullptr;
  bool repaintWanted = false;  // the window's pixels may have been lost
};

WindowState& State() {
  static WindowState state;
  return state;
}

void Emit(PlatformEventType type, int a = 0, int b = 0, int c = 0, const char* text = nullptr) {
  if (!State().sink) return;
  PlatformEvent event;
  event.type = type;
  event.a = a;
  event.b = b;
  event.c = c;
  event.text = text;
  State().sink(event);
}

// SDL key -> the virtual-key codes that event code and the input state use.
int VirtualKey(const SDL_Keysym& key, bool* rightSide) {
  *rightSide = false;
  SDL_Keycode k = key.sym;
  if (k >= SDLK_a && k <= SDLK_z) return 'A' + (k - SDLK_a);
  if (k >= SDLK_0 && k <= SDLK_9) return '0' + (k - SDLK_0);
  if (k >= SDLK_F1 && k <= SDLK_F12) return 112 + (k - SDLK_F1);
  if (k >= SDLK_KP_1 && k <= SDLK_KP_9) return 97 + (k - SDLK_KP_1);
  switch (k) {
    case SDLK_BACKSPACE: return 8;
    case SDLK_TAB: return 9;
    case SDLK_RETURN:
    case SDLK_KP_ENTER: return 13;
    case SDLK_LSHIFT: return 16;
    case SDLK_RSHIFT: *rightSide = true; return 16;
    case SDLK_LCTRL: return 17;
    case SDLK_RCTRL: *rightSide = true; return 17;
    case SDLK_LALT: return 18;
    case SDLK_RALT: *rightSide = true; return 18;
    case SDLK_PAUSE: return 19;
    case SDLK_CAPSLOCK: return 20;
    case SDLK_ESCAPE: return 27;
    case SDLK_SPACE: return 32;
    case SDLK_PAGEUP: return 33;
    case SDLK_PAGEDOWN: return 34;
    case SDLK_END: return 35;
    case SDLK_HOME: return 36;
    case SDLK_LEFT: return 37;
    case SDLK_UP: return 38;
    case SDLK_RIGHT: return 39;
    case SDLK_DOWN: return 40;
    case SDLK_INSERT: return 45;
    case SDLK_DELETE: return 46;
    case SDLK_KP_0: return 96;
    case SDLK_KP_MULTIPLY: return 106;
    case SDLK_KP_PLUS: return 107;
    case SDLK_KP_MINUS: return 109;
    case SDLK_KP_PERIOD: return 110;
    case SDLK_KP_DIVIDE: return 111;
    case SDLK_SEMICOLON: return 186;
    case SDLK_EQUALS: return 187;
    case SDLK_COMMA: return 188;
    case SDLK_MINUS: return 189;
    case SDLK_PERIOD: return 190;
    case SDLK_SLASH: return 191;
    case SDLK_BACKQUOTE: return 192;
    case SDLK_LEFTBRACKET: return 219;
    case SDLK_BACKSLASH: return 220;
    case SDLK_RIGHTBRACKET: return 221;
    case SDLK_QUOTE: return 222;
    default: return 0;
  }
}

int Button(uint8_t sdlButton) {
  switch (sdlButton) {
    case SDL_BUTTON_LEFT: return 1;
    case SDL_BUTTON_RIGHT: return 2;
    case SDL_BUTTON_MIDDLE: return 3;
    default: return 0;
  }
}

// Typed text arrives as UTF-8; the input state takes UTF-16 code units.
void EmitText(const char* utf8) {
  const auto* s = reinterpret_cast<const unsigned char*>(utf8);
  while (*s) {
    uint32_t cp;
    int extra;
    if (*s < 0x80) { cp = *s; extra = 0; }
    else if ((*s & 0xE0) == 0xC0) { cp = *s & 0x1F; extra = 1; }
    else if ((*s & 0xF0) == 0xE0) { cp = *s & 0x0F; extra = 2; }
    else if ((*s & 0xF8) == 0xF0) { cp = *s & 0x07; extra = 3; }
    else { ++s; continue; }
    ++s;
    bool valid = true;
    for (int i = 0; i < extra; ++i, ++s) {
      if ((*s & 0xC0) != 0x80) { valid = false; break; }
      cp = (cp << 6) | (*s & 0x3F);
    }
    if (!valid) continue;
    if (cp >= 0x10000) {
      cp -= 0x10000;
      Emit(PlatformEventType::Character, static_cast<int>(0xD800 + (cp >> 10)));
      Emit(PlatformEventType::Character, static_cast<int>(0xDC00 + (cp & 0x3FF)));
    } else {
      Emit(PlatformEventType::Character, static_cast<int>(cp));
    }
  }
}

void Translate(const SDL_Event& e) {
  switch (e.type) {
    case SDL_QUIT:
      Emit(PlatformEventType::Quit);
      break;
    case SDL_WINDOWEVENT:
      if (e.window.event == SDL_WINDOWEVENT_FOCUS_GAINED) {
        State().active = true;
        Emit(PlatformEventType::FocusGained);
      } else if (e.window.event == SDL_WINDOWEVENT_FOCUS_LOST) {
        State().active = false;
        Emit(PlatformEventType::FocusLost);
      } else if (e.window.event == SDL_WINDOWEVENT_EXPOSED || e.window.event == SDL_WINDOWEVENT_SHOWN ||
                 e.window.event == SDL_WINDOWEVENT_RESTORED || e.window.event == SDL_WINDOWEVENT_MAXIMIZED ||
                 e.window.event == SDL_WINDOWEVENT_SIZE_CHANGED) {
        State().repaintWanted = true;
      }
      break;
    case SDL_RENDER_TARGETS_RESET:  // the canvas's pixels are gone
    case SDL_RENDER_DEVICE_RESET:
      State().repaintWanted = true;
      break;
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
      bool right = false;
      int vk = VirtualKey(e.key.keysym, &right);
      if (vk == 0) break;
      if (e.type == SDL_KEYDOWN) {
        Emit(PlatformEventType::KeyDown, vk, e.key.repeat ? 1 : 0, right ? 1 : 0);
        // Backspace and Enter also arrive as characters, as typed text expects.
        if (vk == 8 || vk == 13) Emit(PlatformEventType::Character, vk);
      } else {
        Emit(PlatformEventType::KeyUp, vk, 0, right ? 1 : 0);
      }
      break;
    }
    case SDL_TEXTINPUT:
      EmitText(e.text.text);
      break;
    case SDL_MOUSEMOTION:
      Emit(PlatformEventType::MouseMove, e.motion.x, e.motion.y);
      break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
      int button = Button(e.button.button);
      if (button == 0) break;
      Emit(PlatformEventType::MouseMove, e.button.x, e.button.y);
      Emit(e.type == SDL_MOUSEBUTTONDOWN ? PlatformEventType::ButtonDown : PlatformEventType::ButtonUp, button);
      break;
    }
    case SDL_DROPFILE:
      if (e.drop.file) {
        Emit(PlatformEventType::FileDropped, 0, 0, 0, e.drop.file);
        SDL_free(e.drop.file);
      }
      break;
    case SDL_MOUSEWHEEL:
      if (e.wheel.y != 0) Emit(PlatformEventType::Wheel, e.wheel.y > 0 ? 1 : -1);
      break;
    default:
      break;
  }
}

bool SdlSetClipboard(const char* utf8) { return SDL_SetClipboardText(utf8 ? utf8 : "") == 0; }

std::string SdlGetClipboard() {
  char* text = SDL_GetClipboardText();
  std::string result = text ? text : "";
  SDL_free(text);
  return result;
}

const ClipboardImplementation kSdlClipboard = {SdlSetClipboard, SdlGetClipboard};

void SdlMessageBoxImplementation(const char* caption, const char* text) { Platform_SdlMessageBox(caption, text); }

const char* CurrentCaption() { return State().caption.c_str(); }

}  // namespace

SDL_Window* PlatformSdl_Window() { return State().window; }
bool PlatformSdl_Headless() { return State().headless; }

bool Platform_Init(bool headless) {
  WindowState& s = State();
  if (s.initialised) return true;
  s.headless = headless;
  LargeBlocks_InstallForSdl();
  if (headless) SDL_SetHint(SDL_HINT_VIDEODRIVER, "dummy");
  // Linux desktops otherwise stop their screen saver while the editor runs.
  SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
  // SIGTERM and SIGINT (a session ending, kill, Ctrl+C) arrive as the
  // window's close through SDL's own handlers, headless too, so that the game
  // ends normally and runs its Game End events; no environment setting may
  // switch them off.
  SDL_SetHintWithPriority(SDL_HINT_NO_SIGNAL_HANDLERS, "0", SDL_HINT_OVERRIDE);
  if (SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
    DebugConsole().Output("SDL video could not start: %s\n", SDL_GetError());
    return false;
  }
  s.initialised = true;
  Platform_SetMessageBoxCaptionSource(CurrentCaption);
  return true;
}

void Platform_Shutdown() {
  WindowState& s = State();
  if (!s.initialised) return;
  Platform_SetClipboardImplementation(nullptr);
  Platform_SetMessageBoxImplementation(nullptr);
  if (s.window) SDL_DestroyWindow(s.window);
  s.window = nullptr;
  SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS);
  s.initialised = false;
}

bool Platform_IsHeadless() { return State().headless; }

bool Platform_CreateWindow(int width, int height, const char* caption) {
  WindowState& s = State();
  if (!s.initialised) return false;
  s.caption = caption ? caption : "";
  // A real window may be resized; the runner keeps the room's aspect in it.
  Uint32 flags = s.headless ? SDL_WINDOW_HIDDEN : SDL_WINDOW_SHOWN | SDL_WINDOW_RESIZABLE;
  s.window = SDL_CreateWindow(s.caption.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width, height, flags);
  if (!s.window) {
    DebugConsole().Output("The window could not be made: %s\n", SDL_GetError());
    return false;
  }
  if (!s.headless) {
    Platform_SetClipboardImplementation(&kSdlClipboard);
    Platform_SetMessageBoxImplementation(SdlMessageBoxImplementation);
  }
  SDL_StartTextInput();
  return true;
}

void Platform_SetCaption(const char* caption) {
  WindowState& s = State();
  s.caption = caption ? caption : "";
  if (s.window) SDL_SetWindowTitle(s.window, s.caption.c_str());
}

const char* Platform_Caption() { return State().caption.c_str(); }

void Platform_GetWindowSize(int* width, int* height) {
  *width = *height = 0;
  if (State().window) SDL_GetWindowSize(State().window, width, height);
}

void Platform_SetEventSink(PlatformEventSink sink) { State().sink = sink; }

void Platform_ProcessMessages() {
  if (!State().initialised) return;
  SDL_Event e;
  while (SDL_PollEvent(&e)) Translate(e);
  WindowState& s = State();
  if (s.sizeHandler && s.window) {
    int width = 0, height = 0;
    SDL_GetWindowSize(s.window, &width, &height);
    s.sizeHandler(width, height);
  }
}

void Platform_SetWindowSizeHandler(PlatformWindowSizeHandler handler) { State().sizeHandler = handler; }

bool Platform_TakeRepaintRequest() {
  const bool wanted = State().repaintWanted;
  State().repaintWanted = false;
  return wanted;
}

bool Platform_WindowActive() { return State().headless || State().active; }

void Platform_CaptureMouse(bool capture) {
  if (State().window && !State().headless) SDL_CaptureMouse(capture ? SDL_TRUE : SDL_FALSE);
}

void Platform_SdlMessageBox(const char* caption, const char* text) {
  if (SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_INFORMATION, caption ? caption : "", text ? text : "", State().window) != 0)
    DebugConsole().Output("%s\n%s\n", caption ? caption : "", text ? text : "");
}
