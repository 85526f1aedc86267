// SPDX-License-Identifier: Zlib
#include "library/DsMap.h"

#include <mutex>

#include "base/Memory.h"
#include "code/CompiledCode.h"
#include "library/DsHandles.h"
#include "library/DsList.h"
#include "library/MapHash.h"
#include "value/ArgReaders.h"

namespace {

// Nested structures deeper than this are left alone by DsMap_DestroyDeep; a
// map that names itself would otherwise recurse forever.
constexpr int kDestroyDepthLimit = 64;

DsMapNode* NewNode(uint32_t hash, const DynValue* key, const DynValue* value) {
  DsMapNode* node = static_cast<DsMapNode*>(MM_ALLOC(sizeof(DsMapNode)));
  node->previous = nullptr;
  node->next = nullptr;
  node->hash = hash;
  node->key = DynValue_MakeUndefined();
  node->value = DynValue_MakeUndefined();
  DynValue_Assign(&node->key, key);
  DynValue_Assign(&node->value, value);
  return node;
}

void Append(CDS_Map* map, DsMapNode* node) {
  DsMapBucket& bucket = map->buckets[node->hash & static_cast<uint32_t>(map->mask)];
  node->previous = bucket.last;
  if (bucket.last)
    bucket.last->next = node;
  else
    bucket.first = node;
  bucket.last = node;
  ++map->count;
}

}  // namespace

DsMapNode* CDS_Map::Find(const DynValue* key) const { return FindHashed(key, MapHash_Key(key)); }

DsMapNode* CDS_Map::FindHashed(const DynValue* key, uint32_t hash) const {
  for (DsMapNode* node = buckets[hash & static_cast<uint32_t>(mask)].first; node; node = node->next)
    if (node->hash == hash && DynValue_Compare(&node->key, key, kDsMapKeyEpsilon) == 0) return node;
  return nullptr;
}

bool CDS_Map::Add(const DynValue* key, const DynValue* value) {
  uint32_t hash = MapHash_Key(key);
  if (FindHashed(key, hash)) return false;
  Append(this, NewNode(hash, key, value));
  return true;
}

bool CDS_Map::Replace(const DynValue* key, const DynValue* value) {
  uint32_t hash = MapHash_Key(key);
  if (DsMapNode* node = FindHashed(key, hash)) {
    DynValue_Assign(&node->value, value);
    return true;
  }
  Append(this, NewNode(hash, key, value));
  return false;
}

DsMapNode* CDS_Map::First() const {
  for (int32_t b = 0; b <= mask; ++b)
    if (buckets[b].first) return buckets[b].first;
  return nullptr;
}

DsMapNode* CDS_Map::Next(const DsMapNode* node) const {
  if (node->next) return node->next;
  for (uint32_t b = (node->hash & static_cast<uint32_t>(mask)) + 1; b <= static_cast<uint32_t>(mask); ++b)
    if (buckets[b].first) return buckets[b].first;
  return nullptr;
}

DsMapNode* CDS_Map::NextAfterKey(const DynValue* key) const {
  // A text key equals only the one node holding the same text, which lies in
  // the bucket of its hash: found directly, as the walk would find it. Numbers
  // compare within an epsilon, so a number key may equal a node of another
  // hash, and takes the walk in visiting order.
  if (key->Kind() == KIND_STRING && key->str) {
    const DsMapNode* node = Find(key);
    return node ? Next(node) : nullptr;
  }
  for (DsMapNode* node = First(); node; node = Next(node))
    if (DynValue_Compare(&node->key, key, kDsMapKeyEpsilon) == 0) return Next(node);
  return nullptr;
}

void CDS_Map::Clear() {
  for (int32_t b = 0; b <= mask; ++b) {
    DsMapNode* node = buckets[b].first;
    while (node) {
      DsMapNode* next = node->next;
      DynValue_Free(&node->key);
      DynValue_Free(&node->value);
      MM_FREE(node);
      node = next;
    }
    buckets[b].first = buckets[b].last = nullptr;
  }
  count = 0;
}

int DsMap_Create(int buckets) {
  if (buckets < 1) buckets = 1;
  if (buckets > kDsMapMaxBuckets) buckets = kDsMapMaxBuckets;
  CDS_Map* map = static_cast<CDS_Map*>(MM_ALLOC(sizeof(CDS_Map)));
  map->buckets = static_cast<DsMapBucket*>(MM_CALLOC(sizeof(DsMapBucket) * static_cast<size_t>(buckets)));
  map->mask = buckets - 1;
  map->count = 0;
  return DsHandles_Maps().Add(map);
}

CDS_Map* DsMap_Get(int handle) { return static_cast<CDS_Map*>(DsHandles_Maps().Get(handle)); }

void DsMap_Destroy(int handle) {
  CDS_Map* map = static_cast<CDS_Map*>(DsHandles_Maps().Remove(handle));
  if (!map) return;
  map->Clear();
  MM_FREE(map->buckets);
  MM_FREE(map);
}

namespace {

void DestroyNestedIn(const DynValue* value, int depth);

void DestroyListDeep(int handle, int depth) {
  CDS_List* list = DsList_Get(handle);
  if (!list || depth > kDestroyDepthLimit) return;
  for (int i = 0; i < list->count; ++i) DestroyNestedIn(&list->elements[i], depth + 1);
  DsList_Destroy(handle);
}

void DestroyMapDeep(int handle, int depth) {
  CDS_Map* map = DsMap_Get(handle);
  if (!map || depth > kDestroyDepthLimit) return;
  for (DsMapNode* node = map->First(); node; node = map->Next(node)) DestroyNestedIn(&node->value, depth + 1);
  DsMap_Destroy(handle);
}

void DestroyNestedIn(const DynValue* value, int depth) {
  if (DsMark_IsMap(value)) DestroyMapDeep(static_cast<int>(value->real), depth);
  if (DsMark_IsList(value)) DestroyListDeep(static_cast<int>(value->real), depth);
}

}  // namespace

void DsMap_DestroyDeep(int handle) { DestroyMapDeep(handle, 0); }

void DsStructure_DestroyNamedBy(const DynValue* value) { DestroyNestedIn(value, 0); }

namespace {

using Lock = std::lock_guard<std::mutex>;

// Reads the handle argument; reports and gives null when it holds no map.
CDS_Map* MapArgument(const DynValue* args) {
  CDS_Map* map = DsMap_Get(ZuGetInt32(args, 0));
  if (!map) DsHandles_ReportMissing();
  return map;
}

void CopyOut(DynValue& result, const DynValue* cell) { DynValue_Assign(&result, cell); }

void F_DsMapCreate(DynValue& result, CInstance*, CInstance*, int argc, DynValue* args) {
  int buckets = argc >= 1 ? ZuGetInt32(args, 0) : kDsMapDefaultBuckets;
  Lock lock(DsMutex());
  DynValue_SetReal(&result, DsMap_Create(buckets));
}

void F_DsMapDestroy(DynValue&, CInstance*, CInstance*, int, DynValue* args) {
  Lock lock(DsMutex());
  if (MapArgument(args)) DsMap_Destroy(ZuGetInt32(args, 0));
}

void F_DsMapAdd(DynValue& result, CInstance*, CInstance*, int, DynValue* args) {
  DynValue_SetReal(&result, 0);
  Lock lock(DsMutex());
  if (CDS_Map* map = MapArgument(args)) DynValue_SetReal(&result, map->Add(&args[1], &args[2]) ? 1 : 0);
}

void F_DsMapReplace(DynValue& result, CInstance*, CInstance*, int, DynValue* args) {
  DynValue_SetReal(&result, 0);
  Lock lock(DsMutex());
  if (CDS_Map* map = MapArgument(args)) DynValue_SetReal(&result, map->Replace(&args[1], &args[2]) ? 1 : 0);
}

// ds_map_copy(id, source): id's entries become those of source, added in
// source's visiting order (a shallow copy: a nested map or list is named, not
// copied). Copying a map onto itself changes nothing.
void F_DsMapCopy(DynValue&, CInstance*, CInstance*, int, DynValue* args) {
  Lock lock(DsMutex());
  CDS_Map* target = MapArgument(args);
  CDS_Map* source = target ? MapArgument(args + 1) : nullptr;
  if (!source || source == target) return;
  target->Clear();
  for (DsMapNode* node = source->First(); node; node = source->Next(node)) target->Add(&node->key, &node->value);
}

void F_DsMapSize(DynValue& result, CInstance*, CInstance*, int, DynValue* args) {
  Lock lock(DsMutex());
  if (CDS_Map* map = MapArgument(args)) DynValue_SetReal(&result, map->count);
}

void F_DsMapFindValue(DynValue& result, CInstance*, CInstance*, int, DynValue* args) {
  Lock lock(DsMutex());
  CDS_Map* map = MapArgument(args);
  if (!map) return;
  if (DsMapNode* node = map->Find(&args[1]))
    CopyOut(result, &node->value);
  else
    DynValue_Free(&result);
}

void F_DsMapFindFirst(DynValue& result, CInstance*, CInstance*, int, DynValue* args) {
  Lock lock(DsMutex());
  CDS_Map* map = MapArgument(args);
  if (!map) return;
  if (DsMapNode* node = map->First())
    CopyOut(result, &node->key);
  else
    DynValue_Free(&result);
}

void F_DsMapFindNext(DynValue& result, CInstance*, CInstance*, int, DynValue* args) {
  Lock lock(DsMutex());
  CDS_Map* map = MapArgument(args);
  if (!map) return;
  if (DsMapNode* node = map->NextAfterKey(&args[1]))
    CopyOut(result, &node->key);
  else
    DynValue_Free(&result);
}

// ds_map_add_map(map, key, handle) / ds_map_add_list(map, key, handle): adds
// the handle marked as a nested map or list, for secure saves.
void AddMarked(DynValue& result, DynValue* args, void (*mark)(DynValue*)) {
  DynValue_SetReal(&result, 0);
  DynValue value = DynValue_MakeReal(ZuGetReal(args, 2));
  mark(&value);
  Lock lock(DsMutex());
  if (CDS_Map* map = MapArgument(args)) DynValue_SetReal(&result, map->Add(&args[1], &value) ? 1 : 0);
}

void F_DsMapAddMap(DynValue& result, CInstance*, CInstance*, int, DynValue* args) { AddMarked(result, args, DsMark_AsMap); }
void F_DsMapAddList(DynValue& result, CInstance*, CInstance*, int, DynValue* args) { AddMarked(result, args, DsMark_AsList); }

}  // namespace

void DsMap_RegisterBuiltins() {
  Function_Add("ds_map_create", F_DsMapCreate, -1, true);
  Function_Add("ds_map_destroy", F_DsMapDestroy, 1, true);
  Function_Add("ds_map_add", F_DsMapAdd, 3, true);
  Function_Add("ds_map_replace", F_DsMapReplace, 3, true);
  Function_Add("ds_map_size", F_DsMapSize, 1, true);
  Function_Add("ds_map_copy", F_DsMapCopy, 2, true);
  Function_Add("ds_map_find_value", F_DsMapFindValue, 2, true);
  Function_Add("ds_map_find_first", F_DsMapFindFirst, 1, true);
  Function_Add("ds_map_find_next", F_DsMapFindNext, 2, true);
  Function_Add("ds_map_add_map", F_DsMapAddMap, 3, true);
  Function_Add("ds_map_add_list", F_DsMapAddList, 3, true);
}
