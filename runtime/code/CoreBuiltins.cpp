// SPDX-License-Identifier: Zlib
#include "code/Builtins.h"
#include "code/CompiledCode.h"
#include "value/ArgReaders.h"

namespace {

void MathSetEpsilon(DynValue& result, CInstance*, CInstance*, int, DynValue* args) {
  math_set_epsilon(ZuGetReal(args, 0));
  DynValue_SetReal(&result, 0);
}

void MathGetEpsilon(DynValue& result, CInstance*, CInstance*, int, DynValue*) { DynValue_SetReal(&result, math_epsilon); }

}  // namespace

void Core_RegisterBuiltins() {
  Function_Add("math_set_epsilon", MathSetEpsilon, 1, true);
  Function_Add("math_get_epsilon", MathGetEpsilon, 0, true);
}
