// SPDX-License-Identifier: Zlib
// Calling a registered built-in by name from a test.
#pragma once

#include <vector>

#include "code/CompiledCode.h"
#include "object/Instance.h"
#include "value/DynValue.h"

// The built-in of that name. Fails the test and gives null when none is
// registered, or when `argc` (unless -1) differs from a built-in's fixed
// argument count.
const BuiltinFunction* FindBuiltin(const char* name, int argc = -1);

// Calls the built-in as compiled code does, through Function_CallById: the
// result is freed first, the argument readers know the running built-in's
// name. Any number of arguments may be passed (a built-in's own checks are
// then what is tested). Leaves *result undefined when no built-in has the name.
void CallBuiltin(const char* name, DynValue* result, const std::vector<DynValue*>& args, CInstance* self = nullptr,
                 CInstance* other = nullptr);
