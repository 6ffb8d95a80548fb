// Frame images with a canvas outside Windows: heap memory drawn on by Cairo
// and Pango.
#include "overlays/canvas_frame_image.h"
#include "platform/posix/cairo_canvas.h"

namespace brindlemar {

std::unique_ptr<FrameImage> CreateCanvasFrameImage(const BitmapHeader& header) {
  return CreateHeapCanvasFrameImage(header, posix::CreateCairoCanvas);
}

}  // namespace brindlemar
