// SPDX-License-Identifier: Zlib
// The instance built-ins and their direct entries for compiled code.
#pragma once

#include <vector>

class CInstance;

// The active instances that a target names: -1 self, -2 other, -3 all, an
// object index (derived objects included), an instance id.
void Instance_CollectTargets(int target, CInstance* self, CInstance* other, std::vector<CInstance*>& out);

// Direct entries (already-converted arguments); they behave as the built-ins.
void Instance_DestroyDirect(CInstance* self, CInstance* other, int target, bool performDestroyEvent);
void Instance_DestroySelfDirect(CInstance* self);
bool Instance_ExistsDirect(CInstance* self, CInstance* other, int target);
double Instance_NumberDirect(CInstance* self, CInstance* other, int target);

void Instance_RegisterBuiltinFunctions();
