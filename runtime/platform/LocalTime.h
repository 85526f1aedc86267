// SPDX-License-Identifier: Zlib
// The wall clock in the user's time zone, for the date built-ins. The
// calendar arithmetic on such a time lives above (library/DateTime); only
// asking the operating system for the time and the zone happens here.
#pragma once

struct PlatformLocalTime {
  int year = 1970;
  int month = 1;   // 1-12
  int day = 1;     // 1-31
  int hour = 0;    // 0-23
  int minute = 0;  // 0-59
  int second = 0;  // 0-60 (60 only in a leap second)
};

// Now, to the second, in the local time zone (TZ, else /etc/localtime).
// False when the clock or the zone cannot be read; *now is then left as it was.
bool Platform_LocalTime(PlatformLocalTime* now);
