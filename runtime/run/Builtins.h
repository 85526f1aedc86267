// SPDX-License-Identifier: Zlib
// Registration of every built-in variable and function at start-up, in one
// fixed order so that ids are the same on every run. The runner assembles the
// runtime here: each subsystem only registers its own.
#pragma once

void Builtins_RegisterAll();
