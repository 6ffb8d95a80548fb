// Frame pacing for the run loops: the period between frames that the Config
// value "MaxFPS" asks for, and a schedule that keeps frames on a fixed grid
// of deadlines so that waiting a little late now and then does not make the
// rate drift. A loop that falls more than one period behind starts the grid
// afresh instead of running a burst of frames to catch up.
//
// Times are tick counts in milliseconds; differences are taken as unsigned
// 32-bit values and read as signed only to tell before from after.
#pragma once

#include <cstdint>
#include <optional>

namespace brindlemar {

class SettingsStore;

// The preview's timer period, used when "MaxFPS" is missing (about 30 fps).
inline constexpr uint32_t kDefaultFramePeriodMs = 33;

// 0 for unpaced frames: "MaxFPS" 0, or a rate above 1000 frames per second
// (taken as an unsigned DWORD), whose period would round to nothing.
uint32_t FramePeriodMs(std::optional<uint32_t> maxFps);
uint32_t ReadFramePeriodMs(SettingsStore& store);

class FramePacer {
 public:
  // The first frame is due at now.
  FramePacer(uint32_t periodMs, uint32_t now) : period_(periodMs), due_(now) {}

  // Milliseconds to wait at now before the next frame; 0 when it is due.
  uint32_t WaitMs(uint32_t now) const;
  // A frame ran at now: the next is due one period after the previous
  // deadline, or one period after now when now was more than one period
  // late.
  void FrameRan(uint32_t now);

  uint32_t Due() const { return due_; }

 private:
  uint32_t period_;
  uint32_t due_;
};

}  // namespace brindlemar
