// SPDX-License-Identifier: Zlib
// libFuzzer target over a whole secure map save file read the way the editor
// reads one. The file's own first 80 bytes are taken as this machine's tag,
// so every input passes the tag check as a file saved here would; the map it
// decodes to is then read entry by entry through the built-ins the editor's
// loading calls: ds_map_size, ds_map_find_first and ds_map_find_next over all
// keys, ds_map_find_value of each, the kind checks (is_real, is_string,
// is_undefined), the number conversions (real, floor, round, abs, string,
// sprite_exists) and the text checks (string_length, string_digits,
// string_pos, string_copy). Nested maps and lists are walked the same way.
// Every map and list is destroyed before the next input.
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "base/Error.h"
#include "code/CompiledCode.h"
#include "graphics/Graphics.h"
#include "library/DsHandles.h"
#include "library/Library.h"
#include "library/SecureMap.h"

namespace {

// Far more entries than any save holds; a walk stops there so that a large
// map cannot make one input run for minutes (find_next starts from the
// first key each time).
constexpr int kMaxEntries = 2048;
// Nested structures are followed this deep.
constexpr int kMaxDepth = 8;

// A cell that frees itself.
struct Value {
  DynValue v = DynValue_MakeUndefined();
  Value() = default;
  explicit Value(double d) : v(DynValue_MakeReal(d)) {}
  explicit Value(const char* text) { DynValue_SetString(&v, text); }
  Value(const Value& other) { DynValue_Assign(&v, &other.v); }
  Value& operator=(const Value&) = delete;
  ~Value() { DynValue_Free(&v); }
  uint32_t Kind() const { return v.Kind(); }
};

Value Call(const char* name, std::vector<Value> args) {
  Value result;
  std::vector<DynValue*> pointers;
  for (Value& a : args) pointers.push_back(&a.v);
  Function_CallById(nullptr, nullptr, &result.v, static_cast<int>(pointers.size()), Function_Find(name),
                    pointers.data());
  return result;
}

bool Truth(const Value& v) { return v.Kind() == KIND_NUMBER && v.v.real > 0.5; }

// What the editor asks of a key or value before it uses it.
void Inspect(const Value& v) {
  if (Truth(Call("is_real", {v}))) {
    for (const char* convert : {"real", "floor", "round", "abs", "string", "sprite_exists"}) Call(convert, {v});
  } else if (Truth(Call("is_string", {v}))) {
    Call("string_length", {v});
    Call("string_digits", {v});
    Call("string_pos", {Value("copies/a/"), v});
    Call("string_copy", {v, Value(1), Value(9)});
    Call("real", {v});
  } else {
    Call("is_undefined", {v});
  }
}

void WalkMap(const Value& map, int depth);

// A value marked as a nested map or list (as the decoder makes them) is
// walked too.
void Follow(const Value& value, int depth) {
  if (depth >= kMaxDepth) return;
  if (DsMark_IsMap(&value.v)) WalkMap(value, depth + 1);
  if (!DsMark_IsList(&value.v)) return;
  const Value size = Call("ds_list_size", {value});
  const int count = size.Kind() == KIND_NUMBER ? static_cast<int>(size.v.real) : 0;
  for (int i = 0; i < count && i < kMaxEntries; ++i) {
    Value element = Call("ds_list_find_value", {value, Value(i)});
    Inspect(element);
    Follow(element, depth + 1);
  }
}

void WalkMap(const Value& map, int depth) {
  Call("ds_map_size", {map});
  Value key = Call("ds_map_find_first", {map});
  for (int n = 0; n < kMaxEntries && !Truth(Call("is_undefined", {key})); ++n) {
    Value value = Call("ds_map_find_value", {map, key});
    Inspect(key);
    Inspect(value);
    Follow(value, depth);
    Value next = Call("ds_map_find_next", {map, key});
    DynValue_Assign(&key.v, &next.v);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool registered = [] {
    Library_RegisterBuiltins();
    Graphics_RegisterBuiltins();  // sprite_exists
    return true;
  }();
  static_cast<void>(registered);
  if (size < kSecureMapTagLength) return 0;
  const std::string tag(reinterpret_cast<const char*>(data), kSecureMapTagLength);
  int map;
  {
    std::lock_guard<std::mutex> lock(DsMutex());
    map = SecureMap_Decode(data, size, tag);
  }
  if (map >= 0) {
    // Every value is checked before use, as the editor does, so no call may
    // raise an error: one that does is a finding.
    bool previous = Error_BeginCatch();
    WalkMap(Value(map), 0);
    if (Error_EndCatch(previous)) __builtin_trap();
  }
  DsHandles_DestroyAll();
  return 0;
}
