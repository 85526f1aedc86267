// SPDX-License-Identifier: Zlib
// The built-in function library of lists and maps, secure map files, strings
// and numbers, files in the save area, clipboard and message box, and the
// local date and time.
#pragma once

// Registers every built-in function and variable of the library (called once
// at start-up, before the compiled code's names are resolved).
void Library_RegisterBuiltins();
