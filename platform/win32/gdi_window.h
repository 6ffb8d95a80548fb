// The window target of a real Win32 window: frame images are DIB sections
// selected into a memory device context, shown with one block transfer into
// the window's device context. The target is the window's whole client area,
// or one rectangle of it: the full-screen window spans every monitor and
// each monitor's field draws in its own part.
#pragma once

#include <optional>

#include "engine/geometry.h"
#include "surfaces/window_target.h"

namespace brindlemar::win32 {

class GdiWindow final : public WindowTarget {
 public:
  // hwnd is an HWND, kept opaque so that this header needs no windows.h.
  explicit GdiWindow(void* hwnd) : hwnd_(hwnd) {}
  // place: the part of the client area, in client coordinates.
  GdiWindow(void* hwnd, RectI place) : hwnd_(hwnd), place_(place) {}

  ResultCode GetClientSize(int32_t& width, int32_t& height) override;
  std::unique_ptr<FrameImage> CreateFrameImage(const BitmapHeader& header) override;
  void Show(FrameImage& image, const BitmapHeader& header, int32_t width, int32_t height) override;
  void Invalidate() override;
  // BITSPIXEL of the window's device context; 24 when it has none.
  int32_t DesktopBits() override;

  void* Handle() const { return hwnd_; }

 private:
  void* hwnd_;
  std::optional<RectI> place_;
};

}  // namespace brindlemar::win32
