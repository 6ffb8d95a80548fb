#include <gtest/gtest.h>

#include "engine/clock.h"

namespace brindlemar {
namespace {

TEST(CalendarTime, SplitsMillisecondsIntoCalendarFields) {
  struct Case {
    int64_t ms;
    LocalTime expect;
  };
  const Case cases[] = {
      {0, {1970, 1, 1, 0, 0, 0, 0}},
      {951782400000 + 86399999, {2000, 2, 29, 23, 59, 59, 999}},  // a leap day's last millisecond
      {1796900395000, {2026, 12, 10, 10, 59, 55, 0}},
      {-1, {1969, 12, 31, 23, 59, 59, 999}},
  };
  for (const Case& c : cases) {
    const LocalTime t = CalendarTime(c.ms);
    EXPECT_EQ(t.year, c.expect.year) << c.ms;
    EXPECT_EQ(t.month, c.expect.month) << c.ms;
    EXPECT_EQ(t.day, c.expect.day) << c.ms;
    EXPECT_EQ(t.hour, c.expect.hour) << c.ms;
    EXPECT_EQ(t.minute, c.expect.minute) << c.ms;
    EXPECT_EQ(t.second, c.expect.second) << c.ms;
    EXPECT_EQ(t.millisecond, c.expect.millisecond) << c.ms;
  }
}

TEST(CalendarTime, ManualClockKeepsSecondsAndFieldsTogether) {
  ManualClock clock;
  clock.SetCalendar(-1);
  EXPECT_EQ(clock.calendarSeconds, -1);
  clock.SetCalendar(1500);
  EXPECT_EQ(clock.calendarSeconds, 1);
  EXPECT_EQ(clock.Local().millisecond, 500);
}

}  // namespace
}  // namespace brindlemar
