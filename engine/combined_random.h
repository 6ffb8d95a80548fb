// CombinedRandom: the uniform generator of the animation (two multiplicative
// congruential generators combined, each stepped by Schrage's method in 32-bit
// arithmetic) and its table of 90 smooth channels, each a pink-noise sequence
// built by summing 14 rows that are renewed at halving rates.
//
// Nothing here allocates except AllocateTable. Seeding reads the tick count
// of the clock the instance was given (the real clock by default).
#pragma once

#include <cstdint>

#include "engine/clock.h"

namespace brindlemar {

inline constexpr int32_t kSmoothChannels = 90;

struct SmoothChannel {
  int32_t rows;
  double scale;
  double sum;
  int32_t counter;
  int32_t period;
  double values[65];
};

class CombinedRandom {
 public:
  explicit CombinedRandom(const Clock& clock = SystemClock()) : clock_(&clock) {}
  ~CombinedRandom() { FreeTable(); }
  CombinedRandom(const CombinedRandom&) = delete;
  CombinedRandom& operator=(const CombinedRandom&) = delete;

  double Next();
  double Seed(int32_t x);
  void SeedFromClock();
  // 0 when the table was allocated now, 2 when one was already held,
  // -1 when the memory could not be had (the instance then has no channels).
  int32_t AllocateTable();
  void FreeTable();
  void InitChannel(int32_t i);
  void ResetChannel(int32_t i);
  double SmoothSum(int32_t i);
  double Smooth(int32_t i) { return SmoothSum(i) / 14.0; }
  int32_t SmoothInt(int32_t i, int32_t n);

  void SetClock(const Clock& clock) { clock_ = &clock; }
  bool HasTable() const { return table != nullptr; }
  const SmoothChannel& Channel(int32_t i) const { return table[i]; }
  SmoothChannel& Channel(int32_t i) { return table[i]; }

  double frac = 0.8942356887;
  int32_t s1 = 536870911;
  int32_t s2 = 8388607;
  SmoothChannel* table = nullptr;

 private:
  // Fresh values for the fourteen rows, and their sum.
  void FillRows(SmoothChannel& c);

  const Clock* clock_;
};

}  // namespace brindlemar
