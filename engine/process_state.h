// The few values the program shares across every field: the steering of
// vortex 0 by the pointer, the regeneration's running angles and timer, the
// vortex path key, the transition interval, the frame-rate switch, the
// zodiac's colour phases and the process-wide generators. They live together
// so that a test can put them all back to their start-of-program state with
// ResetProcessState.
#pragma once

#include <cstdint>

#include "engine/clock.h"
#include "engine/combined_random.h"
#include "engine/geometry.h"

namespace brindlemar {

struct ProcessState {
  uint32_t quickRandomState = 1;
  double pathKey = 0.123;
  int32_t steering = 0;
  PointI steerPoint = {-1, -1};
  PointF lastSteerPoint = {-1.0f, -1.0f};
  int32_t showFps = 0;
  int32_t regenTimer = 0;
  double sprayAngle = 0.0;
  double sweepAngle = 0.0;
  uint32_t transitionInterval = 60000;
  // The next grain to seed onto a pop-up message's letters.
  int32_t seedCursor = 0;
  // Entry boxes the last password prompt frame drew, so that the next one
  // can erase those no longer needed.
  int32_t promptBoxes = 0;
  // The zodiac ring's colour phases, recomputed on every zodiac frame.
  double zodiacBluePhase = 0.0;
  double zodiacGreenPhase = 0.0;
  double zodiacRedPhase = 0.0;
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
