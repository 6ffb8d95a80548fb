#include "overlays/canvas_frame_image.h"

#include "surfaces/heap_frame_image.h"

namespace brindlemar {
namespace {

class CanvasFrameImage final : public FrameImage {
 public:
  CanvasFrameImage(std::unique_ptr<HeapFrameImage> memory, std::unique_ptr<Canvas> canvas)
      : memory_(std::move(memory)), canvas_(std::move(canvas)) {}

  uint8_t* Bits() override { return memory_->Bits(); }
  Canvas* GetCanvas() override { return canvas_.get(); }

 private:
  std::unique_ptr<HeapFrameImage> memory_;
  std::unique_ptr<Canvas> canvas_;
};

}  // namespace

std::unique_ptr<FrameImage> CreateHeapCanvasFrameImage(const BitmapHeader& header, CanvasMaker makeCanvas) {
  std::unique_ptr<HeapFrameImage> memory = HeapFrameImage::Create(header);
  if (!memory) return nullptr;
  std::unique_ptr<Canvas> canvas = makeCanvas(memory->Bits(), header);
  return std::make_unique<CanvasFrameImage>(std::move(memory), std::move(canvas));
}

}  // namespace brindlemar
