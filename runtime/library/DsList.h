// SPDX-License-Identifier: Zlib
// Lists: ordered sequences of cells behind integer handles (the ds_list_*
// built-ins). Elements are copies made by the cell copy rules: strings and
// arrays gain a reference, they are not duplicated.
#pragma once

#include <cstdint>

#include "value/DynValue.h"

// Cells a full list grows by when it is inserted into, and at least when it is
// appended to (appending grows by an eighth of the capacity when that is more).
constexpr int kDsListMinGrowth = 16;

struct CDS_List {
  int32_t count;
  int32_t capacity;
  DynValue* elements;

  void Add(const DynValue* value);           // appends a copy
  bool Insert(int pos, const DynValue* value);  // before pos; pos == count appends
  bool Replace(int pos, const DynValue* value);
  bool Delete(int pos);
  // Index of the first equal element, or -1. Numbers (and bools and
  // integers) are equal within 1e-8, strings byte for byte, a number never
  // equals a string.
  int FindIndex(const DynValue* value) const;
  void Clear();
};

// Creation and destruction by handle (no lock: lists take none).
int DsList_Create();
CDS_List* DsList_Get(int handle);  // null when the handle holds no list
void DsList_Destroy(int handle);   // a handle that holds no list is ignored

// Registers ds_list_create, ds_list_destroy, ds_list_add, ds_list_size,
// ds_list_find_value, ds_list_find_index, ds_list_insert, ds_list_replace,
// ds_list_delete, ds_list_mark_as_map and ds_list_mark_as_list.
void DsList_RegisterBuiltins();
