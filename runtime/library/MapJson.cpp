// SPDX-License-Identifier: Zlib
// JSON of maps through json-c.
//
// Writing builds json-c objects and prints them with json-c's own printer in
// its spaced mode: that printer already writes exactly our object and array
// layout ("{ }", "{ \"k\": v, ... }", "[ a, b ]") and our string escapes
// (slash included, "\u00xx" lowercase). The one thing json-c 0.16 prints
// differently from our format is a double ("255.0" or "255" instead of
// "255.000000"), so number texts are ours: each double is given to json-c
// with its "%lf" text already made (json_object_new_double_s), and json-c
// writes that text as it is.
//
// Reading uses json-c's tokenizer. json-c keeps one member per key, so a text
// that repeats a key (only a map holding both 1 and "1" writes one) comes back
// with the last of the repeated values, where first-entry-wins would keep the
// first; every other text loads entry for entry.
#include "library/MapJson.h"

#include <json-c/json.h>

#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "library/DsHandles.h"
#include "library/DsList.h"
#include "library/DsMap.h"
#include "value/TextBuffer.h"

namespace {

// Nested maps and lists deeper than this are written as null: a map that holds
// its own handle would otherwise never end. json-c refuses to parse deeper
// texts anyway (its default depth is 32).
constexpr int kMaxNesting = 31;

json_object* ToJson(const DynValue* value, int depth);

json_object* MapToJson(int handle, int depth) {
  json_object* object = json_object_new_object();
  CDS_Map* map = DsMap_Get(handle);
  if (!map) return object;
  for (DsMapNode* node = map->First(); node; node = map->Next(node)) {
    std::string key;
    const DynValue* k = &node->key;
    switch (k->Kind()) {
      case KIND_STRING: {
        const char* chars = DynValue_Chars(k);
        key = chars ? chars : "";
        break;
      }
      case KIND_NUMBER:
      case KIND_BOOL:
      case KIND_INT32:
      case KIND_INT64:
        // Numbers are written truncated toward zero.
        key = std::to_string(DynValue_ToInt64(k));
        break;
      default: {
        // Keys of other kinds are saved under their text rendering.
        TextBuffer text;
        DynValue_ToText(&text, k);
        key = text.Text();
        break;
      }
    }
    // Keys are unique in the map but their texts need not be (1 and "1"):
    // both entries are written, in visiting order.
    json_object_object_add_ex(object, key.c_str(), ToJson(&node->value, depth + 1), JSON_C_OBJECT_ADD_KEY_IS_NEW);
  }
  return object;
}

json_object* ListToJson(int handle, int depth) {
  json_object* array = json_object_new_array();
  CDS_List* list = DsList_Get(handle);
  if (!list) return array;
  for (int i = 0; i < list->count; ++i) json_object_array_add(array, ToJson(&list->elements[i], depth + 1));
  return array;
}

json_object* NumberToJson(double d) {
  char text[400];  // "%lf" of the largest double is 316 characters
  std::snprintf(text, sizeof(text), "%lf", d);
  return json_object_new_double_s(d, text);
}

json_object* ToJson(const DynValue* value, int depth) {
  if (depth > kMaxNesting) return nullptr;
  switch (value->Kind()) {
    case KIND_NUMBER:
      if (DsMark_IsMap(value)) return MapToJson(static_cast<int>(value->real), depth);
      if (DsMark_IsList(value)) return ListToJson(static_cast<int>(value->real), depth);
      return NumberToJson(value->real);
    case KIND_STRING: {
      const char* chars = DynValue_Chars(value);
      return json_object_new_string(chars ? chars : "");
    }
    case KIND_INT32:
      return json_object_new_int64(value->i32);
    case KIND_INT64:
      return json_object_new_int64(value->i64);
    case KIND_BOOL:
      return json_object_new_boolean(value->real != 0.0);
    case KIND_PTR: {
      char text[32];
      std::snprintf(text, sizeof(text), "%p", value->ptr);
      return json_object_new_string(text);
    }
    case KIND_ARRAY: {
      json_object* array = json_object_new_array();
      const DynArray* a = value->arr;
      if (!a) return array;
      // Every row in order; an array made with one index is row 0 alone.
      for (int r = 0; r < a->rowCount; ++r)
        for (int c = 0; c < a->rows[r].length; ++c) json_object_array_add(array, ToJson(&a->rows[r].elements[c], depth + 1));
      return array;
    }
    default:
      return nullptr;  // json-c writes a missing object as null
  }
}

bool FromJson(json_object* object, DynValue* out, int depth);

int MapFromJson(json_object* object, int depth) {
  int handle = DsMap_Create();
  CDS_Map* map = DsMap_Get(handle);
  json_object_object_foreach(object, key, member) {
    DynValue k = DynValue_MakeUndefined();
    DynValue_SetString(&k, key);
    DynValue v = DynValue_MakeUndefined();
    FromJson(member, &v, depth + 1);
    // A repeated key: the first entry stays, and what this one made goes.
    if (!map->Add(&k, &v)) DsStructure_DestroyNamedBy(&v);
    DynValue_Free(&k);
    DynValue_Free(&v);
  }
  return handle;
}

int ListFromJson(json_object* array, int depth) {
  int handle = DsList_Create();
  CDS_List* list = DsList_Get(handle);
  size_t n = json_object_array_length(array);
  for (size_t i = 0; i < n; ++i) {
    DynValue v = DynValue_MakeUndefined();
    FromJson(json_object_array_get_idx(array, i), &v, depth + 1);
    list->Add(&v);
    DynValue_Free(&v);
  }
  return handle;
}

bool FromJson(json_object* object, DynValue* out, int depth) {
  switch (json_object_get_type(object)) {
    case json_type_null:
      *out = DynValue_MakeUndefined();
      return true;
    case json_type_boolean:
      *out = DynValue_MakeReal(json_object_get_boolean(object) ? 1.0 : 0.0);
      return true;
    case json_type_double:
    case json_type_int:
      *out = DynValue_MakeReal(json_object_get_double(object));
      return true;
    case json_type_string:
      DynValue_SetString(out, json_object_get_string(object));
      return true;
    case json_type_object:
      *out = DsMark_MapValue(MapFromJson(object, depth));
      return true;
    case json_type_array:
      *out = DsMark_ListValue(ListFromJson(object, depth));
      return true;
  }
  *out = DynValue_MakeUndefined();
  return false;
}

bool OnlySpaceFrom(const char* text, size_t from, size_t length) {
  for (size_t i = from; i < length; ++i)
    if (text[i] != ' ' && text[i] != '\t' && text[i] != '\n' && text[i] != '\r') return false;
  return true;
}

}  // namespace

std::string MapJson_Write(int mapHandle) {
  json_object* object = MapToJson(mapHandle, 0);
  std::string text = json_object_to_json_string_ext(object, JSON_C_TO_STRING_SPACED);
  json_object_put(object);
  return text;
}

int MapJson_Read(const char* text, size_t length) {
  const void* zero = std::memchr(text, 0, length);
  if (zero) length = static_cast<size_t>(static_cast<const char*>(zero) - text);
  // json-c takes the length as an int.
  if (length == 0 || length > 0x7FFFFFFF) return -1;
  json_tokener* tokenizer = json_tokener_new();
  if (!tokenizer) return -1;
  json_object* root = json_tokener_parse_ex(tokenizer, text, static_cast<int>(length));
  bool ok = root && json_tokener_get_error(tokenizer) == json_tokener_success &&
            json_object_get_type(root) == json_type_object &&
            OnlySpaceFrom(text, json_tokener_get_parse_end(tokenizer), length);
  json_tokener_free(tokenizer);
  int handle = ok ? MapFromJson(root, 0) : -1;
  json_object_put(root);
  return handle;
}
