// The pop-up message overlay: draws the field's current pop-up message in
// large white letters across the middle of the frame, in the largest font
// size (stepping down from 96 pixels) at which it fits between x = 10 and
// x = width - 10, and records the rectangle around it in messageRect so that
// the frame step can seed grains onto the letters.
//
// The text and face are read from the store's Messages key on every call;
// a missing key or value leaves "Your message goes here!" in "Arial".
#pragma once

namespace brindlemar {

class Canvas;
class ParticleField;

void DrawMessage(ParticleField& field, Canvas& canvas);

}  // namespace brindlemar
