// SPDX-License-Identifier: Zlib
#include "library/Strings.h"

#include <locale.h>
#include <wctype.h>

#include <cmath>
#include <cstring>

#include "base/Console.h"
#include "code/CompiledCode.h"
#include "library/Random.h"
#include "value/ArgReaders.h"
#include "value/TextBuffer.h"

namespace {

// The constant of point_direction's degree conversion, as single precision.
constexpr float kPi = 3.1415927f;

inline bool IsContinuation(uint8_t byte) { return (byte & 0xC0) == 0x80; }

// Decodes a sequence of one to three bytes at p; gives its length, or 0 when
// the bytes there are not such a sequence.
int DecodeUtf8(const uint8_t* p, uint32_t* codePoint) {
  if (p[0] < 0x80) {
    *codePoint = p[0];
    return 1;
  }
  if ((p[0] & 0xE0) == 0xC0 && IsContinuation(p[1])) {
    *codePoint = ((p[0] & 0x1Fu) << 6) | (p[1] & 0x3Fu);
    return 2;
  }
  if ((p[0] & 0xF0) == 0xE0 && IsContinuation(p[1]) && IsContinuation(p[2])) {
    *codePoint = ((p[0] & 0x0Fu) << 12) | ((p[1] & 0x3Fu) << 6) | (p[2] & 0x3Fu);
    return 3;
  }
  return 0;
}

void EncodeUtf8(uint32_t c, std::string* out) {
  if (c < 0x80) {
    *out += static_cast<char>(c);
  } else if (c < 0x800) {
    *out += static_cast<char>(0xC0 | (c >> 6));
    *out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    *out += static_cast<char>(0xE0 | (c >> 12));
    *out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    *out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    *out += static_cast<char>(0xF0 | (c >> 18));
    *out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    *out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    *out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

}  // namespace

int Strings_Pos(const char* needle, const char* text) {
  if (!needle || !text || !*needle || !*text) return 0;
  const size_t needleLength = std::strlen(needle);
  int character = 0;
  for (const char* p = text; *p; ++p) {
    if (IsContinuation(static_cast<uint8_t>(*p))) continue;
    if (std::strncmp(p, needle, needleLength) == 0) return character + 1;
    ++character;
  }
  return 0;
}

int Strings_Length(const char* text) {
  if (!text) return 0;
  int count = 0;
  for (const char* p = text; *p; ++p)
    if (!IsContinuation(static_cast<uint8_t>(*p))) ++count;
  return count;
}

std::string Strings_Copy(const char* text, double index, double count) {
  if (!text) return std::string();
  // Whole numbers toward zero, as the runtime turns any number into an
  // integer; a count that is not a number copies nothing, an index that is
  // not one starts at the first character. Both are capped far past any
  // string's length so the conversions stay defined.
  constexpr double kFar = 1e15;
  const double whole = std::trunc(count);
  if (!(whole >= 1)) return std::string();
  const double first = std::trunc(index) >= 1 ? std::fmin(std::trunc(index), kFar) : 1;
  const uint64_t from = static_cast<uint64_t>(first);
  const uint64_t last = from + static_cast<uint64_t>(std::fmin(whole, kFar)) - 1;
  const char* begin = nullptr;
  const char* end = nullptr;
  uint64_t character = 0;
  for (const char* p = text;; ++p) {
    if (*p && IsContinuation(static_cast<uint8_t>(*p))) continue;
    // p starts character number `character + 1`, or is the end of the text.
    ++character;
    if (character == from) begin = p;
    if (!*p || character == last + 1) {
      end = p;
      break;
    }
  }
  if (!begin || begin >= end) return std::string();
  return std::string(begin, end);
}

std::string Strings_Digits(const char* text) {
  std::string digits;
  for (const char* p = text; p && *p; ++p)
    if (*p >= '0' && *p <= '9') digits += *p;
  return digits;
}

std::string Strings_Upper(const char* text) {
  std::string out;
  if (!text) return out;
  // A locale object of its own instead of setlocale: the user's LC_CTYPE
  // applies to these calls only and the process stays in the "C" locale, with
  // no window in which another thread could see the user's locale. It is made
  // once: making it reads the locale's files, and the editor's text boxes
  // call this in every frame.
  static const locale_t user = [] {
    locale_t made = newlocale(LC_CTYPE_MASK, "", static_cast<locale_t>(nullptr));
    return made ? made : newlocale(LC_CTYPE_MASK, "C", static_cast<locale_t>(nullptr));
  }();
  const uint8_t* p = reinterpret_cast<const uint8_t*>(text);
  while (*p) {
    uint32_t c;
    int length = DecodeUtf8(p, &c);
    if (length == 0) {
      out += static_cast<char>(*p++);
      continue;
    }
    if (user && iswlower_l(static_cast<wint_t>(c), user)) c = static_cast<uint32_t>(towupper_l(static_cast<wint_t>(c), user));
    EncodeUtf8(c, &out);
    p += length;
  }
  return out;
}

double Strings_Round(double x) {
  if (!std::isfinite(x)) return 0;
  double r = std::nearbyint(x);  // the current rounding mode: nearest, ties to even
  if (r < -2147483648.0 || r > 2147483647.0) return 0;
  return r;
}

double Strings_PointDirection(float x1, float y1, float x2, float y2) {
  float dx = x2 - x1;
  float dy = y2 - y1;
  if (dx == 0.0f) {
    if (dy > 0.0f) return 270.0;
    if (dy < 0.0f) return 90.0;
    return 0.0;
  }
  float r = std::atan2(dy, dx) * 180.0f / kPi;
  return r <= 0.0f ? -r + 0.0f : 360.0f - r;  // + 0: no -0 for a point straight right
}

double Strings_Abs(double x) { return std::fabs(x); }

void Strings_Choose(DynValue* result, int argc, const DynValue* args) {
  if (argc < 1) {
    DynValue_Free(result);
    return;
  }
  uint32_t index = Random_NextWord() % static_cast<uint32_t>(argc);
  DynValue_Assign(result, &args[index]);
}

void Strings_ShowDebugMessage(const DynValue* value) {
  TextBuffer text;
  DynValue_ToText(&text, value);
  DebugConsole().Output("%s\n", text.Text());
}

namespace {

void F_String(DynValue& result, CInstance*, CInstance*, int, DynValue* args) {
  TextBuffer text;
  DynValue_ToText(&text, &args[0]);
  DynValue_SetString(&result, text.Text());
}

void F_Real(DynValue& result, CInstance*, CInstance*, int, DynValue* args) {
  DynValue_SetReal(&result, DynValue_ToReal(&args[0]));
}

// is_real: true for a number of any numeric kind (real, 32- or 64-bit
// integer, boolean); is_string: true for a string. What a file or a map gave
// back can be checked with them before it is used as a number or a name.
void F_IsReal(DynValue& result, CInstance*, CInstance*, int, DynValue* args) {
  uint32_t kind = args[0].Kind();
  bool number = kind == KIND_NUMBER || kind == KIND_INT32 || kind == KIND_INT64 || kind == KIND_BOOL;
  DynValue_SetReal(&result, number ? 1 : 0);
}

void F_IsString(DynValue& result, CInstance*, CInstance*, int, DynValue* args) {
  DynValue_SetReal(&result, args[0].Kind() == KIND_STRING ? 1 : 0);
}

// is_undefined: true for undefined, what a missing map key or list index gives.
void F_IsUndefined(DynValue& result, CInstance*, CInstance*, int, DynValue* args) {
  DynValue_SetReal(&result, args[0].Kind() == KIND_UNDEFINED ? 1 : 0);
}

void F_StringPos(DynValue& result, CInstance*, CInstance*, int, DynValue* args) {
  const char* needle = ZuGetString(args, 0);
  const char* text = ZuGetString(args, 1);
  DynValue_SetReal(&result, Strings_Pos(needle, text));
}

void F_StringLength(DynValue& result, CInstance*, CInstance*, int, DynValue* args) {
  DynValue_SetReal(&result, Strings_Length(ZuGetString(args, 0)));
}

void F_StringCopy(DynValue& result, CInstance*, CInstance*, int, DynValue* args) {
  std::string part = Strings_Copy(ZuGetString(args, 0), ZuGetReal(args, 1), ZuGetReal(args, 2));
  DynValue_SetString(&result, part.c_str());
}

void F_StringDigits(DynValue& result, CInstance*, CInstance*, int, DynValue* args) {
  std::string digits = Strings_Digits(ZuGetString(args, 0));
  DynValue_SetString(&result, digits.c_str());
}

void F_StringUpper(DynValue& result, CInstance*, CInstance*, int, DynValue* args) {
  std::string upper = Strings_Upper(ZuGetString(args, 0));
  DynValue_SetString(&result, upper.c_str());
}

void F_Round(DynValue& result, CInstance*, CInstance*, int, DynValue* args) {
  DynValue_SetReal(&result, Strings_Round(ZuGetReal(args, 0)));
}

void F_Floor(DynValue& result, CInstance*, CInstance*, int, DynValue* args) {
  DynValue_SetReal(&result, std::floor(ZuGetReal(args, 0)));
}

void F_Abs(DynValue& result, CInstance*, CInstance*, int, DynValue* args) {
  DynValue_SetReal(&result, Strings_Abs(ZuGetReal(args, 0)));
}

void F_PointDirection(DynValue& result, CInstance*, CInstance*, int, DynValue* args) {
  DynValue_SetReal(&result, Strings_PointDirection(ZuGetFloat(args, 0), ZuGetFloat(args, 1), ZuGetFloat(args, 2),
                                                   ZuGetFloat(args, 3)));
}

void F_Choose(DynValue& result, CInstance*, CInstance*, int argc, DynValue* args) { Strings_Choose(&result, argc, args); }

void F_RandomSetSeed(DynValue&, CInstance*, CInstance*, int, DynValue* args) { Random_SetSeed(ZuGetUint32(args, 0)); }

void F_ShowDebugMessage(DynValue&, CInstance*, CInstance*, int, DynValue* args) { Strings_ShowDebugMessage(&args[0]); }

}  // namespace

void Strings_RegisterBuiltins() {
  Function_Add("string", F_String, 1, true);
  Function_Add("real", F_Real, 1, true);
  Function_Add("is_real", F_IsReal, 1, true);
  Function_Add("is_string", F_IsString, 1, true);
  Function_Add("is_undefined", F_IsUndefined, 1, true);
  Function_Add("string_pos", F_StringPos, 2, true);
  Function_Add("string_length", F_StringLength, 1, true);
  Function_Add("string_upper", F_StringUpper, 1, true);
  Function_Add("string_copy", F_StringCopy, 3, true);
  Function_Add("string_digits", F_StringDigits, 1, true);
  Function_Add("round", F_Round, 1, true);
  Function_Add("floor", F_Floor, 1, true);
  Function_Add("abs", F_Abs, 1, true);
  Function_Add("point_direction", F_PointDirection, 4, true);
  Function_Add("choose", F_Choose, -1, true);
  Function_Add("random_set_seed", F_RandomSetSeed, 1, true);
  Function_Add("show_debug_message", F_ShowDebugMessage, 1, true);
}
