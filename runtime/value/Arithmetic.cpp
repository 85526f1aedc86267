// SPDX-License-Identifier: Zlib
// Addition, increment and comparison of cells, as compiled code calls them.
#include <cmath>
#include <cstring>

#include "base/Error.h"
#include "base/Memory.h"
#include "value/DynValue.h"
#include "value/TextBuffer.h"

namespace {

// Integer arithmetic wraps like the processor's instead of being undefined.
inline int32_t WrapAdd32(int32_t a, int32_t b) {
  return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}
inline int64_t WrapAdd64(int64_t a, int64_t b) {
  return static_cast<int64_t>(static_cast<uint64_t>(a) + static_cast<uint64_t>(b));
}

void ReportInvalidType(const char* operatorText, const DynValue* lhs, const DynValue* rhs) {
  TextBuffer left;
  TextBuffer right;
  DynValue_ToText(&left, lhs);
  DynValue_ToText(&right, rhs);
  Runtime_Error("invalid type for %s lhs=%s (type=%d), rhs=%s (type=%d)", operatorText, left.Text(),
                static_cast<int>(lhs->Kind()), right.Text(), static_cast<int>(rhs->Kind()));
}

inline bool IsNumberLike(uint32_t kind) { return kind == KIND_NUMBER || kind == KIND_BOOL; }

int Sign(double d, double epsilon) {
  if (epsilon >= std::fabs(d)) return 0;
  return d < 0 ? -1 : 1;
}

template <typename T>
int IntegerOrder(T a, T b) {
  return a == b ? 0 : (a < b ? -1 : 1);
}

}  // namespace

void DynValue_AddAssign(DynValue* cell, const DynValue* other) {
  switch (cell->Kind()) {
    case KIND_NUMBER:
    case KIND_BOOL:
      cell->real += DynValue_ToReal(other);
      return;
    case KIND_INT32:
      cell->i32 = WrapAdd32(cell->i32, DynValue_ToInt32(other));
      return;
    case KIND_INT64:
      cell->i64 = WrapAdd64(cell->i64, DynValue_ToInt64(other));
      return;
    case KIND_STRING: {
      if (other->Kind() != KIND_STRING) {
        Runtime_Error("unable to add a number to string");
        return;
      }
      const char* right = DynValue_Chars(other);
      char* joined = DynString_Concat(DynValue_Chars(cell), right ? right : "");
      DynValue_SetString(cell, joined);
      MM_FREE(joined);
      return;
    }
    default:
      ReportInvalidType("+=", cell, other);
      return;
  }
}

void DynValue_Add(DynValue* result, const DynValue* a, const DynValue* b) {
  DynValue temporary = DynValue_MakeUndefined();
  DynValue_Assign(&temporary, a);
  DynValue_AddAssign(&temporary, b);
  DynValue_Assign(result, &temporary);
  DynValue_Release(&temporary);
}

void DynValue_AddInt(DynValue* result, const DynValue* cell, int n) {
  switch (cell->Kind()) {
    case KIND_NUMBER:
    case KIND_BOOL:
      DynValue_SetReal(result, cell->real + n);
      return;
    case KIND_INT32: {
      int32_t sum = WrapAdd32(cell->i32, n);
      DynValue_Release(result);
      *result = DynValue_MakeInt32(sum);
      return;
    }
    case KIND_INT64: {
      int64_t sum = WrapAdd64(cell->i64, n);
      DynValue_Release(result);
      *result = DynValue_MakeInt64(sum);
      return;
    }
    case KIND_STRING:
      Runtime_Error("unable to add a number to string");
      return;
    default:
      DynValue_Assign(result, cell);
      return;
  }
}

void DynValue_PostIncrement(DynValue* cell, DynValue* result) {
  if (result != cell) DynValue_Assign(result, cell);
  switch (cell->Kind()) {
    case KIND_NUMBER:
    case KIND_BOOL:
      cell->real += 1.0;
      return;
    case KIND_INT32:
      cell->i32 = WrapAdd32(cell->i32, 1);
      return;
    case KIND_INT64:
      cell->i64 = WrapAdd64(cell->i64, 1);
      return;
    default: {
      DynValue one = DynValue_MakeReal(1.0);
      ReportInvalidType("++", cell, &one);
      return;
    }
  }
}

int DynValue_Compare(const DynValue* a, const DynValue* b, double epsilon) {
  uint32_t ka = a->Kind();
  uint32_t kb = b->Kind();
  if (IsNumberLike(ka) && IsNumberLike(kb)) return Sign(a->real - b->real, epsilon);
  if ((ka == KIND_NUMBER && kb == KIND_INT32) || (ka == KIND_INT32 && kb == KIND_NUMBER)) {
    float fa = ka == KIND_INT32 ? static_cast<float>(a->i32) : static_cast<float>(a->real);
    float fb = kb == KIND_INT32 ? static_cast<float>(b->i32) : static_cast<float>(b->real);
    return Sign(static_cast<double>(fa - fb), epsilon);
  }
  if (IsNumberLike(ka) && kb == KIND_INT64) return IntegerOrder(DynValue_ToInt64(a), b->i64);
  if (ka == KIND_INT64 && IsNumberLike(kb)) return IntegerOrder(a->i64, DynValue_ToInt64(b));
  if (ka == KIND_INT32 && kb == KIND_INT32) {
    int64_t d = static_cast<int64_t>(a->i32) - b->i32;
    return d == 0 ? 0 : (d < 0 ? -1 : 1);
  }
  if ((ka == KIND_INT32 && kb == KIND_BOOL) || (ka == KIND_BOOL && kb == KIND_INT32))
    return IntegerOrder(DynValue_ToInt32(a), DynValue_ToInt32(b));
  if ((ka == KIND_INT32 || ka == KIND_INT64) && (kb == KIND_INT32 || kb == KIND_INT64))
    return IntegerOrder(DynValue_ToInt64(a), DynValue_ToInt64(b));
  if (ka == KIND_STRING && kb == KIND_STRING) {
    if (!a->str || !b->str) return 1;
    const char* ca = a->str->chars ? a->str->chars : "";
    const char* cb = b->str->chars ? b->str->chars : "";
    int c = std::strcmp(ca, cb);
    return c == 0 ? 0 : (c < 0 ? -1 : 1);
  }
  if (ka == KIND_ARRAY && kb == KIND_ARRAY) return a->arr == b->arr ? 0 : 1;
  if (ka == KIND_PTR && kb == KIND_PTR) {
    if (a->ptr == b->ptr) return 0;
    return reinterpret_cast<uintptr_t>(a->ptr) < reinterpret_cast<uintptr_t>(b->ptr) ? 1 : -1;
  }
  if (ka == KIND_UNDEFINED && kb == KIND_UNDEFINED) return 0;
  return ka == KIND_NUMBER ? -1 : 1;
}
