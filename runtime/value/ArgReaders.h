// SPDX-License-Identifier: Zlib
// Argument readers: built-in functions receive their arguments as a contiguous
// array of cells and read argument i with one of these. A wrong kind is
// reported through Runtime_Error naming the built-in being executed.
#pragma once

#include <cstdint>

#include "value/DynValue.h"

// Where the name of the built-in being executed comes from (the compiled-code
// layer, which calls the built-ins, sets it); without one, "<unknown>".
void ArgReaders_SetCallNameSource(const char* (*source)());

bool ZuGetBool(const DynValue* args, int i);
float ZuGetFloat(const DynValue* args, int i);
int32_t ZuGetInt32(const DynValue* args, int i);
int64_t ZuGetInt64(const DynValue* args, int i);
intptr_t ZuGetPtrOrInt(const DynValue* args, int i);
double ZuGetReal(const DynValue* args, int i);
const char* ZuGetString(const DynValue* args, int i);
uint32_t ZuGetUint32(const DynValue* args, int i);
