// SPDX-License-Identifier: Zlib
// The JSON text of a map, as secure map files hold it, and the way back.
//
// Writing: entries in the map's visiting order; "{ " ... " }" with ", "
// between entries and ": " after each quoted key; "{ }" for an empty map;
// numbers printed with "%lf"; strings with '\b' '\t' '\n' '\r' '"' '\\' '/'
// escaped by a backslash and other bytes below 32 as "\u00xx"; int32 and
// int64 as decimal integers; bools as true/false; pointers as "%p" strings;
// arrays (and marked list handles) as "[ a, b ]"; marked map handles as nested
// objects; any other kind as null.
//
// Reading: the top-level object's members in text order become map entries
// added with first-entry-wins; numbers, true/false (1/0), null (undefined),
// strings; nested objects become new maps and arrays new lists, stored as
// marked handles.
#pragma once

#include <cstddef>
#include <string>

// The JSON text of a map; "{ }" when the handle holds no map. Caller holds DsMutex().
std::string MapJson_Write(int mapHandle);

// Parses text (up to its first 0 byte or the end) into a new map; returns its
// handle, or -1 when the text is not one JSON object (nothing is left behind
// then). Caller holds DsMutex().
int MapJson_Read(const char* text, size_t length);
