// SPDX-License-Identifier: Zlib
#include "platform/LocalTime.h"

#include <ctime>

bool Platform_LocalTime(PlatformLocalTime* now) {
  std::time_t seconds = std::time(nullptr);
  std::tm local{};
  if (seconds == static_cast<std::time_t>(-1) || !localtime_r(&seconds, &local)) return false;
  now->year = local.tm_year + 1900;
  now->month = local.tm_mon + 1;
  now->day = local.tm_mday;
  now->hour = local.tm_hour;
  now->minute = local.tm_min;
  now->second = local.tm_sec;
  return true;
}
