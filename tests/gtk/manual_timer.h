// A frame timer that the test fires itself, for the preview's timing seam.
#pragma once

#include <functional>

#include "platform/posix/gtk/preview_area.h"

namespace brindlemar::gtk {

class ManualTimer final : public FrameTimer {
 public:
  void Start(uint32_t periodMs, std::function<void()> tick) override {
    period = periodMs;
    tick_ = std::move(tick);
  }
  void Stop() override { tick_ = nullptr; }
  bool Running() const { return static_cast<bool>(tick_); }
  void Fire() {
    if (tick_) tick_();
  }
  uint32_t period = 0;

 private:
  std::function<void()> tick_;
};

}  // namespace brindlemar::gtk
