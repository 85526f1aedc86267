// SPDX-License-Identifier: Zlib
// Conversions of a cell to a real, an integer, a pointer, a truth value or text.
#include <charconv>
#include <cinttypes>
#include <cmath>
#include <cstdlib>

#include "base/Error.h"
#include "value/Conversions.h"
#include "value/DynValue.h"
#include "value/TextBuffer.h"

namespace {

// Arrays convert through element [0] of row 0, again if that is an array; a
// self-containing array stops here instead of recursing forever.
constexpr int kArrayConversionDepthLimit = 64;

const DynValue* FirstElement(const DynValue* cell) {
  for (int depth = 0; cell->Kind() == KIND_ARRAY; ++depth) {
    const DynArray* array = cell->arr;
    if (depth >= kArrayConversionDepthLimit || !array || array->rowCount < 1 || array->rows[0].length < 1) return nullptr;
    cell = &array->rows[0].elements[0];
  }
  return cell;
}

// Truncation toward zero that stays defined outside the integer range: NaN
// and out-of-range values give the "integer indefinite" value the processor's
// own truncating conversion produces (the most negative integer).
int64_t TruncateToInt64(double d) {
  if (!(d > -9223372036854775808.0 && d < 9223372036854775808.0)) return INT64_MIN;
  return static_cast<int64_t>(d);
}

int32_t TruncateToInt32(double d) {
  if (!(d > -2147483649.0 && d < 2147483648.0)) return INT32_MIN;
  return static_cast<int32_t>(d);
}

// Text to a real. Only plain decimal number text is read: blanks (as
// isspace), an optional sign, digits with at most one decimal point and at
// least one digit ("5.", ".5"), then an optional exponent ("e" or "E", an
// optional sign, at least one digit; "1e3" is 1000, as it always was). The
// longest such start of the text is the number and the rest is ignored
// ("12.75abc" is 12.75, "1.2.3" is 1.2). Text that does not start with a
// number gives 0, as it always has.
//
// The C library's converter also takes "nan", "inf", "infinity" and
// hexadecimal ("0x8"), which a user can type into any text box; here they
// are text like any other: "nan" and "inf" give 0, "0x8" is 0 followed by
// other text. A number too large for a real gives 0 as well, and one too
// small gives 0 anyway, so text never becomes an infinity or a NaN. The
// digits are converted with from_chars, which does not depend on the
// process's locale.
double DecimalTextToReal(const char* text) {
  const char* p = text;
  while (*p == ' ' || (*p >= '\t' && *p <= '\r')) ++p;
  bool negative = false;
  if (*p == '+' || *p == '-') negative = *p++ == '-';
  const char* digits = p;
  auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
  const char* q = p;
  while (isDigit(*q)) ++q;
  bool sawDigit = q != digits;
  if (*q == '.') {
    const char* fraction = ++q;
    while (isDigit(*q)) ++q;
    sawDigit = sawDigit || q != fraction;
  }
  if (!sawDigit) return 0.0;
  if (*q == 'e' || *q == 'E') {
    const char* e = q + 1;
    if (*e == '+' || *e == '-') ++e;
    if (isDigit(*e)) {
      while (isDigit(*e)) ++e;
      q = e;
    }
  }
  // [digits, q) is now plain decimal text: from_chars reads it whole.
  double value = 0.0;
  std::from_chars_result read = std::from_chars(digits, q, value, std::chars_format::general);
  if (read.ec != std::errc() || read.ptr != q || !std::isfinite(value)) return 0.0;
  return negative ? -value : value;
}

inline int32_t Low32(int64_t v) { return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(v))); }

}  // namespace

double DynValue_ToReal(const DynValue* cell) {
  switch (cell->Kind()) {
    case KIND_NUMBER:
    case KIND_BOOL:
      return cell->real;
    case KIND_STRING: {
      const char* chars = DynValue_Chars(cell);
      return chars ? DecimalTextToReal(chars) : 0.0;
    }
    case KIND_ARRAY: {
      const DynValue* element = FirstElement(cell);
      return element ? DynValue_ToReal(element) : 0.0;
    }
    case KIND_UNDEFINED:
      return 0.0;
    case KIND_INT32:
      return cell->i32;
    case KIND_INT64:
      return static_cast<double>(cell->i64);
    case KIND_UNSET:
      Runtime_Error("REAL argument is unset");
      return 0.0;
    default:
      Runtime_Error("REAL argument incorrect type %d", static_cast<int>(cell->Kind()));
      return 0.0;
  }
}

int32_t DynValue_ToInt32(const DynValue* cell) {
  switch (cell->Kind()) {
    case KIND_NUMBER:
    case KIND_BOOL:
      return TruncateToInt32(cell->real);
    case KIND_STRING: {
      const char* chars = DynValue_Chars(cell);
      return chars ? Low32(std::strtoll(chars, nullptr, 10)) : 0;
    }
    case KIND_ARRAY: {
      const DynValue* element = FirstElement(cell);
      return element ? DynValue_ToInt32(element) : 0;
    }
    case KIND_PTR:
      return Low32(reinterpret_cast<intptr_t>(cell->ptr));
    case KIND_UNDEFINED:
      return 0;
    case KIND_INT32:
      return cell->i32;
    case KIND_INT64:
      return Low32(cell->i64);
    case KIND_UNSET:
      Runtime_Error("I32 argument is unset");
      return 0;
    default:
      Runtime_Error("I32 argument incorrect type %d", static_cast<int>(cell->Kind()));
      return 0;
  }
}

int64_t DynValue_ToInt64(const DynValue* cell) {
  switch (cell->Kind()) {
    case KIND_NUMBER:
    case KIND_BOOL:
      return TruncateToInt64(cell->real);
    case KIND_STRING: {
      const char* chars = DynValue_Chars(cell);
      return chars ? std::strtoll(chars, nullptr, 10) : 0;
    }
    case KIND_ARRAY: {
      const DynValue* element = FirstElement(cell);
      return element ? DynValue_ToInt64(element) : 0;
    }
    case KIND_PTR:
      return Low32(reinterpret_cast<intptr_t>(cell->ptr));
    case KIND_UNDEFINED:
      return 0;
    case KIND_INT32:
      return cell->i32;
    case KIND_INT64:
      return cell->i64;
    case KIND_UNSET:
      Runtime_Error("I64 argument is unset");
      return 0;
    default:
      Runtime_Error("I64 argument incorrect type %d", static_cast<int>(cell->Kind()));
      return 0;
  }
}

intptr_t DynValue_ToPointer(const DynValue* cell) {
  switch (cell->Kind()) {
    case KIND_NUMBER:
    case KIND_BOOL:
      return static_cast<intptr_t>(TruncateToInt64(cell->real));
    case KIND_STRING: {
      const char* chars = DynValue_Chars(cell);
      return chars ? static_cast<intptr_t>(std::strtoull(chars, nullptr, 16)) : 0;
    }
    case KIND_ARRAY: {
      const DynValue* element = FirstElement(cell);
      return element ? DynValue_ToPointer(element) : 0;
    }
    case KIND_PTR:
    case KIND_OBJECT:
    case KIND_ITERATOR:
      return reinterpret_cast<intptr_t>(cell->ptr);
    case KIND_UNDEFINED:
      return 0;
    case KIND_INT32:
      return cell->i32;
    case KIND_INT64:
      return static_cast<intptr_t>(cell->i64);
    case KIND_UNSET:
      Runtime_Error("PTR argument is unset");
      return 0;
    default:
      Runtime_Error("PTR argument incorrect type %d", static_cast<int>(cell->Kind()));
      return 0;
  }
}

bool DynValue_ToBool(const DynValue* cell) {
  switch (cell->Kind()) {
    case KIND_NUMBER:
    case KIND_BOOL:
      return cell->real > 0.5;
    case KIND_INT32:
      return cell->i32 > 0;
    case KIND_INT64:
      return cell->i64 > 0;
    case KIND_PTR:
    case KIND_OBJECT:
      return cell->ptr != nullptr;
    case KIND_UNDEFINED:
      return false;
    default:  // strings, arrays; unset and other kinds report through the real conversion
      return DynValue_ToReal(cell) > 0.5;
  }
}

void Number_ToText(TextBuffer* buffer, double d) {
  if (std::isnan(d)) {
    buffer->Append("NaN");
    return;
  }
  if (d > -9223372036854775808.0 && d < 9223372036854775808.0) {
    long long whole = static_cast<long long>(d);
    if (static_cast<double>(whole) == d) {
      buffer->AppendFormat("%lld", whole);
      return;
    }
  }
  buffer->AppendFormat("%.2f", d);
}

namespace {

// Marks the arrays being rendered so that an array holding itself renders once.
uint32_t g_renderStamp = 0;

void ArrayToText(TextBuffer* buffer, DynArray* array) {
  if (!array) {
    buffer->Append("{ ");
    buffer->Append(" }");
    return;
  }
  if (array->visitStamp != 0 && array->visitStamp == g_renderStamp) {
    buffer->Append("{ ");
    buffer->Append(" }");
    return;
  }
  uint32_t previousStamp = array->visitStamp;
  array->visitStamp = g_renderStamp;
  buffer->Append("{ ");
  for (int32_t r = 0; r < array->rowCount; ++r) {
    const DynArrayRow& row = array->rows[r];
    buffer->Append("{ ");
    for (int32_t c = 0; c < row.length; ++c) {
      if (c > 0) buffer->Append(",");
      DynValue_ToText(buffer, &row.elements[c]);
    }
    buffer->Append(" }, ");
  }
  buffer->Append(" }");
  array->visitStamp = previousStamp;
}

}  // namespace

void DynValue_ToText(TextBuffer* buffer, const DynValue* cell) {
  switch (cell->Kind()) {
    case KIND_NUMBER:
      Number_ToText(buffer, cell->real);
      break;
    case KIND_BOOL:
      buffer->Append(cell->real != 0.0 ? "1" : "0");
      break;
    case KIND_STRING:
      buffer->Append(DynValue_Chars(cell));
      break;
    case KIND_ARRAY: {
      static int renderDepth = 0;
      if (renderDepth == 0 && ++g_renderStamp == 0) g_renderStamp = 1;
      ++renderDepth;
      ArrayToText(buffer, cell->arr);
      --renderDepth;
      break;
    }
    case KIND_PTR:
      buffer->AppendFormat("%p", cell->ptr);
      break;
    case KIND_UNDEFINED:
      buffer->Append("undefined");
      break;
    case KIND_OBJECT:
      // Objects of this runtime have no "toString" method: a live object
      // renders as nothing.
      if (!cell->obj) buffer->Append("null");
      break;
    case KIND_INT32:
      buffer->AppendFormat("%d", cell->i32);
      break;
    case KIND_INT64:
      buffer->AppendFormat("%" PRId64, cell->i64);
      break;
    case KIND_UNSET:
      Runtime_Error("STRING argument is unset");
      break;
    default:
      break;
  }
}
