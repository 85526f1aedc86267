// The "options.ini" beside the game data: "key=value" lines in any section;
// lines starting with ';' or '[' are skipped, spaces before the '=' do not
// count, and a key given twice takes its last value.
#pragma once

#include <string>

// The value of `key` (the text after its '='), or false when no line sets it.
bool OptionsIni_Find(const std::string& text, const char* key, std::string* value);
