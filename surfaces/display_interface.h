// The display layer that can switch the screen to a mode of the saver's own
// choosing for the full-screen run, and give the desktop its mode back when
// closed. The platform provides it where it has one (on Windows, DirectDraw
// loaded at run time); the full-screen surfaces draw through it.
#pragma once

#include <cstdint>

#include "surfaces/result_codes.h"

namespace brindlemar {

class WindowTarget;

class DisplayInterface {
 public:
  virtual ~DisplayInterface() = default;
  // Takes the display for window: kUnexpected when already open,
  // kInvalidArg without a window, kFail when the layer cannot be loaded,
  // or the layer's own code.
  virtual ResultCode Open(WindowTarget* window) = 0;
  // kUnexpected when not open, else the layer's answer.
  virtual ResultCode SetMode(int32_t width, int32_t height, int32_t bits) = 0;
  // Releases the display, which restores the desktop's mode.
  virtual void Close() = 0;
};

}  // namespace brindlemar
