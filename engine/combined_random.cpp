#include "engine/combined_random.h"

#include <cmath>
#include <cstdlib>

namespace brindlemar {

double CombinedRandom::Next() {
  // Schrage's method keeps both products inside 32 bits.
  s1 = 40014 * (s1 % 53668) - 12211 * (s1 / 53668);
  if (s1 < 0) s1 += 2147483563;
  s2 = 40692 * (s2 % 52774) - 3791 * (s2 / 52774);
  if (s2 < 0) s2 += 2147483399;
  int32_t z = s1 - s2;
  if (z < 1) z += 2147483562;
  return z * 4.65661305739177e-10;
}

double CombinedRandom::Seed(int32_t x) {
  frac = (clock_->TickMs() % 100000u) * 1e-05;
  // |INT32_MIN| has no int32 value; its magnitude wraps to itself, which the
  // generator then treats like any other negative step and corrects.
  s1 = x < 0 ? static_cast<int32_t>(0u - static_cast<uint32_t>(x)) : x;
  s2 = 8388607;
  return Next();
}

void CombinedRandom::SeedFromClock() {
  Seed(static_cast<int32_t>(clock_->TickMs() ^ 0x51CFC11Bu));
}

int32_t CombinedRandom::AllocateTable() {
  if (table) return 2;
  table = static_cast<SmoothChannel*>(std::malloc(sizeof(SmoothChannel) * kSmoothChannels));
  return table ? 0 : -1;
}

void CombinedRandom::FreeTable() {
  std::free(table);
  table = nullptr;
}

void CombinedRandom::InitChannel(int32_t i) {
  SmoothChannel& c = table[i];
  c.rows = 14;
  c.period = 16384;
  c.counter = static_cast<int32_t>(Next() * 16384 * frac);
  frac = std::fmod(frac + 0.13234323, 1.0);
  c.scale = 14.0;
  FillRows(c);
}

void CombinedRandom::ResetChannel(int32_t i) {
  SmoothChannel& c = table[i];
  c.counter = static_cast<int32_t>(Next() * 16384 * frac);
  FillRows(c);
}

void CombinedRandom::FillRows(SmoothChannel& c) {
  c.sum = 0;
  for (int32_t k = 0; k < 14; ++k) {
    c.values[k] = Next();
    c.sum += c.values[k];
  }
}

double CombinedRandom::SmoothSum(int32_t i) {
  SmoothChannel& c = table[i];
  int32_t old = c.counter;
  c.counter = old + 1;
  if (c.counter >= c.period) c.counter = 0;
  int32_t changed = c.counter ^ old;
  for (int32_t k = 0; k < c.rows; ++k) {
    if (changed & (1 << k)) {
      c.sum -= c.values[k];
      c.values[k] = Next();
      c.sum += c.values[k];
    }
  }
  return c.sum;
}

int32_t CombinedRandom::SmoothInt(int32_t i, int32_t n) {
  return static_cast<int32_t>(SmoothSum(i) * n / 14.0);
}

}  // namespace brindlemar
