// SPDX-License-Identifier: Zlib
// The room's instance list (ascending depth, equal depths in filing order),
// the pending re-sort list for depth changes, and the runtime's two pending
// instance lists.
#pragma once

#include <vector>

class CInstance;

struct RoomInstanceList {
  CInstance* first = nullptr;
  CInstance* last = nullptr;
  int count = 0;
};

struct RoomInstanceState {
  RoomInstanceList list;
  std::vector<CInstance*> resort;  // depth changed since the last re-sort
  // Instances known to the runtime but not in the room list: [0] created while
  // the room is being set up and not yet filed, [1] waiting to be activated.
  // Searches by object walk them after the object's own lists.
  std::vector<CInstance*> pending[2];
};
RoomInstanceState& Room_Instances();

// Files by depth: walks from the last instance towards the first and inserts
// behind the first one whose sort depth is <= depth; else it becomes first.
void Room_InsertByDepth(CInstance* instance);
void Room_Unlink(CInstance* instance);
// Re-files every instance of the re-sort list by its current depth.
void Room_ApplyResort();
// First active instance of the room list, or null.
CInstance* Room_FirstActive();
