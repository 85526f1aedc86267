// SPDX-License-Identifier: Zlib
// The "options.ini" beside the game data: "key=value" lines in any section;
// lines starting with ';' or '[' are skipped, spaces before the '=' do not
// count, and a key given twice takes its last value.
#pragma once

#include <cstdint>
#include <string>

// options.ini holds a few lines of settings; a larger file is not one.
constexpr uint64_t kOptionsIniMaxBytes = 64u << 10;

// Reads the options.ini at path into *text. False when there is none, or when
// it is refused (not a regular file, larger than kOptionsIniMaxBytes, not
// readable): then *refusal says why (it stays "" for a missing file), and the
// game starts as without one.
bool OptionsIni_Read(const std::string& path, std::string* text, std::string* refusal);

// The value of `key` (the text after its '='), or false when no line sets it.
bool OptionsIni_Find(const std::string& text, const char* key, std::string* value);
