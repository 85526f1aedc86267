// SPDX-License-Identifier: Zlib
// The sleep margin: the milliseconds at the end of each frame wait that are
// waited precisely (short precise sleeps with window messages drained between
// them, the last moments busy-waited) instead of slept coarsely. Three places may set it, the first that does
// wins: the command line (-sleepmargin), "options.ini" (SleepMargin=) and the
// game data (@@SleepMargin); otherwise it is DEFAULT_SLEEP_MARGIN_MS.
#pragma once

#include <string>

constexpr int DEFAULT_SLEEP_MARGIN_MS = 10;

struct SleepMarginSetting {
  bool set = false;
  int milliseconds = DEFAULT_SLEEP_MARGIN_MS;
};

struct SleepMarginSources {
  SleepMarginSetting commandLine, optionsIni, gameData;
};

int SleepMargin_Choose(const SleepMarginSources& sources);

// The SleepMargin line of an options.ini text ("key=value" lines in any
// section; lines starting with ';' or '[' are skipped; a negative value is
// stored as 0). Not set when the text has no such line.
SleepMarginSetting SleepMargin_FromOptionsIni(const std::string& text);
