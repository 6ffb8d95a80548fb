// The time seams of the engine: a millisecond tick counter that wraps at 2^32
// (every difference of two ticks is taken as unsigned 32-bit) and the local
// calendar time. The default reads the real clocks; tests inject their own.
#pragma once

#include <cstdint>

namespace brindlemar {

struct LocalTime {
  int32_t year = 1970;
  int32_t month = 1;  // 1..12
  int32_t day = 1;    // 1..31
  int32_t hour = 0;
  int32_t minute = 0;
  int32_t second = 0;
  int32_t millisecond = 0;
};

class Clock {
 public:
  virtual ~Clock() = default;
  // Milliseconds since some fixed start (the system's start on Windows).
  virtual uint32_t TickMs() const = 0;
  virtual LocalTime Local() const = 0;
  // Seconds of calendar time, for start-of-run stamps.
  virtual int64_t CalendarSeconds() const = 0;
};

// The calendar fields of a moment given in milliseconds since 1970-01-01
// 00:00:00 of the clock's own zone (no zone is applied).
LocalTime CalendarTime(int64_t milliseconds);

// The real clocks, from the standard library's monotonic and system clocks.
const Clock& SystemClock();

// A clock that only moves when told to: for tests and the headless renderer.
class ManualClock final : public Clock {
 public:
  uint32_t TickMs() const override { return tick; }
  LocalTime Local() const override { return local; }
  int64_t CalendarSeconds() const override { return calendarSeconds; }

  // Sets the calendar to a moment, in milliseconds since 1970.
  void SetCalendar(int64_t milliseconds) {
    local = CalendarTime(milliseconds);
    calendarSeconds = milliseconds >= 0 ? milliseconds / 1000 : (milliseconds - 999) / 1000;
  }

  uint32_t tick = 0;
  LocalTime local;
  int64_t calendarSeconds = 0;
};

}  // namespace brindlemar
