// SPDX-License-Identifier: Zlib
// Time for the frame loop: a microsecond clock from the high-resolution
// counter, a coarse sleeping wait for the long part of the frame wait and a
// precise one for its end.
#pragma once

#include <cstdint>

int64_t Platform_MicroTime();
// Sleeps about `milliseconds` (whole milliseconds; 0 returns at once).
void Platform_SleepMilliseconds(int64_t milliseconds);
// Sleeps until the clock reads `microTime` (returns at once when it has passed).
void Platform_SleepUntil(int64_t microTime);
// As Platform_SleepUntil, but the wake-up is as close to `microTime` as the
// scheduler allows: the calling thread's timer slack (the lateness the kernel
// may add to a sleep to batch wake-ups, 50 us by default) becomes 1 ns. For
// short sleeps whose end matters, such as the last milliseconds of a frame wait.
void Platform_SleepUntilPrecise(int64_t microTime);
