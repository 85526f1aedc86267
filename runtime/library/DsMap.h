// SPDX-License-Identifier: Zlib
// Maps: dictionaries from cells to cells behind integer handles (the ds_map_*
// built-ins). A map is a fixed table of buckets chosen by the key's CRC-32
// AND mask; it never grows or rehashes. A new entry goes to the end of its
// bucket's chain, and maps are visited bucket by bucket in ascending index,
// each chain from first to last: that order decides how the editor rebuilds a
// loaded frame, so it is part of the contract, not an accident of storage.
//
// Callers of the DsMap_* functions hold DsMutex(); the built-ins take it.
#pragma once

#include <cstdint>

#include "value/DynValue.h"

// Buckets of a map made without a count (mask 255).
constexpr int kDsMapDefaultBuckets = 256;
// Largest bucket count ds_map_create(n) accepts; larger requests are cut to it
// so that a wrong argument cannot ask for gigabytes of empty buckets.
constexpr int kDsMapMaxBuckets = 1 << 20;
// Tolerance of key equality (numbers within 1e-8 are the same key).
constexpr double kDsMapKeyEpsilon = 1e-8;

struct DsMapNode {
  DsMapNode* previous;
  DsMapNode* next;
  uint32_t hash;
  DynValue key;
  DynValue value;
};

struct DsMapBucket {
  DsMapNode* first;
  DsMapNode* last;
};

struct CDS_Map {
  DsMapBucket* buckets;
  int32_t mask;
  int32_t count;

  DsMapNode* Find(const DynValue* key) const;
  DsMapNode* FindHashed(const DynValue* key, uint32_t hash) const;
  // Adds when the key is absent (true); else leaves the map unchanged (false).
  bool Add(const DynValue* key, const DynValue* value);
  // Replaces the value of a present key (true); else adds the entry (false).
  bool Replace(const DynValue* key, const DynValue* value);
  // Visiting order: the first node, and the node after a node.
  DsMapNode* First() const;
  DsMapNode* Next(const DsMapNode* node) const;
  // The node after the first node whose key compares equal to key, walking
  // the map from the start; null when key is the last or absent.
  DsMapNode* NextAfterKey(const DynValue* key) const;
  void Clear();
};

// Creation (bucket count rounded to [1, kDsMapMaxBuckets]) and destruction.
int DsMap_Create(int buckets = kDsMapDefaultBuckets);
CDS_Map* DsMap_Get(int handle);  // null when the handle holds no map
void DsMap_Destroy(int handle);
// Destroys a map and every map and list that its marked values name, nested
// to any depth (used to undo a partly built load).
void DsMap_DestroyDeep(int handle);
// Destroys, in the same way, the map or list that a marked value names; other
// values are left alone.
void DsStructure_DestroyNamedBy(const DynValue* value);

// Registers ds_map_create, ds_map_destroy, ds_map_add, ds_map_replace,
// ds_map_size, ds_map_copy, ds_map_find_value, ds_map_find_first, ds_map_find_next,
// ds_map_add_map and ds_map_add_list.
void DsMap_RegisterBuiltins();
