// The time between two transitions, drawn between the stored MinTime and
// MaxTime (seconds, unsigned as stored): equal times give 0, which switches
// the transitions off.
#pragma once

#include <cstdint>

namespace brindlemar {

class SettingsStore;

inline constexpr int32_t kDefaultMinTime = 60;
inline constexpr int32_t kDefaultMaxTime = 90;

// u is a uniform draw in (0, 1). A reversed pair would overflow the
// millisecond count; it is held at the largest interval instead.
uint32_t TransitionIntervalMs(double u, int32_t minTime, int32_t maxTime);

// MinTime and MaxTime from the Messages key, each left at its default when
// missing.
void ReadTransitionTimes(SettingsStore& store, int32_t& minTime, int32_t& maxTime);

}  // namespace brindlemar
