// SPDX-License-Identifier: Zlib
// Argument readers of built-in functions.
#include "value/ArgReaders.h"

#include "base/Error.h"

namespace {

const char* (*&CallNameSource())() {
  static const char* (*source)() = nullptr;
  return source;
}

void ReportWrongKind(const char* expecting, const DynValue* args, int i) {
  const char* name = CallNameSource() ? CallNameSource()() : "<unknown>";
  Runtime_Error("%s argument %d incorrect type (%s) expecting a %s", name, i + 1, DynValue_KindName(&args[i]),
                expecting);
}

}  // namespace

void ArgReaders_SetCallNameSource(const char* (*source)()) { CallNameSource() = source; }

bool ZuGetBool(const DynValue* args, int i) {
  const DynValue& v = args[i];
  switch (v.Kind()) {
    case KIND_NUMBER: return v.real > 0.5;
    case KIND_BOOL: return v.real != 0.0;
    case KIND_INT32: return v.i32 > 0;
    case KIND_INT64: return v.i64 > 0;
    default:
      ReportWrongKind("Number (ZuGB)", args, i);
      return false;
  }
}

float ZuGetFloat(const DynValue* args, int i) {
  const DynValue& v = args[i];
  switch (v.Kind()) {
    case KIND_NUMBER:
    case KIND_BOOL: return static_cast<float>(v.real);
    case KIND_INT32: return static_cast<float>(v.i32);
    case KIND_INT64: return static_cast<float>(v.i64);
    default:
      ReportWrongKind("Number (ZuGF)", args, i);
      return 0.0f;
  }
}

int64_t ZuGetInt64(const DynValue* args, int i) {
  const DynValue& v = args[i];
  switch (v.Kind()) {
    case KIND_NUMBER:
    case KIND_BOOL:
    case KIND_INT32:
    case KIND_INT64:
      return DynValue_ToInt64(&v);
    case KIND_STRING: {
      // Strings are converted to a number first, by parsing their text.
      DynValue number = DynValue_MakeReal(DynValue_ToReal(&v));
      return DynValue_ToInt64(&number);
    }
    case KIND_OBJECT:
      // Objects of this runtime carry no numeric value.
      return 0;
    default:
      ReportWrongKind("Number", args, i);
      return 0;
  }
}

int32_t ZuGetInt32(const DynValue* args, int i) {
  const DynValue& v = args[i];
  switch (v.Kind()) {
    case KIND_NUMBER:
    case KIND_BOOL:
    case KIND_INT32:
    case KIND_INT64:
      return DynValue_ToInt32(&v);
    case KIND_STRING: {
      DynValue number = DynValue_MakeReal(DynValue_ToReal(&v));
      return DynValue_ToInt32(&number);
    }
    case KIND_OBJECT:
      return 0;
    default:
      ReportWrongKind("Number (ZuGI32)", args, i);
      return 0;
  }
}

uint32_t ZuGetUint32(const DynValue* args, int i) {
  const DynValue& v = args[i];
  switch (v.Kind()) {
    case KIND_NUMBER:
    case KIND_BOOL:
    case KIND_INT32:
    case KIND_INT64:
      return static_cast<uint32_t>(DynValue_ToInt64(&v));
    case KIND_STRING: {
      DynValue number = DynValue_MakeReal(DynValue_ToReal(&v));
      return static_cast<uint32_t>(DynValue_ToInt64(&number));
    }
    case KIND_OBJECT:
      return 0;
    default:
      ReportWrongKind("Number (ZuGU32)", args, i);
      return 0;
  }
}

intptr_t ZuGetPtrOrInt(const DynValue* args, int i) {
  const DynValue& v = args[i];
  switch (v.Kind()) {
    case KIND_NUMBER:
      return static_cast<intptr_t>(DynValue_ToInt64(&v));
    case KIND_PTR:
    case KIND_INT32:
    case KIND_INT64:
      return DynValue_ToInt32(&v);
    default:
      ReportWrongKind("Number or Pointer", args, i);
      return -1;
  }
}

double ZuGetReal(const DynValue* args, int i) {
  const DynValue& v = args[i];
  switch (v.Kind()) {
    case KIND_NUMBER:
    case KIND_BOOL:
      return v.real;
    case KIND_STRING:
    case KIND_INT32:
    case KIND_INT64:
      return DynValue_ToReal(&v);
    case KIND_OBJECT:
      return 0.0;
    default:
      ReportWrongKind("Number (ZuGR)", args, i);
      return 0.0;
  }
}

const char* ZuGetString(const DynValue* args, int i) {
  const DynValue& v = args[i];
  switch (v.Kind()) {
    case KIND_STRING: return DynValue_Chars(&v);
    case KIND_OBJECT: return nullptr;
    default:
      ReportWrongKind("String (ZuGS)", args, i);
      return nullptr;
  }
}
