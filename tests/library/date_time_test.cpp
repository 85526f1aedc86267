// SPDX-License-Identifier: Zlib
// The date built-ins: the calendar arithmetic on known dates (leap days,
// rounding to the second, values before day 0) and the local clock against
// the C library's own idea of the local time.
#include <cmath>
#include <ctime>
#include <limits>
#include <utility>
#include <vector>

#include "LibraryTestSupport.h"
#include "library/DateTime.h"

namespace {

struct KnownDate {
  double value;
  int year, month, day, hour, minute, second;
  bool exact;  // the parts give the value back exactly
};

constexpr double kSecond = 1.0 / 86400;

// Day numbers checked against an independent calendar implementation.
const KnownDate kKnownDates[] = {
    {0, 1899, 12, 30, 0, 0, 0, true},
    {2, 1900, 1, 1, 0, 0, 0, true},
    {60, 1900, 2, 28, 0, 0, 0, true},
    {61, 1900, 3, 1, 0, 0, 0, true},  // 1900 has no leap day
    {25569.75, 1970, 1, 1, 18, 0, 0, true},
    {36585, 2000, 2, 29, 0, 0, 0, true},  // 2000 does
    {36586, 2000, 3, 1, 0, 0, 0, true},
    {73110, 2100, 3, 1, 0, 0, 0, true},
    {45351.5, 2024, 2, 29, 12, 0, 0, true},
    {46362.5, 2026, 12, 6, 12, 0, 0, true},
    {46362 + 45296.0 / 86400, 2026, 12, 6, 12, 34, 56, true},
    {-0.25, 1899, 12, 29, 18, 0, 0, true},  // days count down, the time of day still up
    {-109512, 1600, 2, 29, 0, 0, 0, true},
    {-693593, 1, 1, 1, 0, 0, 0, true},
    // Rounded to the nearest second, carrying into the next minute and day.
    {46362.5 - 0.4 * kSecond, 2026, 12, 6, 12, 0, 0, false},
    {46362.5 - 0.6 * kSecond, 2026, 12, 6, 11, 59, 59, false},
    {46362.5 - 1e-12, 2026, 12, 6, 12, 0, 0, false},
    {46363 - 0.3 * kSecond, 2026, 12, 7, 0, 0, 0, false},
    // Beyond the range and not numbers: day 0.
    {1e12, 1899, 12, 30, 0, 0, 0, false},
    {std::numeric_limits<double>::quiet_NaN(), 1899, 12, 30, 0, 0, 0, false},
    {-std::numeric_limits<double>::infinity(), 1899, 12, 30, 0, 0, 0, false},
};

class DateTimeTest : public ::testing::Test {
 protected:
  void SetUp() override { Library_EnsureRegistered(); }
};

TEST_F(DateTimeTest, KnownDatesSplitIntoTheirPartsAndBack) {
  for (const KnownDate& d : kKnownDates) {
    SCOPED_TRACE(testing::Message() << "value " << d.value);
    const DateTimeParts p = DateTime_Parts(d.value);
    const int got[] = {p.year, p.month, p.day, p.hour, p.minute, p.second};
    const int want[] = {d.year, d.month, d.day, d.hour, d.minute, d.second};
    EXPECT_EQ(std::vector<int>(got, got + 6), std::vector<int>(want, want + 6));
    if (d.exact) {
      EXPECT_EQ(DateTime_FromParts(p), d.value);
    }
  }
}

TEST_F(DateTimeTest, BuiltinsReadEachPartOfAValue) {
  const double value = 46362 + (13 * 3600 + 2 * 60 + 3) * kSecond;  // 2026-12-06 13:02:03
  const std::pair<const char*, double> parts[] = {{"date_get_year", 2026}, {"date_get_month", 12},
                                                  {"date_get_day", 6},     {"date_get_hour", 13},
                                                  {"date_get_minute", 2},  {"date_get_second", 3}};
  for (const auto& [name, expected] : parts) EXPECT_EQ(Call(name, {value}).Real(), expected) << name;
}

TEST_F(DateTimeTest, PartsOutOfRangeCarryOver) {
  const struct {
    DateTimeParts parts;
    double value;
  } cases[] = {
      {{2026, 13, 1, 0, 0, 0}, 46388},        // month 13: January 2027
      {{2027, 0, 1, 0, 0, 0}, 46357},         // month 0: December 2026
      {{2026, 12, 6, 24, 0, 0}, 46363},       // hour 24: the next day
      {{2026, 3, 0, 0, 0, 0}, 46081},         // day 0: the last of February
      {{2026, 12, 6, 0, 0, -1}, 46362 - kSecond},
  };
  for (const auto& c : cases) EXPECT_DOUBLE_EQ(DateTime_FromParts(c.parts), c.value) << c.value;
}

TEST_F(DateTimeTest, CurrentDatetimeIsTheLocalTimeNow) {
  // The local wall-clock time, counted as if it were UTC, is the value's
  // seconds since 1970-01-01 (day 25569).
  std::time_t now = std::time(nullptr);
  std::tm local{};
  ASSERT_NE(localtime_r(&now, &local), nullptr);
  const double expected = static_cast<double>(timegm(&local)) / 86400 + 25569;
  const double got = Call("date_current_datetime").Real();
  EXPECT_LE(std::fabs(got - expected) * 86400, 3.0) << got << " vs " << expected;
}

}  // namespace
