// SPDX-License-Identifier: Zlib
// Instances by id: open addressing with linear probing and backward-shift
// deletion, so lookups stay one hash and a short probe whatever the count.
#pragma once

#include <cstdint>
#include <vector>

class CInstance;

class InstanceIdTable {
 public:
  CInstance* Find(int32_t id) const {
    if (count_ == 0) return nullptr;
    for (uint32_t i = Home(id);; i = (i + 1) & mask_) {
      const Entry& e = entries_[i];
      if (!e.instance) return nullptr;
      if (e.id == id) return e.instance;
    }
  }
  void Insert(int32_t id, CInstance* instance);
  void Remove(int32_t id);
  int Count() const { return static_cast<int>(count_); }
  void Clear();

 private:
  struct Entry {
    int32_t id;
    CInstance* instance;  // null: empty
  };
  uint32_t Home(int32_t id) const { return (static_cast<uint32_t>(id) * 2654435761u) & mask_; }
  void Grow();

  std::vector<Entry> entries_;
  uint32_t mask_ = 0;
  uint32_t count_ = 0;
};
