// SPDX-License-Identifier: Zlib
#include "run/Builtins.h"

#include "code/Builtins.h"
#include "collision/Collision.h"
#include "graphics/Graphics.h"
#include "io/Input.h"
#include "library/Library.h"
#include "object/Instance.h"
#include "object/InstanceFunctions.h"
#include "run/SheetBuiltins.h"
#include "sound/Audio.h"

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
  SheetBuiltins_Register();
}
