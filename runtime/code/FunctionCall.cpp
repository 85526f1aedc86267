// SPDX-License-Identifier: Zlib
// Calling built-in functions and scripts by id.
#include <alloca.h>
#include <cstring>

#include "base/Error.h"
#include "code/CodeState.h"
#include "code/CompiledCode.h"

namespace {
// Far beyond any call the language can write; keeps the stack copy bounded.
constexpr int kMaxArguments = 1024;
}  // namespace

const BuiltinFunction* Function_Current() { return Code_State().currentFunction; }

const char* Function_CurrentName() {
  const BuiltinFunction* f = Code_State().currentFunction;
  return f ? f->name : "<unknown>";
}

void Function_CallById(CInstance* self, CInstance* other, DynValue* result, int argc, int id, DynValue** args) {
  if (argc < 0 || argc > kMaxArguments) {
    Runtime_Error("Function_CallById :: bad argument count %d for function id %d", argc, id);
    return;
  }
  DynValue_Free(result);

  if (id >= USER_ID_BASE && id < SCRIPT_EXECUTE_ID) {
    const CodeState& s = Code_State();
    size_t scriptIndex = static_cast<size_t>(id - USER_ID_BASE);
    CompiledAnyFn code = nullptr;
    if (scriptIndex < s.scripts.size()) code = Code_Function(s.scripts[scriptIndex].codeIndex);
    if (!code) {
      Runtime_ErrorNonFatal("Function_CallById :: script id %d has no compiled code", id);
      return;
    }
    reinterpret_cast<CompiledScriptFn>(code)(self, other, result, argc, args);
    return;
  }

  const BuiltinFunction* function = Function_Builtin(id);
  if (!function || !function->routine) {
    // A name in the compiled code that did not resolve at load keeps id -1:
    // the call does nothing and the result stays undefined.
    Runtime_ErrorNonFatal("Function_CallById :: no function with id %d (a function name did not resolve at load)", id);
    return;
  }

  // Bitwise copies, no references taken: the routine reads them in place.
  auto* copies = static_cast<DynValue*>(alloca(sizeof(DynValue) * (argc > 0 ? argc : 1)));
  for (int i = 0; i < argc; ++i) std::memcpy(static_cast<void*>(&copies[i]), args[i], sizeof(DynValue));

  CodeState& s = Code_State();
  const BuiltinFunction* previous = s.currentFunction;
  s.currentFunction = function;
  function->routine(*result, self, other, argc, copies);
  s.currentFunction = previous;
}
