// The zodiac overlay: the twelve signs of the zodiac on a ring around the
// centre of the frame that turns once a year with the date, each sign in its
// own slowly drifting colour. Like the clock face it is the hourly alarm:
// five seconds before each full hour it starts a transition.
//
// The signs are characters 0x5E..0x69 of the "Wingdings" overlay font, which
// the caller passes in (null draws them in the canvas's default font). The
// signs' colours drift with phases that follow from the tick count alone.
#pragma once

#include <cstdint>

namespace brindlemar {

struct LocalTime;
class Canvas;
class CanvasFont;
class ParticleField;

// The angle (radians) the ring of signs stands at, at a local time: the
// reflections of the zodiac overlay follow it.
double ZodiacRingAngle(const LocalTime& now);

// The phases (radians) of the blue, green and red colour waves at a tick.
struct ZodiacPhases {
  double blue;
  double green;
  double red;
};
ZodiacPhases ZodiacColourPhases(uint32_t tick);

void DrawZodiac(ParticleField& field, Canvas& canvas, CanvasFont* wingdings);

}  // namespace brindlemar
