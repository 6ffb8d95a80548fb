// Frame images with a canvas on Windows: a DIB section with a memory device
// context of its own, compatible with the screen; no window is needed.
#include "platform/win32/dib_image.h"

namespace brindlemar {

std::unique_ptr<FrameImage> CreateCanvasFrameImage(const BitmapHeader& header) {
  return win32::DibImage::Create(nullptr, header);
}

}  // namespace brindlemar
