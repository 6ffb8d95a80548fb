#include "shell/run_pacing.h"

#include "settings/settings_store.h"

namespace brindlemar {

uint32_t FramePeriodMs(std::optional<uint32_t> maxFps) {
  if (!maxFps) return kDefaultFramePeriodMs;
  if (*maxFps == 0) return 0;
  return 1000 / *maxFps;
}

uint32_t ReadFramePeriodMs(SettingsStore& store) {
  int32_t value = 0;
  if (!ReadDword(store, kConfigKey, "MaxFPS", value)) return FramePeriodMs(std::nullopt);
  return FramePeriodMs(static_cast<uint32_t>(value));
}

uint32_t FramePacer::WaitMs(uint32_t now) const {
  const int32_t ahead = static_cast<int32_t>(due_ - now);
  return period_ == 0 || ahead <= 0 ? 0 : static_cast<uint32_t>(ahead);
}

void FramePacer::FrameRan(uint32_t now) {
  if (period_ == 0) return;
  const int32_t late = static_cast<int32_t>(now - due_);
  if (late > static_cast<int32_t>(period_)) {
    due_ = now + period_;
  } else {
    due_ += period_;
  }
}

}  // namespace brindlemar
