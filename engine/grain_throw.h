// What laying out the grains and regenerating them share: the turn, the unit
// of the stored gravity settings and the direction a grain is thrown in.
#pragma once

#include <cstdint>

namespace brindlemar {

constexpr double kTwoPi = 6.283185307179586;

// A gravity setting of 1 pulls by this much per frame.
constexpr double kGravityUnit = 0.0003333333333333333;

// How two uniform draws weigh in a direction: the first carries the phase.
// The weights of a mix add up to 1; each keeps its own digits, as they were
// first written, rather than being worked out from the other.
struct DirectionMix {
  double first;
  double second;
};
// Peaked less sharply about the phase, as most throws are.
constexpr DirectionMix kWideMix = {0.5476545663566786, 0.45234543364332136};
// Peaked sharply about the phase: the first draw weighs little.
constexpr DirectionMix kNarrowMix = {0.286125605851257, 0.713874394148743};

// A direction (radians) about phase, from two uniform draws in [0, 1) taken
// in the order given. u1 - 0.5 is never -0, so a phase of 0 leaves it as it
// is, bit for bit.
inline double MixedDirection(double u1, double u2, double phase, DirectionMix mix) {
  return (((u1 - 0.5) + phase) * mix.first + (u2 - 0.5) * mix.second) * kTwoPi;
}

}  // namespace brindlemar
