// A frame image in plain heap memory: the pixel memory of every platform
// without device-independent bitmaps, of the headless renderer and of tests.
#pragma once

#include <cstddef>
#include <memory>

#include "surfaces/window_target.h"

namespace brindlemar {

class HeapFrameImage final : public FrameImage {
 public:
  // Null when the memory cannot be had.
  static std::unique_ptr<HeapFrameImage> Create(const BitmapHeader& header);

  uint8_t* Bits() override { return bits_.get(); }
  Canvas* GetCanvas() override { return nullptr; }
  size_t SizeBytes() const { return size_; }

 private:
  HeapFrameImage(std::unique_ptr<uint8_t[]> bits, size_t size) : bits_(std::move(bits)), size_(size) {}
  std::unique_ptr<uint8_t[]> bits_;
  size_t size_;
};

// Bytes per row of a bottom-up bitmap: rows are padded to 4 bytes.
inline uint32_t RowStride(int32_t width, int32_t bitsPerPixel) {
  return (static_cast<uint32_t>(width) * static_cast<uint32_t>(bitsPerPixel / 8) + 3u) & ~3u;
}

}  // namespace brindlemar
