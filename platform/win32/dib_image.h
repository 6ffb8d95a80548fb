// A frame image in a DIB section, selected into a memory device context for
// as long as the image lives, with a GDI canvas on that context.
#pragma once

#include <memory>

#include "platform/win32/gdi_canvas.h"
#include "surfaces/window_target.h"

namespace brindlemar::win32 {

class DibImage final : public FrameImage {
 public:
  // The memory context is made compatible with referenceDc (null: the
  // screen). Null when the bitmap or the context cannot be had.
  static std::unique_ptr<DibImage> Create(HDC referenceDc, const BitmapHeader& header);
  ~DibImage() override;
  DibImage(const DibImage&) = delete;
  DibImage& operator=(const DibImage&) = delete;

  uint8_t* Bits() override { return static_cast<uint8_t*>(bits_); }
  Canvas* GetCanvas() override { return &canvas_; }
  HDC MemoryDc() const { return memoryDc_; }

 private:
  DibImage(HDC memoryDc, HBITMAP dib, void* bits);

  HDC memoryDc_;
  HBITMAP dib_;
  void* bits_;
  HGDIOBJ previous_ = nullptr;
  GdiCanvas canvas_;
};

}  // namespace brindlemar::win32
