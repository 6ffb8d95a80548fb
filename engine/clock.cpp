#include "engine/clock.h"

#include <chrono>
#include <ctime>

namespace brindlemar {
namespace {

class StandardClock final : public Clock {
 public:
  uint32_t TickMs() const override {
    auto since = std::chrono::steady_clock::now().time_since_epoch();
    // Truncation to 32 bits is the wrap-around every caller expects.
    return static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(since).count());
  }

  LocalTime Local() const override {
    auto now = std::chrono::system_clock::now();
    std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    std::tm parts{};
#if defined(_WIN32)
    localtime_s(&parts, &seconds);
#else
    localtime_r(&seconds, &parts);
#endif
    LocalTime t;
    t.year = parts.tm_year + 1900;
    t.month = parts.tm_mon + 1;
    t.day = parts.tm_mday;
    t.hour = parts.tm_hour;
    t.minute = parts.tm_min;
    t.second = parts.tm_sec;
    t.millisecond = static_cast<int32_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000);
    return t;
  }

  int64_t CalendarSeconds() const override {
    return std::chrono::duration_cast<std::chrono::seconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
  }
};

}  // namespace

LocalTime CalendarTime(int64_t milliseconds) {
  using namespace std::chrono;
  const sys_time<std::chrono::milliseconds> moment{std::chrono::milliseconds{milliseconds}};
  const sys_days day = floor<days>(moment);
  const year_month_day date{day};
  const hh_mm_ss<std::chrono::milliseconds> time{moment - day};
  LocalTime t;
  t.year = static_cast<int32_t>(date.year());
  t.month = static_cast<int32_t>(static_cast<unsigned>(date.month()));
  t.day = static_cast<int32_t>(static_cast<unsigned>(date.day()));
  t.hour = static_cast<int32_t>(time.hours().count());
  t.minute = static_cast<int32_t>(time.minutes().count());
  t.second = static_cast<int32_t>(time.seconds().count());
  t.millisecond = static_cast<int32_t>(time.subseconds().count());
  return t;
}

const Clock& SystemClock() {
  static const StandardClock clock;
  return clock;
}

}  // namespace brindlemar
