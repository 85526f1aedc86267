// Registration of every built-in variable and function at start-up, in one
// fixed order so that ids are the same on every run.
#pragma once

void Builtins_RegisterAll();
// The core's own built-ins (math_set_epsilon).
void Core_RegisterBuiltins();
