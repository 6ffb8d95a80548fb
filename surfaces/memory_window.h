// A window made of memory: a fixed client size, frame images in heap memory,
// and a copy of the last frame shown, kept top-down as 8-bit red, green,
// blue, or red, green, blue, alpha (always opaque), as a browser's canvas
// takes its pixels. The headless renderer reads its pictures from here, the
// web page hands them to its canvas, and a platform window without bitmaps
// of its own can blit from it.
//
// Show understands the two bottom-up layouts the memory surfaces make: 24-bit
// blue, green, red and 16-bit 5-5-5. The frame images come from a factory:
// plain heap memory by default, or CreateCanvasFrameImage for a renderer that
// draws overlays.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "surfaces/window_target.h"

namespace brindlemar {

// Makes the pixel memory of one frame image; null when it cannot be had.
using FrameImageFactory = std::unique_ptr<FrameImage> (*)(const BitmapHeader& header);

// A frame image in plain heap memory, without a canvas.
std::unique_ptr<FrameImage> CreateHeapFrameImage(const BitmapHeader& header);

class MemoryWindow final : public WindowTarget {
 public:
  // Sizes below 0 are taken as 0; a null factory is taken as
  // CreateHeapFrameImage. channels is 3 for red, green, blue or 4 with an
  // alpha of 255 after them.
  MemoryWindow(int32_t width, int32_t height, FrameImageFactory factory = CreateHeapFrameImage,
               int32_t channels = 3);

  ResultCode GetClientSize(int32_t& width, int32_t& height) override;
  std::unique_ptr<FrameImage> CreateFrameImage(const BitmapHeader& header) override;
  // Copies the top width x height pixels of the image, clipped to the window;
  // the rest of the picture turns black.
  void Show(FrameImage& image, const BitmapHeader& header, int32_t width, int32_t height) override;
  // The same for a 24-bit image, fading each band of rows once copied.
  bool ShowAndFade(FrameImage& image, const BitmapHeader& header, int32_t width, int32_t height,
                   ImageFader& fader) override;
  void Invalidate() override {}

  int32_t Width() const { return width_; }
  int32_t Height() const { return height_; }
  int32_t Channels() const { return channels_; }
  // Width × height × Channels() bytes, rows from the top; black until a
  // frame is shown.
  const std::vector<uint8_t>& Rgb() const { return rgb_; }
  uint32_t ShownFrames() const { return shownFrames_; }

 private:
  void CopyRow(const uint8_t* bits, const BitmapHeader& header, int32_t y, int32_t w);
  // Blackens what the picture shown leaves of the window: the columns
  // right of w and the rows below h.
  void ClearOutside(int32_t w, int32_t h);

  int32_t width_;
  int32_t height_;
  int32_t channels_;
  FrameImageFactory factory_;
  std::vector<uint8_t> rgb_;
  uint32_t shownFrames_ = 0;
};

}  // namespace brindlemar
