// The window target of a real Win32 window: frame images are DIB sections
// selected into a memory device context, shown with one block transfer into
// the window's device context.
#pragma once

#include "surfaces/window_target.h"

namespace brindlemar::win32 {

class GdiWindow final : public WindowTarget {
 public:
  // hwnd is an HWND, kept opaque so that this header needs no windows.h.
  explicit GdiWindow(void* hwnd) : hwnd_(hwnd) {}

  ResultCode GetClientSize(int32_t& width, int32_t& height) override;
  std::unique_ptr<FrameImage> CreateFrameImage(const BitmapHeader& header) override;
  void Show(FrameImage& image, const BitmapHeader& header, int32_t width, int32_t height) override;
  void Invalidate() override;
  // BITSPIXEL of the window's device context; 24 when it has none.
  int32_t DesktopBits() override;

  void* Handle() const { return hwnd_; }

 private:
  void* hwnd_;
};

}  // namespace brindlemar::win32
