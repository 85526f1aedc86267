// SPDX-License-Identifier: Zlib
// Local date and time built-ins: date_current_datetime and date_get_year,
// _month, _day, _hour, _minute, _second.
//
// A date-time is a real: whole days since 1899-12-30 00:00, plus the time of
// day as a fraction of a day (2026-12-06 12:00 is 46362.5). The calendar is
// the Gregorian one carried back before its introduction (every fourth year a
// leap year, except centuries not divisible by 400), with no time zone: the
// value means the local time it was made from. Reading the local clock is the
// platform's (Platform_LocalTime); everything here is arithmetic.
#pragma once

#include <cstdint>

// A value's parts are computed for values within this many days of day 0
// (about 270,000 years either way), so that seconds and years stay far inside
// the integer types; other values (and NaN, infinity) read as day 0.
constexpr double DATETIME_MAX_DAYS = 1e8;

struct DateTimeParts {
  int year = 1899;
  int month = 12;  // 1-12
  int day = 30;    // 1-31
  int hour = 0;
  int minute = 0;
  int second = 0;
};

// The value of a date and time. Parts out of their ranges carry over
// (month 13 is January of the next year, second 60 the next minute).
double DateTime_FromParts(const DateTimeParts& parts);
// The parts of a value, rounded to the nearest second first so that a value
// a hair below 12:00 (as sums of fractions give) reads as 12:00:00.
DateTimeParts DateTime_Parts(double value);
// The local date and time now, to the second; 0 when the clock cannot be read.
double DateTime_Now();

void DateTime_RegisterBuiltins();
