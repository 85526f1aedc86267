// SPDX-License-Identifier: Zlib
#include "library/DsList.h"

#include <cmath>
#include <cstring>

#include "base/Memory.h"
#include "code/CompiledCode.h"
#include "library/DsHandles.h"
#include "value/ArgReaders.h"

namespace {

// Tolerance of element equality in ds_list_find_index.
constexpr double kFindEpsilon = 1e-8;

bool IsNumberKind(uint32_t kind) {
  return kind == KIND_NUMBER || kind == KIND_BOOL || kind == KIND_INT32 || kind == KIND_INT64;
}

double NumberOf(const DynValue* v) {
  switch (v->Kind()) {
    case KIND_INT32:
      return v->i32;
    case KIND_INT64:
      return static_cast<double>(v->i64);
    default:
      return v->real;
  }
}

void Grow(CDS_List* list, int by) {
  int capacity = list->capacity + by;
  list->elements = static_cast<DynValue*>(MM_REALLOC(list->elements, sizeof(DynValue) * static_cast<size_t>(capacity)));
  list->capacity = capacity;
}

void CopyInto(DynValue* cell, const DynValue* value) {
  *cell = DynValue_MakeUndefined();
  DynValue_Assign(cell, value);
}

}  // namespace

void CDS_List::Add(const DynValue* value) {
  if (count == capacity) {
    int by = capacity / 8;
    Grow(this, by > kDsListMinGrowth ? by : kDsListMinGrowth);
  }
  CopyInto(&elements[count++], value);
}

bool CDS_List::Insert(int pos, const DynValue* value) {
  if (pos < 0 || pos > count) return false;
  if (count == capacity) Grow(this, kDsListMinGrowth);
  std::memmove(static_cast<void*>(&elements[pos + 1]), &elements[pos], sizeof(DynValue) * static_cast<size_t>(count - pos));
  CopyInto(&elements[pos], value);
  ++count;
  return true;
}

bool CDS_List::Replace(int pos, const DynValue* value) {
  if (pos < 0 || pos >= count) return false;
  DynValue_Assign(&elements[pos], value);
  return true;
}

bool CDS_List::Delete(int pos) {
  if (pos < 0 || pos >= count) return false;
  DynValue_Free(&elements[pos]);
  std::memmove(static_cast<void*>(&elements[pos]), &elements[pos + 1], sizeof(DynValue) * static_cast<size_t>(count - pos - 1));
  --count;
  return true;
}

int CDS_List::FindIndex(const DynValue* value) const {
  const uint32_t kind = value->Kind();
  for (int i = 0; i < count; ++i) {
    const DynValue* e = &elements[i];
    const uint32_t ek = e->Kind();
    bool equal;
    if (IsNumberKind(kind) && IsNumberKind(ek)) {
      equal = std::fabs(NumberOf(e) - NumberOf(value)) <= kFindEpsilon;
    } else if (kind == KIND_STRING && ek == KIND_STRING) {
      const char* a = DynValue_Chars(e);
      const char* b = DynValue_Chars(value);
      equal = std::strcmp(a ? a : "", b ? b : "") == 0;
    } else if (IsNumberKind(kind) || IsNumberKind(ek) || kind == KIND_STRING || ek == KIND_STRING) {
      equal = false;
    } else {
      equal = DynValue_Compare(e, value, kFindEpsilon) == 0;
    }
    if (equal) return i;
  }
  return -1;
}

void CDS_List::Clear() {
  for (int i = 0; i < count; ++i) DynValue_Free(&elements[i]);
  count = 0;
}

int DsList_Create() {
  CDS_List* list = static_cast<CDS_List*>(MM_CALLOC(sizeof(CDS_List)));
  return DsHandles_Lists().Add(list);
}

CDS_List* DsList_Get(int handle) { return static_cast<CDS_List*>(DsHandles_Lists().Get(handle)); }

void DsList_Destroy(int handle) {
  CDS_List* list = static_cast<CDS_List*>(DsHandles_Lists().Remove(handle));
  if (!list) return;
  list->Clear();
  MM_FREE(list->elements);
  MM_FREE(list);
}

namespace {

// Reads the handle argument; reports and gives null when it holds no list.
CDS_List* ListArgument(const DynValue* args) {
  CDS_List* list = DsList_Get(ZuGetInt32(args, 0));
  if (!list) DsHandles_ReportMissing();
  return list;
}

void F_DsListCreate(DynValue& result, CInstance*, CInstance*, int, DynValue*) {
  DynValue_SetReal(&result, DsList_Create());
}

void F_DsListDestroy(DynValue&, CInstance*, CInstance*, int, DynValue* args) {
  if (ListArgument(args)) DsList_Destroy(ZuGetInt32(args, 0));
}

void F_DsListAdd(DynValue&, CInstance*, CInstance*, int argc, DynValue* args) {
  CDS_List* list = ListArgument(args);
  if (!list) return;
  for (int i = 1; i < argc; ++i) list->Add(&args[i]);
}

void F_DsListSize(DynValue& result, CInstance*, CInstance*, int, DynValue* args) {
  if (CDS_List* list = ListArgument(args)) DynValue_SetReal(&result, list->count);
}

void F_DsListFindValue(DynValue& result, CInstance*, CInstance*, int, DynValue* args) {
  CDS_List* list = ListArgument(args);
  if (!list) return;
  int pos = ZuGetInt32(args, 1);
  if (pos < 0 || pos >= list->count) {
    DynValue_Free(&result);
    return;
  }
  DynValue_Assign(&result, &list->elements[pos]);
}

void F_DsListFindIndex(DynValue& result, CInstance*, CInstance*, int, DynValue* args) {
  if (CDS_List* list = ListArgument(args)) DynValue_SetReal(&result, list->FindIndex(&args[1]));
}

void F_DsListInsert(DynValue&, CInstance*, CInstance*, int, DynValue* args) {
  if (CDS_List* list = ListArgument(args)) list->Insert(ZuGetInt32(args, 1), &args[2]);
}

void F_DsListReplace(DynValue&, CInstance*, CInstance*, int, DynValue* args) {
  if (CDS_List* list = ListArgument(args)) list->Replace(ZuGetInt32(args, 1), &args[2]);
}

void F_DsListDelete(DynValue&, CInstance*, CInstance*, int, DynValue* args) {
  if (CDS_List* list = ListArgument(args)) list->Delete(ZuGetInt32(args, 1));
}

// ds_list_mark_as_map(list, pos) / ds_list_mark_as_list(list, pos): the
// element (a handle) is written as a nested map or list by secure saves.
void MarkElement(DynValue* args, void (*mark)(DynValue*)) {
  CDS_List* list = ListArgument(args);
  if (!list) return;
  int pos = ZuGetInt32(args, 1);
  if (pos < 0 || pos >= list->count || list->elements[pos].Kind() != KIND_NUMBER) return;
  mark(&list->elements[pos]);
}

void F_DsListMarkAsMap(DynValue&, CInstance*, CInstance*, int, DynValue* args) { MarkElement(args, DsMark_AsMap); }
void F_DsListMarkAsList(DynValue&, CInstance*, CInstance*, int, DynValue* args) { MarkElement(args, DsMark_AsList); }

}  // namespace

void DsList_RegisterBuiltins() {
  Function_Add("ds_list_create", F_DsListCreate, 0, true);
  Function_Add("ds_list_destroy", F_DsListDestroy, 1, true);
  Function_Add("ds_list_add", F_DsListAdd, -1, true);
  Function_Add("ds_list_size", F_DsListSize, 1, true);
  Function_Add("ds_list_find_value", F_DsListFindValue, 2, true);
  Function_Add("ds_list_find_index", F_DsListFindIndex, 2, true);
  Function_Add("ds_list_insert", F_DsListInsert, 3, true);
  Function_Add("ds_list_replace", F_DsListReplace, 3, true);
  Function_Add("ds_list_delete", F_DsListDelete, 2, true);
  Function_Add("ds_list_mark_as_map", F_DsListMarkAsMap, 2, true);
  Function_Add("ds_list_mark_as_list", F_DsListMarkAsList, 2, true);
}
