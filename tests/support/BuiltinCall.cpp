// SPDX-License-Identifier: Zlib
#include "BuiltinCall.h"

#include <gtest/gtest.h>

#include "code/CompiledCode.h"

const BuiltinFunction* FindBuiltin(const char* name, int argc) {
  int id = Function_Find(name);
  const BuiltinFunction* function = id >= 0 ? Function_Builtin(id) : nullptr;
  if (!function) {
    ADD_FAILURE() << name << " is not registered";
    return nullptr;
  }
  if (argc >= 0 && function->argumentCount >= 0 && function->argumentCount != argc) {
    ADD_FAILURE() << name << " takes " << function->argumentCount << " arguments, not " << argc;
    return nullptr;
  }
  return function;
}

void CallBuiltin(const char* name, DynValue* result, const std::vector<DynValue*>& args, CInstance* self,
                 CInstance* other) {
  DynValue_Free(result);
  if (!FindBuiltin(name)) return;
  std::vector<DynValue*> pointers = args;
  Function_CallById(self, other, result, static_cast<int>(pointers.size()), Function_Find(name), pointers.data());
}
