// Time for the frame loop: a microsecond clock from the high-resolution
// counter and a sleeping wait for the sleeping part of the frame wait.
#pragma once

#include <cstdint>

int64_t Platform_MicroTime();
// Sleeps about `milliseconds` (whole milliseconds; 0 returns at once).
void Platform_SleepMilliseconds(int64_t milliseconds);
// Sleeps until the clock reads `microTime` (returns at once when it has passed).
void Platform_SleepUntil(int64_t microTime);
