#include "overlays/zodiac.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "engine/clock.h"
#include "engine/particle_field.h"
#include "overlays/canvas.h"

namespace brindlemar {
namespace {

// The days of a common year before each month.
constexpr int32_t kMonthStart[12] = {0, 31, 59, 90, 120, 151, 181, 212, 242, 273, 304, 334};
constexpr double kDaysPerHour = 0.041666666666666664;
constexpr double kYearsPerDay = 0.0027397260273972603;
// The ring's turn keeps the ten digits it was first written with, not
// those of a full-precision 2 pi: the signs stand where they always have.
constexpr double kRingTurn = 6.283185307;
constexpr int32_t kAlarmSecond = 59 * 60 + 55;
constexpr char kAries = 0x5E;

int32_t Channel(double phi, double phase) {
  return static_cast<int32_t>(255 * std::pow((std::sin(phi + phase) + 1) * 0.5, 0.38));
}

}  // namespace

double ZodiacRingAngle(const LocalTime& now) {
  const int32_t dayOfYear = kMonthStart[std::clamp(now.month, 1, 12) - 1] + now.day - 1;
  // One turn per 365 days; on 6 January at midnight the first sign stands
  // straight left of the centre.
  return (((dayOfYear - 5) + now.hour * kDaysPerHour) * kYearsPerDay + 0.5) * kRingTurn;
}

ZodiacPhases ZodiacColourPhases(uint32_t tick) {
  const double t = tick * 1.5151515151515151e-05;
  return {t * 29.3, t * -18.10839587, t * 11.19160413};
}

void DrawZodiac(ParticleField& field, Canvas& canvas, CanvasFont* wingdings) {
  const uint32_t tick = field.GetClock().TickMs();
  const ZodiacPhases phases = ZodiacColourPhases(tick);

  CanvasFont* previous = canvas.SelectFont(wingdings);
  canvas.SetTextColor(0xFFFFFF);
  canvas.SetBackgroundColor(0x000000);
  canvas.SelectPen(StockPen::kWhite);
  canvas.SetBackground(Background::kTransparent);

  const LocalTime now = field.GetClock().Local();
  const double ring = ZodiacRingAngle(now);

  const int32_t w = field.width;
  const int32_t h = field.height;
  const int32_t r = w / 28;
  for (int32_t i = 0; i < 12; ++i) {
    const double theta = ring - i * 0.5235987755833333;
    const int32_t x = static_cast<int32_t>(w / 2 + 0.35 * w * std::cos(theta));
    const int32_t y = static_cast<int32_t>(h / 2 + 0.35 * w * std::sin(theta));
    const double phi = i * 0.08333333333333333 * 6.28;
    const int32_t blue = Channel(phi, phases.blue);
    const int32_t green = Channel(phi, phases.green);
    const int32_t red = Channel(phi, phases.red);
    canvas.SetTextColor(static_cast<uint32_t>(red << 16 | green << 8 | blue));
    const char sign = static_cast<char>(kAries + i);
    RectI box{x - r, y - r, x + r, y + r};
    canvas.DrawText(std::string_view(&sign, 1), box, kTextCenter | kTextVCenter | kTextSingleLine);
  }

  if (now.minute * 60 + now.second == kAlarmSecond && field.transitionState == 0) {
    field.transitionState = 1;
    field.phaseTick = tick;
    field.SetReflectionCount(field.reflectionCount);
  }

  canvas.SelectFont(previous);
}

}  // namespace brindlemar
