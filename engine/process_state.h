// What the program shares across every field it runs: the seeded generators
// and the input switches of the saver window. Everything else a field keeps
// running (regeneration, transitions, messages, steering, the password
// prompt) is the field's own, so that fields side by side animate each as it
// would alone. A test puts the shared values back to their start-of-program
// state with ResetProcessState.
#pragma once

#include <cstdint>

#include "engine/clock.h"
#include "engine/combined_random.h"
#include "engine/geometry.h"
#include "surfaces/quick_random.h"

namespace brindlemar {

struct ProcessState {
  // The generator of the dithered trail fade and the "Rings!" layout; every
  // field's surface draws from this one.
  QuickRandom quickRandom;
  // The pointer steers vortex 0 instead of ending the saver (Caps Lock).
  int32_t steering = 0;
  // Where the pointer is in the saver window while it steers; (-1, -1) for
  // none. Each field sees it in its own coordinates (ParticleField::place).
  PointI steerPoint = {-1, -1};
  // The frame-rate text is shown (F12).
  int32_t showFps = 0;
};

ProcessState& Process();

// The process-wide uniform generator; it never carries a smooth table.
CombinedRandom& ProcessRandom();

void ResetProcessState();

// Seeds the process-wide generator from the clock's tick. The programs do it
// once at start-up, before the first layout draws its phase from it, so that
// no two starts lay out alike.
void SeedProcessRandom(const Clock& clock);

}  // namespace brindlemar
