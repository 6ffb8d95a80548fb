// What a surface needs of the window it draws for: the client size, pixel
// memory for a frame image, a way to show that image, and invalidation. The
// platform layer implements it for real windows (GDI on Windows, X11 on
// Linux); tests and the headless renderer use a window made of memory.
#pragma once

#include <cstdint>
#include <memory>

#include "surfaces/result_codes.h"

namespace brindlemar {

class Canvas;

// The platform's bitmap information header, with the bit-field masks of the
// 16-bit kinds. height counts the two guard rows; positive means bottom-up.
struct BitmapHeader {
  int32_t size = 40;
  int32_t width = 0;
  int32_t height = 0;
  int16_t planes = 1;
  int16_t bitCount = 0;
  int32_t compression = 0;  // 0 plain RGB, 3 bit fields
  uint32_t masks[3] = {0, 0, 0};
};

// Pixel memory of one frame image, bottom-up rows of the header's stride.
class FrameImage {
 public:
  virtual ~FrameImage() = default;
  virtual uint8_t* Bits() = 0;
  // A drawing canvas on the image for text and lines, or null where the
  // platform has none.
  virtual Canvas* GetCanvas() = 0;
};

// The trail fade of an image, done a part at a time in memory order, so that
// a target can fade each band of rows right after showing it, while the
// band is still in the cache: one pass over the image instead of two.
class ImageFader {
 public:
  virtual ~ImageFader() = default;
  // Every byte of the image below byte end may be faded now; the bytes from
  // end up are left as they are. Calls come with rising ends.
  virtual void Through(uint32_t end) = 0;
};

class WindowTarget {
 public:
  virtual ~WindowTarget() = default;
  // kOk, kInvalidArg when the window has no drawing context, kFail when the
  // size cannot be read.
  virtual ResultCode GetClientSize(int32_t& width, int32_t& height) = 0;
  // Null when the memory cannot be had.
  virtual std::unique_ptr<FrameImage> CreateFrameImage(const BitmapHeader& header) = 0;
  // Shows the top width x height pixels of the image (the guard rows are
  // the image's last two rows in memory and are never shown).
  virtual void Show(FrameImage& image, const BitmapHeader& header, int32_t width, int32_t height) = 0;
  // Shows the picture as Show does and has fader fade the image for the next
  // frame, each band of rows right after it is shown (see fading_rows.h).
  // Returns false, having done neither, where the target cannot: the surface
  // then shows and fades in turn.
  virtual bool ShowAndFade(FrameImage&, const BitmapHeader&, int32_t, int32_t, ImageFader&) { return false; }
  // Invalidates the whole client area with erase and repaints at once.
  virtual void Invalidate() = 0;
  // Bits per pixel of the desktop the window is on; windows made of memory
  // stand for a 24-bit desktop.
  virtual int32_t DesktopBits() { return 24; }
};

}  // namespace brindlemar
