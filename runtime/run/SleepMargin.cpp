#include "run/SleepMargin.h"

#include <cctype>
#include <cstdlib>
#include <sstream>

int SleepMargin_Choose(const SleepMarginSources& sources) {
  for (const SleepMarginSetting* setting : {&sources.commandLine, &sources.optionsIni, &sources.gameData})
    if (setting->set) return setting->milliseconds;
  return DEFAULT_SLEEP_MARGIN_MS;
}

SleepMarginSetting SleepMargin_FromOptionsIni(const std::string& text) {
  SleepMarginSetting setting;
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    size_t eq = line.find('=');
    if (eq == std::string::npos || line[0] == ';' || line[0] == '[') continue;
    std::string key = line.substr(0, eq);
    while (!key.empty() && std::isspace(static_cast<unsigned char>(key.back()))) key.pop_back();
    if (key != "SleepMargin") continue;
    int margin = std::atoi(line.c_str() + eq + 1);
    setting.set = true;
    setting.milliseconds = margin < 0 ? 0 : margin;
  }
  return setting;
}
