// SPDX-License-Identifier: Zlib
#include "run/OptionsIni.h"

#include <cctype>
#include <sstream>

#include "platform/RegularFile.h"

bool OptionsIni_Read(const std::string& path, std::string* text, std::string* refusal) {
  FileProblem problem;
  refusal->clear();
  if (Platform_ReadRegularFile(path, kOptionsIniMaxBytes, text, &problem)) return true;
  text->clear();
  if (problem.refusal != FileRefusal::kMissing) *refusal = FileProblem_Text(problem);
  return false;
}

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
