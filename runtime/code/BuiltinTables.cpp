// SPDX-License-Identifier: Zlib
// The built-in variable table (fixed, ids never move) and the built-in
// function table (grows by a block of records when full).
#include <cstring>

#include "base/Memory.h"
#include "code/CodeState.h"
#include "code/CompiledCode.h"

namespace {

struct BuiltinTables {
  BuiltinVariable variables[BUILTIN_VARIABLE_MAX];
  int variableCount = 0;
  BuiltinFunction* functions = nullptr;
  int functionCount = 0;
  int functionCapacity = 0;
};

BuiltinTables& Tables() {
  static BuiltinTables tables;
  return tables;
}

}  // namespace

int Variable_Register(const char* name, BuiltinGetter getter, BuiltinSetter setter) {
  BuiltinTables& t = Tables();
  if (t.variableCount >= BUILTIN_VARIABLE_MAX || !name) return -1;
  for (int i = 0; i < t.variableCount; ++i)
    if (std::strcmp(t.variables[i].name, name) == 0) return i;  // registered once per process
  BuiltinVariable& v = t.variables[t.variableCount];
  v.name = name;
  v.getter = getter;
  v.setter = setter;
  v.canSet = setter != nullptr;
  return t.variableCount++;
}

int Variable_BuiltinCount() { return Tables().variableCount; }

const BuiltinVariable* Variable_Builtin(int id) {
  BuiltinTables& t = Tables();
  return (id >= 0 && id < t.variableCount) ? &t.variables[id] : nullptr;
}

int Variable_FindBuiltin(const char* name) {
  if (!name) return -1;
  BuiltinTables& t = Tables();
  for (int i = 0; i < t.variableCount; ++i)
    if (std::strcmp(t.variables[i].name, name) == 0) return i;
  return -1;
}

int Function_Add(const char* name, BuiltinRoutine routine, int argumentCount, bool flag) {
  BuiltinTables& t = Tables();
  if (!name || !*name || std::strlen(name) >= sizeof(BuiltinFunction::name)) return -1;
  for (int i = 0; i < t.functionCount; ++i) {
    if (std::strcmp(t.functions[i].name, name) == 0) {
      // A second registration of a name replaces the routine; ids stay.
      t.functions[i].routine = routine;
      t.functions[i].argumentCount = argumentCount;
      t.functions[i].flag = flag ? 1 : 0;
      return i;
    }
  }
  if (t.functionCount == t.functionCapacity) {
    int capacity = t.functionCapacity + BUILTIN_FUNCTION_GROWTH;
    t.functions = static_cast<BuiltinFunction*>(MM_REALLOC(t.functions, sizeof(BuiltinFunction) * capacity));
    t.functionCapacity = capacity;
  }
  BuiltinFunction& f = t.functions[t.functionCount];
  std::memset(&f, 0, sizeof f);
  std::memcpy(f.name, name, std::strlen(name) + 1);
  f.routine = routine;
  f.argumentCount = argumentCount;
  f.flag = flag ? 1 : 0;
  f.reserved = -1;
  return t.functionCount++;
}

int Function_BuiltinCount() { return Tables().functionCount; }

const BuiltinFunction* Function_Builtin(int id) {
  BuiltinTables& t = Tables();
  return (id >= 0 && id < t.functionCount) ? &t.functions[id] : nullptr;
}

int Function_FindBuiltin(const char* name) {
  BuiltinTables& t = Tables();
  for (int i = 0; i < t.functionCount; ++i)
    if (std::strcmp(t.functions[i].name, name) == 0) return i;
  return -1;
}
