// A window made of memory for tests: a fixed client size, heap pixel memory,
// and switches that make each step of surface creation fail on demand.
#pragma once

#include "surfaces/heap_frame_image.h"
#include "surfaces/window_target.h"

namespace brindlemar::testing {

class TestWindow final : public WindowTarget {
 public:
  TestWindow(int32_t w, int32_t h) : width(w), height(h) {}

  ResultCode GetClientSize(int32_t& w, int32_t& h) override;
  std::unique_ptr<FrameImage> CreateFrameImage(const BitmapHeader& header) override;
  void Show(FrameImage& image, const BitmapHeader& header, int32_t w, int32_t h) override;
  // Shows nothing, as Show, but lets the surface fade band by band as a
  // screen's target does, unless fadesWhileShowing is off.
  bool ShowAndFade(FrameImage& image, const BitmapHeader& header, int32_t w, int32_t h, ImageFader& fader) override;
  void Invalidate() override { ++invalidations; }
  int32_t DesktopBits() override { return desktopBits; }

  int32_t width;
  int32_t height;
  int32_t desktopBits = 24;
  ResultCode sizeResult = kOk;
  bool refuseImage = false;
  int32_t invalidations = 0;
  int32_t shows = 0;
  bool fadesWhileShowing = true;
  BitmapHeader lastHeader;
};

}  // namespace brindlemar::testing
