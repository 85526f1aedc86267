// SPDX-License-Identifier: Zlib
#include "library/DateTime.h"

#include <cmath>

#include "code/CompiledCode.h"
#include "platform/LocalTime.h"
#include "value/ArgReaders.h"

namespace {

constexpr int64_t kSecondsPerDay = 86400;
// Day 0 of the values (1899-12-30) counted from 0000-03-01, the start of the
// calendar's 400-year cycle below (the leap day falls at the end of such a year).
constexpr int64_t kDayZeroFromMarch0000 = 693899;
// Days in a 400-year cycle: 400 * 365 + 97 leap days.
constexpr int64_t kDaysPer400Years = 146097;

int64_t FloorDiv(int64_t a, int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }

// Days from 1899-12-30 to the date. Years are counted from March, so that
// February (and its leap day) ends the year and the day of the year needs no
// leap-year test: March to January have the month lengths 31 30 31 30 31 31
// 30 31 30 31 31, which (153 * m + 2) / 5 sums exactly.
int64_t DaysFromDate(int64_t year, int64_t month, int64_t day) {
  // Months out of range carry into the year first.
  const int64_t yearsCarried = FloorDiv(month - 1, 12);
  year += yearsCarried;
  month -= 12 * yearsCarried;
  if (month <= 2) --year;
  const int64_t cycle = FloorDiv(year, 400);
  const int64_t yearOfCycle = year - cycle * 400;                 // 0-399
  const int64_t marchMonth = month > 2 ? month - 3 : month + 9;   // 0 = March
  const int64_t dayOfYear = (153 * marchMonth + 2) / 5 + day - 1;
  const int64_t dayOfCycle = yearOfCycle * 365 + yearOfCycle / 4 - yearOfCycle / 100 + dayOfYear;
  return cycle * kDaysPer400Years + dayOfCycle - kDayZeroFromMarch0000;
}

// The inverse of DaysFromDate.
void DateFromDays(int64_t days, DateTimeParts* parts) {
  const int64_t fromMarch0000 = days + kDayZeroFromMarch0000;
  const int64_t cycle = FloorDiv(fromMarch0000, kDaysPer400Years);
  const int64_t dayOfCycle = fromMarch0000 - cycle * kDaysPer400Years;  // 0-146096
  // The year of the cycle, leap days taken out (the last day of the cycle is
  // the 97th leap day, hence the final correction).
  const int64_t yearOfCycle =
      (dayOfCycle - dayOfCycle / 1460 + dayOfCycle / 36524 - dayOfCycle / (kDaysPer400Years - 1)) / 365;
  const int64_t dayOfYear = dayOfCycle - (365 * yearOfCycle + yearOfCycle / 4 - yearOfCycle / 100);
  const int64_t marchMonth = (5 * dayOfYear + 2) / 153;
  const int64_t month = marchMonth < 10 ? marchMonth + 3 : marchMonth - 9;
  parts->year = static_cast<int>(cycle * 400 + yearOfCycle + (month <= 2 ? 1 : 0));
  parts->month = static_cast<int>(month);
  parts->day = static_cast<int>(dayOfYear - (153 * marchMonth + 2) / 5 + 1);
}

DateTimeParts PartsOf(const DynValue* args) { return DateTime_Parts(ZuGetReal(args, 0)); }

void F_DateCurrentDatetime(DynValue& result, CInstance*, CInstance*, int, DynValue*) {
  DynValue_SetReal(&result, DateTime_Now());
}
void F_DateGetYear(DynValue& result, CInstance*, CInstance*, int, DynValue* args) {
  DynValue_SetReal(&result, PartsOf(args).year);
}
void F_DateGetMonth(DynValue& result, CInstance*, CInstance*, int, DynValue* args) {
  DynValue_SetReal(&result, PartsOf(args).month);
}
void F_DateGetDay(DynValue& result, CInstance*, CInstance*, int, DynValue* args) {
  DynValue_SetReal(&result, PartsOf(args).day);
}
void F_DateGetHour(DynValue& result, CInstance*, CInstance*, int, DynValue* args) {
  DynValue_SetReal(&result, PartsOf(args).hour);
}
void F_DateGetMinute(DynValue& result, CInstance*, CInstance*, int, DynValue* args) {
  DynValue_SetReal(&result, PartsOf(args).minute);
}
void F_DateGetSecond(DynValue& result, CInstance*, CInstance*, int, DynValue* args) {
  DynValue_SetReal(&result, PartsOf(args).second);
}

}  // namespace

double DateTime_FromParts(const DateTimeParts& p) {
  const int64_t seconds = int64_t{p.hour} * 3600 + int64_t{p.minute} * 60 + p.second;
  const int64_t days = DaysFromDate(p.year, p.month, p.day) + FloorDiv(seconds, kSecondsPerDay);
  const int64_t secondOfDay = seconds - FloorDiv(seconds, kSecondsPerDay) * kSecondsPerDay;
  return static_cast<double>(days) + static_cast<double>(secondOfDay) / kSecondsPerDay;
}

DateTimeParts DateTime_Parts(double value) {
  if (!(std::fabs(value) <= DATETIME_MAX_DAYS)) value = 0;  // NaN fails the test too
  const int64_t seconds = std::llround(value * kSecondsPerDay);
  const int64_t days = FloorDiv(seconds, kSecondsPerDay);
  const int64_t secondOfDay = seconds - days * kSecondsPerDay;
  DateTimeParts parts;
  DateFromDays(days, &parts);
  parts.hour = static_cast<int>(secondOfDay / 3600);
  parts.minute = static_cast<int>(secondOfDay / 60 % 60);
  parts.second = static_cast<int>(secondOfDay % 60);
  return parts;
}

double DateTime_Now() {
  PlatformLocalTime now;
  if (!Platform_LocalTime(&now)) return 0;
  return DateTime_FromParts({now.year, now.month, now.day, now.hour, now.minute, now.second});
}

void DateTime_RegisterBuiltins() {
  Function_Add("date_current_datetime", F_DateCurrentDatetime, 0, true);
  Function_Add("date_get_year", F_DateGetYear, 1, true);
  Function_Add("date_get_month", F_DateGetMonth, 1, true);
  Function_Add("date_get_day", F_DateGetDay, 1, true);
  Function_Add("date_get_hour", F_DateGetHour, 1, true);
  Function_Add("date_get_minute", F_DateGetMinute, 1, true);
  Function_Add("date_get_second", F_DateGetSecond, 1, true);
}
