// A window target over an X window: the saver's own window, the root window
// or a window another program made. Frame images are heap memory with a
// Cairo canvas; Show converts the visible part into an XImage in the
// window's visual (TrueColor of 15 to 32 bits) and puts what changed, in a
// few bands, through MIT-SHM when the server offers it for this connection,
// else with XPutImage.
//
// The target does not watch the window: it takes the window's size when it
// is made, and the run loop makes a new target after a ConfigureNotify.
#pragma once

#include <X11/Xlib.h>
#include <X11/extensions/XShm.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/posix/x11/frame_converter.h"
#include "surfaces/window_target.h"

namespace brindlemar::x11 {

class X11WindowTarget final : public WindowTarget {
 public:
  // Reads the window's size, visual and depth; Valid() tells whether that
  // worked and the visual is a TrueColor one this target can fill.
  X11WindowTarget(Display* display, Window window);
  ~X11WindowTarget() override;
  X11WindowTarget(const X11WindowTarget&) = delete;
  X11WindowTarget& operator=(const X11WindowTarget&) = delete;

  bool Valid() const { return valid_; }
  bool UsesSharedMemory() const { return shared_; }

  ResultCode GetClientSize(int32_t& width, int32_t& height) override;
  std::unique_ptr<FrameImage> CreateFrameImage(const BitmapHeader& header) override;
  void Show(FrameImage& image, const BitmapHeader& header, int32_t width, int32_t height) override;
  // Converts and fades in one pass over the frame image.
  bool ShowAndFade(FrameImage& image, const BitmapHeader& header, int32_t width, int32_t height,
                   ImageFader& fader) override;
  // Puts the whole last picture again, where the server painted over it.
  void Invalidate() override;
  int32_t DesktopBits() override { return depth_; }

 private:
  bool MakeImage();
  void DropImage();
  // Puts what the last conversion changed, all of a new image.
  void PutChanged();
  void Put(const std::vector<PutRect>& rects);

  // Unchanged tiles between changed ones in a band that are put with them
  // rather than splitting the band's request (see changed_bands.h).
  static constexpr int32_t kJoinGap = 2;

  Display* display_;
  Window window_;
  Visual* visual_ = nullptr;
  int32_t depth_ = 24;
  int32_t width_ = 0;
  int32_t height_ = 0;
  bool valid_ = false;
  GC gc_ = nullptr;
  XImage* image_ = nullptr;
  XShmSegmentInfo segment_ = {};
  bool shared_ = false;
  // Off after the server refused a shared segment once.
  bool trySharedMemory_ = true;
  bool shownOnce_ = false;
  PixelLayout layout_;
  FrameConverter converter_;
};

}  // namespace brindlemar::x11
