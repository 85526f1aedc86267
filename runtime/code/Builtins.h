// SPDX-License-Identifier: Zlib
// The compiled-code layer's own built-ins (math_set_epsilon and
// math_get_epsilon). Every subsystem registers its own; the runner registers
// them all in one order (run/Builtins.h).
#pragma once

void Core_RegisterBuiltins();
