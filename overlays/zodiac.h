// The zodiac overlay: the twelve signs of the zodiac on a ring around the
// centre of the frame that turns once a year with the date, each sign in its
// own slowly drifting colour. Like the clock face it is the hourly alarm:
// five seconds before each full hour it starts a transition.
//
// The signs are characters 0x5E..0x69 of the "Wingdings" overlay font, which
// the caller passes in (null draws them in the canvas's default font). The
// colour phases are process-wide and recomputed from the tick count.
#pragma once

namespace brindlemar {

class Canvas;
class CanvasFont;
class ParticleField;

void DrawZodiac(ParticleField& field, Canvas& canvas, CanvasFont* wingdings);

}  // namespace brindlemar
