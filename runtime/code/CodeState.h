// SPDX-License-Identifier: Zlib
// State shared by the files of the compiled-code interface.
#pragma once

#include <vector>

#include "code/CompiledCode.h"

struct ScriptRecord {
  const char* name;
  int codeIndex;
};

struct CodeState {
  CompiledCodeInfo info{};
  bool loaded = false;
  std::vector<const char*> userVariableNames;  // index = slot
  std::vector<ScriptRecord> scripts;            // by script index
  const BuiltinFunction* currentFunction = nullptr;
};
CodeState& Code_State();

int Variable_FindBuiltin(const char* name);
int Function_FindBuiltin(const char* name);
