// SPDX-License-Identifier: Zlib
// Loading the OpenAL library at run time (see ALFunctions.h).
#include "sound/openal/ALFunctions.h"

#include <dlfcn.h>

#include <mutex>

#include "base/Console.h"

#define MOB_AL_DEFINE(type, name) type mob_##name = nullptr;
MOB_AL_FUNCTIONS(MOB_AL_DEFINE)
#undef MOB_AL_DEFINE

namespace {

// The library's name with its ABI version, as the packaged runtime installs it.
constexpr const char* OPENAL_LIBRARY = "libopenal.so.1";

bool LoadAll() {
  void* library = dlopen(OPENAL_LIBRARY, RTLD_NOW | RTLD_LOCAL);
  if (!library) {
    const char* reason = dlerror();
    DebugConsole().Output("Audio: %s could not be loaded: %s\n", OPENAL_LIBRARY, reason ? reason : "unknown reason");
    return false;
  }
  bool complete = true;
  // The library stays loaded for the rest of the process.
#define MOB_AL_RESOLVE(type, name)                                                   \
  mob_##name = reinterpret_cast<type>(dlsym(library, #name));                        \
  if (!mob_##name) {                                                                 \
    DebugConsole().Output("Audio: %s has no function %s\n", OPENAL_LIBRARY, #name); \
    complete = false;                                                                \
  }
  MOB_AL_FUNCTIONS(MOB_AL_RESOLVE)
#undef MOB_AL_RESOLVE
  return complete;
}

}  // namespace

bool ALFunctions_Load() {
  static std::once_flag once;
  static bool loaded = false;
  std::call_once(once, [] { loaded = LoadAll(); });
  return loaded;
}
