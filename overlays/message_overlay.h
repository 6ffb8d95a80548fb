// The pop-up message overlay: draws the field's current pop-up message in
// large white letters across the middle of the frame, in the largest font
// size (stepping down from 96 pixels) at which it fits between x = 10 and
// x = width - 10, and records the rectangle around it in messageRect so that
// the frame step can seed grains onto the letters.
//
// The text and face are read from the store's Messages key on every call;
// a missing key or value leaves "Your message goes here!" in "Arial". A
// message is read whole up to kMessageTextBytes; a longer value counts as
// missing.
#pragma once

#include <cstddef>

namespace brindlemar {

// The longest message read, its terminating NUL included: the messages
// dialog's whole text box (16383 characters) as one line, so that whatever
// the dialog stores is read back whole by it and by the saver.
inline constexpr size_t kMessageTextBytes = 16384;

class Canvas;
class ParticleField;

void DrawMessage(ParticleField& field, Canvas& canvas);

}  // namespace brindlemar
