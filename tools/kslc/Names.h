// SPDX-License-Identifier: Zlib
// Names that the language knows without the manifest: the runtime's built-in
// variables (reached through Variable_GetValue/SetValue by id), its built-in
// functions (called by id, a few of them directly), and the built-in
// constants, which the compiler folds into numbers.
#pragma once

#include <string>
#include <vector>

namespace kslc {

// True when `name` is one of the runtime's built-in variables.
bool Names_IsBuiltinVariable(const std::string& name);

// A built-in function that the runtime registers, with the number of
// arguments it reads (-1: any number). A call must pass exactly that many:
// the runtime does not compare counts, and a routine that reads an argument
// that was never passed reads a cell that holds nothing.
struct BuiltinFunctionName {
  const char* name;
  int arguments;
};
// True when the runtime registers `name`; sets *arguments.
bool Names_BuiltinFunction(const std::string& name, int* arguments);
// Every built-in function the runtime registers, in registration order by family.
const std::vector<BuiltinFunctionName>& Names_BuiltinFunctions();

// True when `name` is a built-in constant; sets *value.
bool Names_Constant(const std::string& name, double* value);

}  // namespace kslc
