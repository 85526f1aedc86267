// SPDX-License-Identifier: Zlib
// Element access on array cells: copy on write through a non-owning cell,
// growth on write, bounds-checked reads.
#include <cstring>

#include "base/Error.h"
#include "base/Memory.h"
#include "value/DynValue.h"

namespace {

DynArray* NewArray(DynValue* owner, int32_t rowCount) {
  auto* array = static_cast<DynArray*>(MM_CALLOC(sizeof(DynArray)));
  array->refcount = 1;
  array->owner = owner;
  array->rowCount = rowCount;
  array->rows = rowCount > 0 ? static_cast<DynArrayRow*>(MM_CALLOC(sizeof(DynArrayRow) * rowCount)) : nullptr;
  return array;
}

// Gives `cell` a private copy of its shared array.
DynArray* CopyOnWrite(DynValue* cell) {
  DynArray* shared = cell->arr;
  DynArray* copy = NewArray(cell, shared->rowCount);
  for (int32_t r = 0; r < shared->rowCount; ++r) {
    const DynArrayRow& from = shared->rows[r];
    DynArrayRow& to = copy->rows[r];
    to.length = from.length;
    if (from.length > 0) {
      to.elements = static_cast<DynValue*>(MM_CALLOC(sizeof(DynValue) * from.length));
      for (int32_t c = 0; c < from.length; ++c) {
        to.elements[c] = DynValue_MakeUndefined();
        DynValue_Assign(&to.elements[c], &from.elements[c]);
      }
    }
  }
  --shared->refcount;
  cell->arr = copy;
  return copy;
}

// Zero-filled growth: new elements read as number 0.
void GrowRows(DynArray* array, int32_t rowCount) {
  array->rows = static_cast<DynArrayRow*>(MM_REALLOC(array->rows, sizeof(DynArrayRow) * rowCount));
  std::memset(array->rows + array->rowCount, 0, sizeof(DynArrayRow) * (rowCount - array->rowCount));
  array->rowCount = rowCount;
}

void GrowRow(DynArrayRow* row, int32_t length) {
  row->elements = static_cast<DynValue*>(MM_REALLOC(row->elements, sizeof(DynValue) * length));
  std::memset(static_cast<void*>(row->elements + row->length), 0, sizeof(DynValue) * (length - row->length));
  row->length = length;
}

}  // namespace

DynValue* DynValue_ArrayElementForWrite(DynValue* cell, int32_t index) {
  // A negative index (row or column) names no element; the cell is left as it is.
  if (index < 0) return nullptr;
  int32_t row = index / ARRAY_ROW_STRIDE;
  int32_t column = index % ARRAY_ROW_STRIDE;
  DynArray* array;
  if (cell->Kind() != KIND_ARRAY || !cell->arr) {
    DynValue_Release(cell);
    array = NewArray(cell, 0);
    cell->arr = array;
    cell->flags = 0;
    cell->kind = KIND_ARRAY;
  } else {
    array = cell->arr;
    if (array->owner != cell && array->refcount != 1) array = CopyOnWrite(cell);
  }
  if (row >= array->rowCount) GrowRows(array, row + 1);
  DynArrayRow& target = array->rows[row];
  if (column >= target.length) GrowRow(&target, column + 1);
  return &target.elements[column];
}

void DynValue_Read(DynValue* result, DynValue* variable, int32_t index) {
  if (index == ARRAY_INDEX_NONE) {
    if (variable->Kind() == KIND_ARRAY && variable->arr && !variable->arr->owner) variable->arr->owner = variable;
    DynValue_Assign(result, variable);
    return;
  }
  if (variable->Kind() != KIND_ARRAY) {
    Runtime_Error("trying to index a variable which is not an array");
    return;
  }
  const DynArray* array = variable->arr;
  int32_t row = index / ARRAY_ROW_STRIDE;
  int32_t column = index % ARRAY_ROW_STRIDE;
  int32_t rowCount = array ? array->rowCount : 0;
  if (index >= 0 && row < rowCount && column < array->rows[row].length) {
    DynValue_Assign(result, &array->rows[row].elements[column]);
    return;
  }
  g_LastArrayError.error = true;
  g_LastArrayError.row = row;
  g_LastArrayError.column = column;
  g_LastArrayError.rowCount = rowCount;
  g_LastArrayError.rowLength = (row >= 0 && row < rowCount) ? array->rows[row].length : -1;
  DynValue_SetReal(result, 0.0);
}

void DynValue_Write(DynValue* variable, const DynValue* value, int32_t index) {
  if (index == ARRAY_INDEX_NONE) {
    DynValue_Assign(variable, value);
    return;
  }
  // The value may live inside the array that the write grows or copies: hold
  // its own reference while the element is found.
  DynValue held = DynValue_MakeUndefined();
  DynValue_Assign(&held, value);
  DynValue* element = DynValue_ArrayElementForWrite(variable, index);
  if (element) DynValue_Assign(element, &held);
  DynValue_Release(&held);
}
