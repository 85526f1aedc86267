// SPDX-License-Identifier: Zlib
// Taking the compiled side's descriptor and resolving its names to ids.
#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "code/CodeState.h"
#include "code/CompiledCode.h"
#include "code/ErrorContext.h"
#include "object/Instance.h"

CallFrame* g_CallFrameHead = nullptr;
bool g_NoInstanceFlag = false;

CodeState& Code_State() {
  static CodeState state;
  return state;
}

CallFrame** Code_FrameHeadCell() {
  CodeState& s = Code_State();
  return (s.loaded && s.info.frameHead) ? s.info.frameHead : &g_CallFrameHead;
}

void Code_Load(const CompiledCodeInfo& info) {
  Error_InstallContext();
  CodeState& s = Code_State();
  s.info = info;
  s.loaded = true;
  s.userVariableNames.clear();

  // A count of 0 keeps the count that the names themselves give: the records
  // whose id is preset to a slot (the user variables).
  int presetUserCount = 0;
  if (info.variableTable)
    for (CompiledVariableRef** r = info.variableTable; *r; ++r)
      if ((*r)->id >= 0) ++presetUserCount;
  int instanceCount = info.instanceVariableCount > 0 ? info.instanceVariableCount : presetUserCount;
  int globalCount = info.globalVariableCount > 0 ? info.globalVariableCount : presetUserCount;

  if (info.variableTable) {
    int index = 0;
    for (CompiledVariableRef** r = info.variableTable; *r; ++r, ++index) {
      if (index < std::max(instanceCount, globalCount)) s.userVariableNames.push_back((*r)->name);
      if ((*r)->id == -1) (*r)->id = Variable_FindBuiltin((*r)->name);
    }
  }
  Global_Create(std::max(instanceCount, globalCount));
}

void Code_ResolveNames() {
  CodeState& s = Code_State();
  if (!s.loaded) return;
  if (s.info.variableTable)
    for (CompiledVariableRef** r = s.info.variableTable; *r; ++r) (*r)->id = Variable_Find((*r)->name);
  if (s.info.functionIdTable)
    for (CompiledFunctionRef** r = s.info.functionIdTable; *r; ++r) (*r)->id = Function_Find((*r)->name);
}

void Code_Reset() {
  Error_InstallContext();
  CodeState& s = Code_State();
  s.info = CompiledCodeInfo{};
  s.loaded = false;
  s.userVariableNames.clear();
  s.scripts.clear();
}

int Variable_Find(const char* name) {
  if (!name || !*name) return -1;
  int builtin = Variable_FindBuiltin(name);
  if (builtin >= 0) return builtin;
  const auto& names = Code_State().userVariableNames;
  for (size_t i = 0; i < names.size(); ++i)
    if (names[i] && std::strcmp(names[i], name) == 0) return USER_ID_BASE + static_cast<int>(i);
  return -1;
}

CompiledAnyFn Code_Function(int codeIndex) {
  CodeState& s = Code_State();
  if (!s.loaded || !s.info.functionTable || codeIndex < 0 || codeIndex >= s.info.functionCount) return nullptr;
  return s.info.functionTable[codeIndex].function;
}

const char* Code_FunctionName(int codeIndex) {
  CodeState& s = Code_State();
  if (!s.loaded || !s.info.functionTable || codeIndex < 0 || codeIndex >= s.info.functionCount) return nullptr;
  return s.info.functionTable[codeIndex].name;
}

int Code_FunctionCount() { return Code_State().loaded ? Code_State().info.functionCount : 0; }

void Script_Register(int scriptIndex, const char* name, int codeIndex) {
  if (scriptIndex < 0) return;
  auto& scripts = Code_State().scripts;
  if (static_cast<size_t>(scriptIndex) >= scripts.size()) scripts.resize(scriptIndex + 1, ScriptRecord{nullptr, -1});
  scripts[scriptIndex] = ScriptRecord{name, codeIndex};
}

void Script_Clear() { Code_State().scripts.clear(); }

int Script_Count() { return static_cast<int>(Code_State().scripts.size()); }

const char* Script_Name(int scriptIndex) {
  const auto& scripts = Code_State().scripts;
  return (scriptIndex >= 0 && static_cast<size_t>(scriptIndex) < scripts.size()) ? scripts[scriptIndex].name : nullptr;
}

int Function_Find(const char* name) {
  if (!name || !*name) return -1;
  const auto& scripts = Code_State().scripts;
  for (size_t i = 0; i < scripts.size(); ++i)
    if (scripts[i].name && std::strcmp(scripts[i].name, name) == 0) return USER_ID_BASE + static_cast<int>(i);
  // No extension functions exist in this runtime (ids 500000 and up stay unused).
  return Function_FindBuiltin(name);
}

int Runtime_AtExit(void (*function)()) { return std::atexit(function) == 0 ? 0 : -1; }
