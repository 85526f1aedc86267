// SPDX-License-Identifier: Zlib
// For every event type and subtype, the objects that have that event (their
// own or inherited), in ascending object index. Event passes walk these.
#pragma once

#include <vector>

class CObjectType;

// Subtypes kept per type: 12 alarms, 16 step kinds, 128 for the other kinds
// (keys, mouse events, other events, draw phases); collisions by object index.
int EventLists_SubtypeCount(int type);
void EventLists_Build();
const std::vector<CObjectType*>& EventLists_Objects(int type, int subtype);
void EventLists_Clear();
