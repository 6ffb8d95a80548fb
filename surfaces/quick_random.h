// QuickRandom: a 15-bit linear congruential generator, state = state ×
// 214013 + 2531011 (modulo 2^32), each value the state's bits 16 to 30. It
// starts at 1 and is never reseeded. The dithered trail fade draws its steps
// from one, and so does the "Rings!" layout; the program shares a single one
// between them (engine/process_state.h), which the field hands its surface.
#pragma once

#include <cstdint>

namespace brindlemar {

class QuickRandom {
 public:
  int32_t Next() {
    state = state * 214013u + 2531011u;
    return static_cast<int32_t>((state >> 16) & 0x7FFF);
  }

  uint32_t state = 1;
};

}  // namespace brindlemar
