// Full-screen display modes: the list of modes the display offers (at most
// 32, of 16 or 24 bits per pixel) and the choice of a default among them
// when the settings hold no usable mode.
//
// Where the modes come from is a platform matter behind DisplayModeSource;
// NoDisplayModes stands for a display that offers none, which is what the
// saver meets without a mode-changing display layer.
#pragma once

#include <cstdint>

#include "surfaces/result_codes.h"

namespace brindlemar {

inline constexpr int32_t kMaxDisplayModes = 32;

struct DisplayMode {
  int32_t width = 0;
  int32_t height = 0;
  int32_t bits = 0;
};

struct DisplayModeList {
  int32_t count = 0;
  DisplayMode modes[kMaxDisplayModes] = {};

  // Keeps a mode of 16 or 24 bits while there is room; every other depth,
  // a mode without area and every mode beyond the 32nd are passed over.
  void Offer(int32_t width, int32_t height, int32_t bits);
};

class DisplayModeSource {
 public:
  virtual ~DisplayModeSource() = default;
  // Fills list, which starts empty, and returns its count (0 when the
  // display offers no mode change).
  virtual int32_t EnumerateModes(DisplayModeList& list) const = 0;
};

const DisplayModeSource& NoDisplayModes();

// The mode whose pixel count is nearest 165675 and whose aspect is nearest
// 4:3; the outputs are 0 unless a mode is chosen. kInvalidArg for a missing
// output, kFail for an empty list.
ResultCode ChooseDefaultMode(const DisplayModeList& list, int32_t* width, int32_t* height, int32_t* bits);

}  // namespace brindlemar
