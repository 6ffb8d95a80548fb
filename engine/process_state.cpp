#include "engine/process_state.h"

namespace brindlemar {
namespace {

ProcessState state;
CombinedRandom processRandom;

}  // namespace

ProcessState& Process() { return state; }

CombinedRandom& ProcessRandom() { return processRandom; }

void ResetProcessState() {
  state = ProcessState{};
  processRandom.SetClock(SystemClock());
  processRandom.FreeTable();
  processRandom.frac = 0.8942356887;
  processRandom.s1 = 536870911;
  processRandom.s2 = 8388607;
}

void SeedProcessRandom(const Clock& clock) {
  processRandom.SetClock(clock);
  processRandom.SeedFromClock();
}

}  // namespace brindlemar
