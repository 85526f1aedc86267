// SPDX-License-Identifier: Zlib
#include "run/InputScript.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>

#include "platform/RegularFile.h"

namespace {

struct KeyName {
  const char* name;
  int code;
  bool right;
};

const KeyName kKeys[] = {
    {"backspace", 8, false}, {"tab", 9, false},       {"enter", 13, false},   {"shift", 16, false},
    {"control", 17, false},  {"alt", 18, false},      {"rshift", 16, true},   {"rcontrol", 17, true},
    {"ralt", 18, true},      {"escape", 27, false},   {"space", 32, false},   {"pageup", 33, false},
    {"pagedown", 34, false}, {"end", 35, false},      {"home", 36, false},    {"left", 37, false},
    {"up", 38, false},       {"right", 39, false},    {"down", 40, false},    {"insert", 45, false},
    {"delete", 46, false},
};

bool ParseKey(const std::string& word, int* code, bool* right) {
  *right = false;
  for (const KeyName& k : kKeys)
    if (word == k.name) {
      *code = k.code;
      *right = k.right;
      return true;
    }
  if (word.size() == 1 && std::isalnum(static_cast<unsigned char>(word[0]))) {
    *code = std::toupper(static_cast<unsigned char>(word[0]));
    return true;
  }
  char* end = nullptr;
  long v = std::strtol(word.c_str(), &end, 10);
  if (!word.empty() && *end == '\0' && v >= 0 && v <= 255) {
    *code = static_cast<int>(v);
    return true;
  }
  return false;
}

// The key that types a printable ASCII character on a plain keyboard: letters
// and digits are their own codes, the rest the punctuation keys. 0 for a
// character that no single key types here.
int KeyOfCharacter(char16_t c) {
  if (c >= 'a' && c <= 'z') return c - 'a' + 'A';
  if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == ' ') return c;
  switch (c) {
    case ';': return 186;
    case '=': return 187;
    case ',': return 188;
    case '-': return 189;
    case '.': return 190;
    case '/': return 191;
    default: return 0;
  }
}

bool ParseButton(const std::string& word, int* button) {
  if (word == "left" || word == "1") *button = 1;
  else if (word == "right" || word == "2") *button = 2;
  else if (word == "middle" || word == "3") *button = 3;
  else return false;
  return true;
}

bool ParseInt(const std::string& word, int64_t* value) {
  if (word.empty()) return false;
  char* end = nullptr;
  long long v = std::strtoll(word.c_str(), &end, 10);
  if (*end != '\0') return false;
  *value = v;
  return true;
}

// The quoted text after the verb at `from`, with its escapes, as bytes;
// false when unterminated.
bool ParseQuotedBytes(const std::string& line, size_t from, std::string* bytes) {
  size_t open = line.find('"', from);
  if (open == std::string::npos) return false;
  size_t i = open + 1;
  for (; i < line.size() && line[i] != '"'; ++i) {
    if (line[i] == '\\' && i + 1 < line.size()) {
      char e = line[++i];
      *bytes += e == 'n' ? '\n' : e == 't' ? '\t' : e;
    } else {
      *bytes += line[i];
    }
  }
  return i < line.size();
}

// The quoted text after "type" or "keys" as UTF-16 code units.
bool ParseQuoted(const std::string& line, size_t from, std::u16string* out) {
  std::string bytes;
  if (!ParseQuotedBytes(line, from, &bytes)) return false;
  // UTF-8 to UTF-16 code units (the input state's unit).
  for (size_t k = 0; k < bytes.size();) {
    unsigned char c = static_cast<unsigned char>(bytes[k]);
    uint32_t cp = c;
    int extra = c < 0x80 ? 0 : (c & 0xE0) == 0xC0 ? 1 : (c & 0xF0) == 0xE0 ? 2 : 3;
    if (extra) cp = c & (0x3F >> extra);
    ++k;
    for (int n = 0; n < extra && k < bytes.size(); ++n, ++k) cp = (cp << 6) | (bytes[k] & 0x3F);
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out->push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
      out->push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    } else {
      out->push_back(static_cast<char16_t>(cp));
    }
  }
  return true;
}

ScriptedEvent Make(int64_t frame, PlatformEventType type, int a = 0, int b = 0, int c = 0) {
  ScriptedEvent e;
  e.frame = frame;
  e.event.type = type;
  e.event.a = a;
  e.event.b = b;
  e.event.c = c;
  return e;
}

}  // namespace

bool InputScript_Parse(const std::string& text, std::vector<ScriptedEvent>* events, std::string* error) {
  std::istringstream lines(text);
  std::string line;
  int lineNumber = 0;
  auto fail = [&](const std::string& what) {
    *error = "line " + std::to_string(lineNumber) + ": " + what;
    return false;
  };
  while (std::getline(lines, line)) {
    ++lineNumber;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::istringstream words(line);
    std::string frameWord, verb;
    if (!(words >> frameWord) || frameWord[0] == '#') continue;
    int64_t frame;
    if (!ParseInt(frameWord, &frame) || frame < 0) return fail("expected a frame number, found '" + frameWord + "'");
    if (!(words >> verb)) return fail("expected an event after the frame number");
    std::string a, b;
    if (verb == "move") {
      int64_t x, y;
      if (!(words >> a >> b) || !ParseInt(a, &x) || !ParseInt(b, &y)) return fail("move needs x and y");
      events->push_back(Make(frame, PlatformEventType::MouseMove, static_cast<int>(x), static_cast<int>(y)));
    } else if (verb == "press" || verb == "release" || verb == "click") {
      int button;
      if (!(words >> a) || !ParseButton(a, &button)) return fail(verb + " needs a button: left, right or middle");
      if (verb != "release") events->push_back(Make(frame, PlatformEventType::ButtonDown, button));
      if (verb != "press") events->push_back(Make(verb == "click" ? frame + 1 : frame, PlatformEventType::ButtonUp, button));
    } else if (verb == "keydown" || verb == "keyup" || verb == "repeat") {
      int code;
      bool right;
      if (!(words >> a) || !ParseKey(a, &code, &right)) return fail(verb + " needs a key code or key name");
      if (verb == "keyup")
        events->push_back(Make(frame, PlatformEventType::KeyUp, code, 0, right));
      else
        events->push_back(Make(frame, PlatformEventType::KeyDown, code, verb == "repeat", right));
    } else if (verb == "char") {
      int64_t code;
      if (!(words >> a) || !ParseInt(a, &code) || code < 0 || code > 0xFFFF) return fail("char needs a UTF-16 code");
      events->push_back(Make(frame, PlatformEventType::Character, static_cast<int>(code)));
    } else if (verb == "type") {
      std::u16string typed;
      if (!ParseQuoted(line, line.find("type") + 4, &typed)) return fail("type needs a quoted text");
      for (char16_t c : typed) events->push_back(Make(frame, PlatformEventType::Character, c));
    } else if (verb == "keys") {
      // Keystrokes as a person types them, one a frame: the key goes down with
      // its character in frame F + k and up again in the next frame.
      std::u16string typed;
      if (!ParseQuoted(line, line.find("keys") + 4, &typed)) return fail("keys needs a quoted text");
      int64_t at = frame;
      for (char16_t c : typed) {
        int code = KeyOfCharacter(c);
        if (code == 0) return fail("keys: no key types this character; use char or type");
        events->push_back(Make(at, PlatformEventType::KeyDown, code));
        events->push_back(Make(at, PlatformEventType::Character, c));
        events->push_back(Make(at + 1, PlatformEventType::KeyUp, code));
        ++at;
      }
    } else if (verb == "wheel") {
      if (!(words >> a) || (a != "up" && a != "down")) return fail("wheel needs up or down");
      events->push_back(Make(frame, PlatformEventType::Wheel, a == "up" ? 1 : -1));
    } else if (verb == "drop") {
      ScriptedEvent drop = Make(frame, PlatformEventType::FileDropped);
      if (!ParseQuotedBytes(line, line.find("drop") + 4, &drop.text) || drop.text.empty())
        return fail("drop needs a quoted file name");
      events->push_back(std::move(drop));
    } else if (verb == "quit") {
      events->push_back(Make(frame, PlatformEventType::Quit));
    } else {
      return fail("unknown event '" + verb + "'");
    }
  }
  // Events keep their order within a frame; frames go in ascending order.
  std::stable_sort(events->begin(), events->end(),
                   [](const ScriptedEvent& x, const ScriptedEvent& y) { return x.frame < y.frame; });
  return true;
}

bool InputScript_ReadFile(const std::string& path, std::vector<ScriptedEvent>* events, std::string* error) {
  std::string text;
  FileProblem problem;
  if (!Platform_ReadRegularFile(path, kInputScriptMaxBytes, &text, &problem)) {
    *error = FileProblem_Text(problem);
    return false;
  }
  return InputScript_Parse(text, events, error);
}

std::string InputScript_Line(int64_t frame, const PlatformEvent& e) {
  char line[96];
  long long f = static_cast<long long>(frame);
  switch (e.type) {
    case PlatformEventType::KeyDown:
      std::snprintf(line, sizeof line, "%lld %s %d%s", f, e.b ? "repeat" : "keydown", e.a, "");
      if (e.c) std::snprintf(line, sizeof line, "%lld %s r%s", f, e.b ? "repeat" : "keydown",
                             e.a == 16 ? "shift" : e.a == 17 ? "control" : "alt");
      break;
    case PlatformEventType::KeyUp:
      if (e.c)
        std::snprintf(line, sizeof line, "%lld keyup r%s", f, e.a == 16 ? "shift" : e.a == 17 ? "control" : "alt");
      else
        std::snprintf(line, sizeof line, "%lld keyup %d", f, e.a);
      break;
    case PlatformEventType::Character: std::snprintf(line, sizeof line, "%lld char %d", f, e.a); break;
    case PlatformEventType::MouseMove: std::snprintf(line, sizeof line, "%lld move %d %d", f, e.a, e.b); break;
    case PlatformEventType::ButtonDown: std::snprintf(line, sizeof line, "%lld press %d", f, e.a); break;
    case PlatformEventType::ButtonUp: std::snprintf(line, sizeof line, "%lld release %d", f, e.a); break;
    case PlatformEventType::Wheel: std::snprintf(line, sizeof line, "%lld wheel %s", f, e.a > 0 ? "up" : "down"); break;
    case PlatformEventType::Quit: std::snprintf(line, sizeof line, "%lld quit", f); break;
    case PlatformEventType::FileDropped: {
      std::string text = std::to_string(f) + " drop \"";
      for (const char* c = e.text ? e.text : ""; *c; ++c) {
        if (*c == '\n') {
          text += "\\n";
          continue;
        }
        if (*c == '"' || *c == '\\') text += '\\';
        text += *c;
      }
      return text + "\"";
    }
    default: std::snprintf(line, sizeof line, "# %lld focus", f); break;
  }
  return line;
}
