// SPDX-License-Identifier: Zlib
#include "run/SleepMargin.h"

#include <cstdlib>

#include "run/OptionsIni.h"

int SleepMargin_Choose(const SleepMarginSources& sources) {
  for (const SleepMarginSetting* setting : {&sources.commandLine, &sources.optionsIni, &sources.gameData})
    if (setting->set) return setting->milliseconds;
  return DEFAULT_SLEEP_MARGIN_MS;
}

SleepMarginSetting SleepMargin_FromOptionsIni(const std::string& text) {
  SleepMarginSetting setting;
  std::string value;
  if (!OptionsIni_Find(text, "SleepMargin", &value)) return setting;
  int margin = std::atoi(value.c_str());
  setting.set = true;
  setting.milliseconds = margin < 0 ? 0 : margin;
  return setting;
}
