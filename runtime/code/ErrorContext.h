// SPDX-License-Identifier: Zlib
// The parts of an error report that the compiled-code layer knows: the event
// that was running and its object, the line of the running function with its
// source text, the chain of compiled functions, and the dialog.
#pragma once

#include <string>

#include "base/Error.h"

// Puts these parts into every report from now on, and names the running
// built-in in the argument readers' messages (Code_Load and Code_Reset call
// it, so every runtime that runs compiled code has them).
void Error_InstallContext();

// Builds the call-stack text: a line of 92 '-' then "called from - ..." lines
// from the newest frame to the oldest.
std::string Error_CallStackText();

// Lets compiled code supply the text of a source line for the report's
// " at %s (line %d) - %s" line; without it the report says "at <function>".
using SourceLineProvider = const char* (*)(const char* function, int line);
void Error_SetSourceLineProvider(SourceLineProvider provider);
