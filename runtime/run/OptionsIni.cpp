#include "run/OptionsIni.h"

#include <cctype>
#include <sstream>

bool OptionsIni_Find(const std::string& text, const char* key, std::string* value) {
  bool found = false;
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    size_t eq = line.find('=');
    if (eq == std::string::npos || line[0] == ';' || line[0] == '[') continue;
    std::string name = line.substr(0, eq);
    while (!name.empty() && std::isspace(static_cast<unsigned char>(name.back()))) name.pop_back();
    if (name != key) continue;
    *value = line.substr(eq + 1);
    found = true;
  }
  return found;
}
