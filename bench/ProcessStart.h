// SPDX-License-Identifier: Zlib
// When this process started, on the monotonic clock: /proc/self/stat gives
// the start in clock ticks since boot (so the resolution is one tick).
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

inline int64_t MonotonicMicros() {
  timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return t.tv_sec * 1000000LL + t.tv_nsec / 1000;
}

inline int64_t ProcessStartMicros() {
  std::FILE* f = std::fopen("/proc/self/stat", "r");
  if (!f) return 0;
  char buffer[1024];
  size_t n = std::fread(buffer, 1, sizeof buffer - 1, f);
  std::fclose(f);
  buffer[n] = '\0';
  char* p = std::strrchr(buffer, ')');  // the command name may hold spaces
  if (!p) return 0;
  long long ticks = 0;
  int field = 2;
  for (char* token = std::strtok(p + 1, " "); token; token = std::strtok(nullptr, " "))
    if (++field == 22) {
      ticks = std::atoll(token);
      break;
    }
  timespec boot;
  clock_gettime(CLOCK_BOOTTIME, &boot);
  int64_t bootNow = boot.tv_sec * 1000000LL + boot.tv_nsec / 1000;
  return MonotonicMicros() - (bootNow - ticks * 1000000 / sysconf(_SC_CLK_TCK));
}
