#include "overlays/clock_face.h"

#include <cmath>
#include <span>

#include "engine/clock.h"
#include "engine/particle_field.h"
#include "overlays/canvas.h"

namespace brindlemar {
namespace {

constexpr double kUp = -1.5707963;
constexpr double kPerSecond = 0.10471975333333333;          // 6.2831852 / 60
constexpr double kPerMinuteSecond = 0.0017453292222222223;  // 6.2831852 / 3600
constexpr double kPerHourSecond = 0.00014544410185185185;   // 6.2831852 / 43200
constexpr double kPerNumeral = 0.5235987666666667;
constexpr int32_t kAlarmSecond = 59 * 60 + 55;

// Glyph strokes in a box from gx -0.5 to 0.5 and gy -1 (top) to 1 (bottom).
struct GlyphPoint {
  double gx;
  double gy;
};

constexpr GlyphPoint kOne[] = {{0, -1}, {0, 1}};
constexpr GlyphPoint kTwo[] = {{-0.5, -1}, {0.5, -1}, {0.5, 0}, {-0.5, 0}, {-0.5, 1}, {0.5, 1}};
constexpr GlyphPoint kThree[] = {{-0.5, -1}, {0.5, -1}, {0.5, 0}, {-0.5, 0}, {0.5, 0}, {0.5, 1}, {-0.5, 1}};
constexpr GlyphPoint kFour[] = {{-0.5, -1}, {-0.5, 0}, {0.5, 0}, {0.5, -1}, {0.5, 1}};
constexpr GlyphPoint kFive[] = {{0.5, -1}, {-0.5, -1}, {-0.5, 0}, {0.5, 0}, {0.5, 1}, {-0.5, 1}};
constexpr GlyphPoint kSix[] = {{0.5, -1}, {-0.5, -1}, {-0.5, 1}, {0.5, 1}, {0.5, 0}, {-0.5, 0}};
constexpr GlyphPoint kSeven[] = {{-0.5, -1}, {0.5, -1}, {0.5, 1}};
constexpr GlyphPoint kEight[] = {{-0.5, -1}, {-0.5, 1}, {0.5, 1}, {0.5, -1}, {-0.5, -1}, {-0.5, 0}, {0.5, 0}};
constexpr GlyphPoint kNine[] = {{0.5, 0}, {-0.5, 0}, {-0.5, -1}, {0.5, -1}, {0.5, 1}, {-0.5, 1}};
constexpr GlyphPoint kZero[] = {{-0.5, -1}, {0.5, -1}, {0.5, 1}, {-0.5, 1}, {-0.5, -1}};

// One stroke of a numeral: a path, moved sideways by shift.
struct GlyphStroke {
  std::span<const GlyphPoint> path;
  double shift;
};

struct Glyph {
  GlyphStroke strokes[2];
  int32_t strokeCount;
};

constexpr Glyph kGlyphs[12] = {
    {{{kOne, 0}}, 1},
    {{{kTwo, 0}}, 1},
    {{{kThree, 0}}, 1},
    {{{kFour, 0}}, 1},
    {{{kFive, 0}}, 1},
    {{{kSix, 0}}, 1},
    {{{kSeven, 0}}, 1},
    {{{kEight, 0}}, 1},
    {{{kNine, 0}}, 1},
    {{{kOne, -0.6}, {kZero, 0.6}}, 2},
    {{{kOne, -0.6}, {kOne, 0.6}}, 2},
    {{{kOne, -0.6}, {kTwo, 0.6}}, 2},
};

int32_t Trunc(double v) { return static_cast<int32_t>(v); }

// The closed outline of a hand: from the centre out to the base width at
// the shoulder, to the tip, back across and home.
void DrawHand(Canvas& canvas, int32_t cx, int32_t cy, double a, double spread, double shoulder, double tip) {
  canvas.MoveTo(cx, cy);
  canvas.LineTo(Trunc(cx + shoulder * std::cos(a - spread)), Trunc(cy + shoulder * std::sin(a - spread)));
  canvas.LineTo(Trunc(cx + tip * std::cos(a)), Trunc(cy + tip * std::sin(a)));
  canvas.LineTo(Trunc(cx + shoulder * std::cos(a + spread)), Trunc(cy + shoulder * std::sin(a + spread)));
  canvas.LineTo(cx, cy);
}

}  // namespace

void DrawNumeral(Canvas& canvas, double cx, double cy, int32_t numeral, int32_t size) {
  if (numeral < 1 || numeral > 12) return;
  const Glyph& glyph = kGlyphs[numeral - 1];
  for (int32_t k = 0; k < glyph.strokeCount; ++k) {
    const GlyphStroke& stroke = glyph.strokes[k];
    bool first = true;
    for (const GlyphPoint& p : stroke.path) {
      const double gx = p.gx + stroke.shift;
      const int32_t x = Trunc(cx + size * gx - 0.08 * size * p.gy);
      const int32_t y = Trunc(cy + size * p.gy);
      if (first) {
        canvas.MoveTo(x, y);
        first = false;
      } else {
        canvas.LineTo(x, y);
      }
    }
  }
}

void DrawClockFace(ParticleField& field, Canvas& canvas, const LocalTime& time, int32_t numerals, int32_t) {
  const int32_t h = field.height;
  const int32_t cx = field.width / 2;
  const int32_t cy = h / 2;

  const double secondAngle = time.second * kPerSecond + kUp;
  const double secondLength = 0.4 * h;
  canvas.MoveTo(cx, cy);
  canvas.LineTo(Trunc(cx + secondLength * std::cos(secondAngle)), Trunc(cy + secondLength * std::sin(secondAngle)));

  const int32_t m = time.minute * 60 + time.second;
  DrawHand(canvas, cx, cy, m * kPerMinuteSecond + kUp, 0.07, 0.15 * h, 0.4 * h);

  if (numerals && m == kAlarmSecond && field.transitionState == 0) {
    field.transitionState = 1;
    field.phaseTick = field.GetClock().TickMs();
  }

  const int32_t d = time.hour * 3600 + m;
  DrawHand(canvas, cx, cy, d * kPerHourSecond + kUp, 0.15, 0.1 * h, 0.25 * h);

  if (!numerals) return;
  const int32_t size = h / 27;
  const double radius = 0.45 * h;
  for (int32_t n = 1; n <= 12; ++n) {
    const double theta = n * kPerNumeral + kUp;
    DrawNumeral(canvas, cx + radius * std::cos(theta), cy + radius * std::sin(theta), n, size);
  }
}

}  // namespace brindlemar
