#include "surfaces/heap_frame_image.h"

#include <new>

namespace brindlemar {

std::unique_ptr<HeapFrameImage> HeapFrameImage::Create(const BitmapHeader& header) {
  if (header.width <= 0 || header.height <= 0) return nullptr;
  size_t size = static_cast<size_t>(RowStride(header.width, header.bitCount)) * static_cast<size_t>(header.height);
  std::unique_ptr<uint8_t[]> bits(new (std::nothrow) uint8_t[size]());
  if (!bits) return nullptr;
  return std::unique_ptr<HeapFrameImage>(new HeapFrameImage(std::move(bits), size));
}

}  // namespace brindlemar
