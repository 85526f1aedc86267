// SPDX-License-Identifier: Zlib
// The room's depth-ordered instance list.
#include "room/RoomInstances.h"

#include "object/Instance.h"

RoomInstanceState& Room_Instances() {
  static RoomInstanceState state;
  return state;
}

void Room_InsertByDepth(CInstance* instance) {
  RoomInstanceList& list = Room_Instances().list;
  instance->sortDepth = instance->depth;
  CInstance* before = list.last;
  while (before && before->sortDepth > instance->depth) before = before->previous;
  instance->previous = before;
  if (before) {
    instance->next = before->next;
    before->next = instance;
  } else {
    instance->next = list.first;
    list.first = instance;
  }
  if (instance->next)
    instance->next->previous = instance;
  else
    list.last = instance;
  ++list.count;
  instance->inRoomList = true;
}

void Room_Unlink(CInstance* instance) {
  if (!instance->inRoomList) return;
  RoomInstanceList& list = Room_Instances().list;
  if (instance->previous)
    instance->previous->next = instance->next;
  else
    list.first = instance->next;
  if (instance->next)
    instance->next->previous = instance->previous;
  else
    list.last = instance->previous;
  instance->next = instance->previous = nullptr;
  instance->inRoomList = false;
  --list.count;
}

void Room_ApplyResort() {
  RoomInstanceState& state = Room_Instances();
  std::vector<CInstance*> resort;
  resort.swap(state.resort);
  for (CInstance* instance : resort) {
    instance->inResortList = false;
    if (instance->marked || !instance->inRoomList) continue;
    // A depth written back to the value it was filed with is no change: the
    // instance keeps its place among its equals. (The editor's object list
    // writes every part's depth every step, mostly unchanged.)
    if (instance->depth == instance->sortDepth) continue;
    Room_Unlink(instance);
    Room_InsertByDepth(instance);
  }
}

CInstance* Room_FirstActive() {
  for (CInstance* i = Room_Instances().list.first; i; i = i->next)
    if (i->Active()) return i;
  return nullptr;
}
