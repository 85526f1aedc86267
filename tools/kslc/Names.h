// Names that the language knows without the manifest: the runtime's built-in
// variables (reached through Variable_GetValue/SetValue by id) and the
// built-in constants, which the compiler folds into numbers.
#pragma once

#include <string>

namespace kslc {

// True when `name` is one of the runtime's built-in variables.
bool Names_IsBuiltinVariable(const std::string& name);

// True when `name` is a built-in constant; sets *value.
bool Names_Constant(const std::string& name, double* value);

}  // namespace kslc
