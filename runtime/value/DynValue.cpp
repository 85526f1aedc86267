// SPDX-License-Identifier: Zlib
// Copying, overwriting and releasing cells; the string records.
#include "value/DynValue.h"

#include <cstring>

#include "base/Memory.h"

double math_epsilon = 1e-10;
ArrayErrorRecord g_LastArrayError = {false, 0, 0, 0, 0};

void math_set_epsilon(double e) {
  if (e >= 0.0 && e < 1.0) math_epsilon = (e == 0.0) ? 1e-11 : e;
}

namespace {

void FreeArray(DynArray* array) {
  for (int32_t r = 0; r < array->rowCount; ++r) {
    DynArrayRow& row = array->rows[r];
    for (int32_t c = 0; c < row.length; ++c) DynValue_Free(&row.elements[c]);
    MM_FREE(row.elements);
  }
  MM_FREE(array->rows);
  MM_FREE(array);
}

// Takes the reference that a copy of `source` holds; returns the payload
// pointer the destination should get.
inline void AddReference(const DynValue* source) {
  switch (source->Kind()) {
    case KIND_STRING:
      if (source->str) ++source->str->refcount;
      break;
    case KIND_ARRAY:
      if (source->arr) ++source->arr->refcount;
      break;
    default:
      break;
  }
}

DynString* NewString(const char* text) {
  auto* record = static_cast<DynString*>(MM_ALLOC(sizeof(DynString)));
  record->refcount = 1;
  if (text) {
    size_t length = std::strlen(text);
    record->chars = static_cast<char*>(MM_ALLOC(length + 1));
    std::memcpy(record->chars, text, length + 1);
    record->length = static_cast<int32_t>(length);
  } else {
    record->chars = nullptr;
    record->length = 0;
  }
  return record;
}

}  // namespace

void DynValue_ReleaseSlow(DynValue* cell) {
  switch (cell->Kind()) {
    case KIND_STRING: {
      DynString* record = cell->str;
      if (record && --record->refcount <= 0) {
        MM_FREE(record->chars);
        MM_FREE(record);
      }
      break;
    }
    case KIND_ARRAY: {
      DynArray* array = cell->arr;
      if (array) {
        if (array->owner == cell) array->owner = nullptr;
        int32_t before = array->refcount--;
        if (before <= 1) FreeArray(array);
      }
      break;
    }
    case KIND_PTR:
      if ((cell->flags & FLAG_OWNS_PTR) && cell->ptr) delete static_cast<DynOwnedObject*>(cell->ptr);
      break;
    default:  // vec3: nothing to release
      break;
  }
  cell->ptr = nullptr;
}

DynValue* DynValue_Assign(DynValue* destination, const DynValue* source) {
  if (destination == source) return destination;
  // The reference is taken before the destination is released: the source may
  // live inside the destination's own array (a = a[0]).
  DynValue copy = *source;
  AddReference(&copy);
  DynValue_Release(destination);
  destination->flags = copy.flags;
  destination->kind = copy.kind;
  switch (copy.Kind()) {
    case KIND_STRING:
    case KIND_OBJECT:
    case KIND_ITERATOR:
      destination->ptr = copy.ptr;
      break;
    case KIND_ARRAY:
      destination->arr = copy.arr;
      if (copy.arr && !copy.arr->owner) copy.arr->owner = destination;
      break;
    case KIND_PTR:
      // Only one cell may own a pointed-to object: the copy shares the pointer
      // but not its ownership, so the object is deleted exactly once.
      destination->ptr = copy.ptr;
      destination->flags &= ~FLAG_OWNS_PTR;
      break;
    case KIND_INT32:
      destination->i64 = 0;
      destination->i32 = copy.i32;
      break;
    case KIND_VEC3:
    case KIND_UNDEFINED:
    case KIND_VEC4:
    case KIND_VEC44:
    case KIND_ACCESSOR:
    case KIND_NULL:
      destination->i64 = 0;
      break;
    default:  // number, int64, bool, unset: all eight bytes
      destination->i64 = copy.i64;
      break;
  }
  return destination;
}

void DynValue_SetString(DynValue* cell, const char* text) {
  // The new record is made before the old payload goes: text may be the
  // cell's own characters.
  DynString* record = NewString(text);
  DynValue_Release(cell);
  cell->str = record;
  cell->flags = 0;
  cell->kind = KIND_STRING;
}

void DynValue_InitString(DynValue* cell, const char* text) {
  cell->str = NewString(text);
  cell->flags = 0;
  cell->kind = KIND_STRING;
}

char* DynString_Concat(const char* a, const char* b) {
  if (!a && !b) return nullptr;
  size_t lengthA = a ? std::strlen(a) : 0;
  size_t lengthB = b ? std::strlen(b) : 0;
  auto* text = static_cast<char*>(MM_ALLOC(lengthA + lengthB + 1));
  if (lengthA) std::memcpy(text, a, lengthA);
  if (lengthB) std::memcpy(text + lengthA, b, lengthB);
  text[lengthA + lengthB] = '\0';
  return text;
}

const char* DynKind_Name(uint32_t kind) {
  switch (kind & KIND_MASK) {
    case KIND_NUMBER: return "number";
    case KIND_STRING: return "string";
    case KIND_ARRAY: return "array";
    case KIND_PTR: return "ptr";
    case KIND_VEC3: return "vec3";
    case KIND_UNDEFINED: return "undefined";
    case KIND_OBJECT: return "object";
    case KIND_INT32: return "int32";
    case KIND_VEC4: return "vec4";
    case KIND_VEC44: return "vec44";
    case KIND_INT64: return "int64";
    case KIND_ACCESSOR: return "accessor";
    case KIND_NULL: return "null";
    case KIND_BOOL: return "bool";
    case KIND_ITERATOR: return "iterator";
    // A cell that was never given a value. Messages name it so that "expecting
    // a Number" errors say what was found.
    case KIND_UNSET: return "unset";
    default: return "unknown";
  }
}

const char* DynValue_KindName(const DynValue* cell) { return DynKind_Name(cell->kind); }
