#include "engine/transition_interval.h"

#include "settings/settings_store.h"

namespace brindlemar {

uint32_t TransitionIntervalMs(double u, int32_t minTime, int32_t maxTime) {
  uint32_t span = static_cast<uint32_t>(maxTime) - static_cast<uint32_t>(minTime);
  double ms = (u * span + static_cast<uint32_t>(minTime)) * 1000;
  return ms >= 4294967295.0 ? 0xFFFFFFFFu : static_cast<uint32_t>(ms);
}

void ReadTransitionTimes(SettingsStore& store, int32_t& minTime, int32_t& maxTime) {
  minTime = kDefaultMinTime;
  maxTime = kDefaultMaxTime;
  if (!store.OpenKey(kMessagesKey)) return;
  ReadDword(store, kMessagesKey, "MinTime", minTime);
  ReadDword(store, kMessagesKey, "MaxTime", maxTime);
}

}  // namespace brindlemar
