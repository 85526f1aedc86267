// SPDX-License-Identifier: Zlib
#include "object/InstanceIdTable.h"

namespace {
constexpr uint32_t kInitialCapacity = 64;
}

void InstanceIdTable::Grow() {
  std::vector<Entry> old;
  old.swap(entries_);
  uint32_t capacity = old.empty() ? kInitialCapacity : static_cast<uint32_t>(old.size()) * 2;
  entries_.assign(capacity, Entry{0, nullptr});
  mask_ = capacity - 1;
  count_ = 0;
  for (const Entry& e : old)
    if (e.instance) Insert(e.id, e.instance);
}

void InstanceIdTable::Insert(int32_t id, CInstance* instance) {
  if ((count_ + 1) * 2 > entries_.size()) Grow();  // at most half full
  uint32_t i = Home(id);
  while (entries_[i].instance) {
    if (entries_[i].id == id) {
      entries_[i].instance = instance;
      return;
    }
    i = (i + 1) & mask_;
  }
  entries_[i] = Entry{id, instance};
  ++count_;
}

void InstanceIdTable::Remove(int32_t id) {
  if (count_ == 0) return;
  uint32_t i = Home(id);
  while (entries_[i].instance && entries_[i].id != id) i = (i + 1) & mask_;
  if (!entries_[i].instance) return;
  // Backward shift: move later members of the probe run into the hole.
  uint32_t hole = i;
  for (uint32_t j = (i + 1) & mask_; entries_[j].instance; j = (j + 1) & mask_) {
    uint32_t home = Home(entries_[j].id);
    bool between = hole <= j ? (hole < home && home <= j) : (hole < home || home <= j);
    if (!between) {
      entries_[hole] = entries_[j];
      hole = j;
    }
  }
  entries_[hole] = Entry{0, nullptr};
  --count_;
}

void InstanceIdTable::Clear() {
  entries_.clear();
  mask_ = 0;
  count_ = 0;
}
