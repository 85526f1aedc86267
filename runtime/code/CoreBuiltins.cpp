#include "code/Builtins.h"
#include "code/CompiledCode.h"
#include "collision/Collision.h"
#include "graphics/Graphics.h"
#include "io/Input.h"
#include "library/Library.h"
#include "sound/Audio.h"
#include "object/Instance.h"
#include "object/InstanceFunctions.h"
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

void Builtins_RegisterAll() {
  static bool registered = false;
  if (registered) return;
  registered = true;
  // Variables first (their ids are indices of a fixed table), then functions
  // by family.
  Instance_RegisterBuiltinVariables();
  Input_RegisterBuiltinVariables();
  Collision_RegisterBuiltinVariables();
  Core_RegisterBuiltins();
  Instance_RegisterBuiltinFunctions();
  Collision_RegisterBuiltins();
  Input_RegisterBuiltins();
  Library_RegisterBuiltins();
  Graphics_RegisterBuiltins();
  Audio_RegisterBuiltins();
}
