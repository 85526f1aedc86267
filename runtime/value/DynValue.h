// SPDX-License-Identifier: Zlib
// Tagged values: the 16-byte cell that every compiled event, script, built-in
// function and variable holds or passes, with its reference-counted string and
// array records, the copy and release rules, conversions, arithmetic and
// comparison. Compiled code calls these operations directly.
#pragma once

#include <cstdint>
#include <cstddef>

class ZuObjectBase;
struct DynString;
struct DynArray;

// Kind numbers (low 24 bits of DynValue::kind; the upper 8 bits are carried
// along on copies and ignored by every test).
enum DynKind : uint32_t {
  KIND_NUMBER = 0,
  KIND_STRING = 1,
  KIND_ARRAY = 2,
  KIND_PTR = 3,
  KIND_VEC3 = 4,
  KIND_UNDEFINED = 5,
  KIND_OBJECT = 6,
  KIND_INT32 = 7,
  KIND_VEC4 = 8,
  KIND_VEC44 = 9,
  KIND_INT64 = 10,
  KIND_ACCESSOR = 11,
  KIND_NULL = 12,
  KIND_BOOL = 13,
  KIND_ITERATOR = 14,
  KIND_UNSET = 0xFFFFFF,
};

constexpr uint32_t KIND_MASK = 0xFFFFFF;
// Flags bit 3: the ptr payload is owned by the cell and deleted on release.
constexpr uint32_t FLAG_OWNS_PTR = 8;
// The array index that means "the whole variable", not one element.
constexpr int32_t ARRAY_INDEX_NONE = static_cast<int32_t>(0x80000000u);
// An element index is row * ARRAY_ROW_STRIDE + column.
constexpr int32_t ARRAY_ROW_STRIDE = 32000;

// Objects that a ptr cell can own (flags bit 3): releasing the cell calls the
// deleting destructor through this base.
class DynOwnedObject {
 public:
  virtual ~DynOwnedObject() = default;
};

// The cell. The payload was four bytes for pointers on the 32-bit original;
// on x86-64 a pointer fills the whole 8-byte payload union, and flags and kind
// stay two 32-bit words after it, so the cell keeps its 16 bytes and its field
// order (payload, flags, kind).
struct DynValue {
  union {
    double real;
    int64_t i64;
    int32_t i32;
    void* ptr;
    DynString* str;
    DynArray* arr;
    ZuObjectBase* obj;
  };
  uint32_t flags;
  uint32_t kind;

  uint32_t Kind() const { return kind & KIND_MASK; }
};
static_assert(sizeof(DynValue) == 16, "DynValue must stay a 16-byte cell");
static_assert(offsetof(DynValue, flags) == 8 && offsetof(DynValue, kind) == 12, "field order");

struct DynString {
  char* chars;  // NUL-terminated, from the memory manager; null for an empty record
  int32_t refcount;
  int32_t length;  // strlen(chars) when the record was made
};

struct DynArrayRow {
  int32_t length;
  DynValue* elements;
};

struct DynArray {
  int32_t refcount;
  DynArrayRow* rows;
  DynValue* owner;  // the cell that may write in place; null when none
  uint32_t visitStamp;
  int32_t rowCount;
};

// The release test: one add and one mask, true exactly for kinds 1 to 4
// whatever the upper 8 bits hold.
inline bool DynKind_NeedsRelease(uint32_t kind) { return ((kind + 0xFFFFFFu) & 0xFFFFFCu) == 0; }

// Constructors of fresh cells (flags 0).
inline DynValue DynValue_MakeReal(double d) {
  DynValue v;
  v.real = d;
  v.flags = 0;
  v.kind = KIND_NUMBER;
  return v;
}
inline DynValue DynValue_MakeBool(bool b) {
  DynValue v;
  v.real = b ? 1.0 : 0.0;
  v.flags = 0;
  v.kind = KIND_BOOL;
  return v;
}
inline DynValue DynValue_MakeInt32(int32_t i) {
  DynValue v;
  v.i64 = 0;
  v.i32 = i;
  v.flags = 0;
  v.kind = KIND_INT32;
  return v;
}
inline DynValue DynValue_MakeInt64(int64_t i) {
  DynValue v;
  v.i64 = i;
  v.flags = 0;
  v.kind = KIND_INT64;
  return v;
}
inline DynValue DynValue_MakeUndefined() {
  DynValue v;
  v.i64 = 0;
  v.flags = 0;
  v.kind = KIND_UNDEFINED;
  return v;
}
inline DynValue DynValue_MakeUnset() {
  DynValue v;
  v.i64 = 0;
  v.flags = 0;
  v.kind = KIND_UNSET;
  return v;
}
inline DynValue DynValue_MakePtr(void* p, uint32_t flags = 0) {
  DynValue v;
  v.ptr = p;
  v.flags = flags;
  v.kind = KIND_PTR;
  return v;
}
inline DynValue DynValue_MakeObject(ZuObjectBase* o) {
  DynValue v;
  v.obj = o;
  v.flags = 0;
  v.kind = KIND_OBJECT;
  return v;
}

// Operations on cells (all take cells by address).
void DynValue_ReleaseSlow(DynValue* cell);
inline void DynValue_Release(DynValue* cell) {
  if (DynKind_NeedsRelease(cell->kind)) DynValue_ReleaseSlow(cell);
}
// Releases when needed and leaves the cell {0, 0, undefined}.
inline void DynValue_Free(DynValue* cell) {
  DynValue_Release(cell);
  cell->i64 = 0;
  cell->flags = 0;
  cell->kind = KIND_UNDEFINED;
}
DynValue* DynValue_Assign(DynValue* destination, const DynValue* source);
void DynValue_SetString(DynValue* cell, const char* text);
void DynValue_InitString(DynValue* cell, const char* text);
// Releases the cell and stores a real (kind number).
inline void DynValue_SetReal(DynValue* cell, double d) {
  DynValue_Release(cell);
  *cell = DynValue_MakeReal(d);
}
void DynValue_AddAssign(DynValue* cell, const DynValue* other);
void DynValue_Add(DynValue* result, const DynValue* a, const DynValue* b);
void DynValue_AddInt(DynValue* result, const DynValue* cell, int n);
void DynValue_PostIncrement(DynValue* cell, DynValue* result);
int DynValue_Compare(const DynValue* a, const DynValue* b, double epsilon);
double DynValue_ToReal(const DynValue* cell);
int32_t DynValue_ToInt32(const DynValue* cell);
int64_t DynValue_ToInt64(const DynValue* cell);
intptr_t DynValue_ToPointer(const DynValue* cell);
bool DynValue_ToBool(const DynValue* cell);
class TextBuffer;
void DynValue_ToText(TextBuffer* buffer, const DynValue* cell);
const char* DynValue_KindName(const DynValue* cell);
const char* DynKind_Name(uint32_t kind);
DynValue* DynValue_ArrayElementForWrite(DynValue* cell, int32_t index);
void DynValue_Read(DynValue* result, DynValue* variable, int32_t index);
void DynValue_Write(DynValue* variable, const DynValue* value, int32_t index);
// New allocation (memory manager) holding a then b; a null side counts as empty,
// both null gives null. Free with MM_FREE.
char* DynString_Concat(const char* a, const char* b);

// The characters of a string cell, or null (null record, null chars, other kind).
inline const char* DynValue_Chars(const DynValue* cell) {
  return (cell->Kind() == KIND_STRING && cell->str) ? cell->str->chars : nullptr;
}

// The process-wide comparison tolerance (1e-10 at start).
extern double math_epsilon;
// Stores e when 0 <= e < 1 (1e-11 in place of exactly 0); ignores other values.
void math_set_epsilon(double e);

// Filled by an out-of-bounds element read; built-ins that read arrays check it
// and report "array_get :: Index [%d,%d] out of range [%d,%d]".
struct ArrayErrorRecord {
  bool error;
  int32_t row;
  int32_t column;
  int32_t rowCount;
  int32_t rowLength;  // -1 when the row does not exist
};
extern ArrayErrorRecord g_LastArrayError;
