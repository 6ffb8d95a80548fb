// The clock face overlay: thin white hands for seconds, minutes and hours
// and, optionally, twelve slanted stroke numerals around them, drawn with
// the canvas's selected pen. With the numerals it also acts as the hourly
// alarm: five seconds before each full hour it starts a transition.
//
// Every coordinate is computed in doubles and truncated toward zero before
// it reaches the canvas.
#pragma once

#include <cstdint>

namespace brindlemar {

class Canvas;
class ParticleField;
struct LocalTime;

// reserved has no effect; the frame step passes 0.
void DrawClockFace(ParticleField& field, Canvas& canvas, const LocalTime& time, int32_t numerals, int32_t reserved);

// One numeral (1..12) of size s centred at (cx, cy): a glyph box s wide and
// 2 s tall, leaning right. Other numerals draw nothing.
void DrawNumeral(Canvas& canvas, double cx, double cy, int32_t numeral, int32_t size);

}  // namespace brindlemar
