#include "surfaces/memory_window.h"

#include <algorithm>

#include "surfaces/fading_rows.h"
#include "surfaces/heap_frame_image.h"

#if defined(__wasm_simd128__)
#include <wasm_simd128.h>
#endif

namespace brindlemar {

std::unique_ptr<FrameImage> CreateHeapFrameImage(const BitmapHeader& header) { return HeapFrameImage::Create(header); }

MemoryWindow::MemoryWindow(int32_t width, int32_t height, FrameImageFactory factory, int32_t channels)
    : width_(std::max(width, 0)),
      height_(std::max(height, 0)),
      channels_(channels == 4 ? 4 : 3),
      factory_(factory ? factory : CreateHeapFrameImage),
      rgb_(static_cast<size_t>(width_) * static_cast<size_t>(height_) * static_cast<size_t>(channels_), 0) {
  ClearOutside(0, 0);
}

ResultCode MemoryWindow::GetClientSize(int32_t& width, int32_t& height) {
  width = width_;
  height = height_;
  return kOk;
}

std::unique_ptr<FrameImage> MemoryWindow::CreateFrameImage(const BitmapHeader& header) {
  return factory_(header);
}

void MemoryWindow::Show(FrameImage& image, const BitmapHeader& header, int32_t width, int32_t height) {
  const uint8_t* bits = image.Bits();
  if (!bits || (header.bitCount != 24 && header.bitCount != 16)) return;
  const int32_t visibleRows = header.height - 2;
  const int32_t w = std::clamp(std::min(width, header.width), 0, width_);
  const int32_t h = std::clamp(std::min(height, visibleRows), 0, height_);
  ClearOutside(w, h);
  for (int32_t y = 0; y < h; ++y) CopyRow(bits, header, y, w);
  ++shownFrames_;
}

bool MemoryWindow::ShowAndFade(FrameImage& image, const BitmapHeader& header, int32_t width, int32_t height,
                               ImageFader& fader) {
  const uint8_t* bits = image.Bits();
  if (!bits || header.bitCount != 24) return false;
  const int32_t w = std::clamp(std::min(width, header.width), 0, width_);
  const int32_t h = std::clamp(std::min(height, header.height - 2), 0, height_);
  ClearOutside(w, h);
  ShowRowsFading(header, h, fader, [&](int32_t y) { CopyRow(bits, header, y, w); });
  ++shownFrames_;
  return true;
}

void MemoryWindow::ClearOutside(int32_t w, int32_t h) {
  const size_t pixelBytes = static_cast<size_t>(channels_);
  const size_t rowBytes = static_cast<size_t>(width_) * pixelBytes;
  auto blacken = [&](size_t from, size_t to) {
    for (size_t at = from; at < to; at += pixelBytes) {
      std::fill_n(rgb_.begin() + static_cast<std::ptrdiff_t>(at), 3, uint8_t{0});
      if (channels_ == 4) rgb_[at + 3] = 255;
    }
  };
  for (int32_t y = 0; y < h; ++y) {
    const size_t row = static_cast<size_t>(y) * rowBytes;
    blacken(row + static_cast<size_t>(w) * pixelBytes, row + rowBytes);
  }
  blacken(static_cast<size_t>(h) * rowBytes, rgb_.size());
}

// Row y from the top of the picture, its first w pixels, into the copy.
void MemoryWindow::CopyRow(const uint8_t* bits, const BitmapHeader& header, int32_t y, int32_t w) {
  // Rows in memory run bottom-up and the two guard rows come last, so the
  // top visible row sits just below them.
  const uint8_t* row = bits + static_cast<size_t>(header.height - 3 - y) * RowStride(header.width, header.bitCount);
  const size_t pixelBytes = static_cast<size_t>(channels_);
  uint8_t* out = rgb_.data() + static_cast<size_t>(y) * static_cast<size_t>(width_) * pixelBytes;
  if (header.bitCount == 24 && channels_ == 4) {
    // The web page's frame: one pass from the image to the canvas's order.
    int32_t x = 0;
#if defined(__wasm_simd128__)
    // Four pixels at a time: twelve bytes of blue, green, red become sixteen
    // of red, green, blue and an opaque alpha. Each load takes sixteen bytes,
    // so the last pixel and a third of the row are left to the bytes below.
    const v128_t order = wasm_i8x16_make(2, 1, 0, 16, 5, 4, 3, 16, 8, 7, 6, 16, 11, 10, 9, 16);
    const v128_t alpha = wasm_i32x4_splat(static_cast<int32_t>(0xFF000000u));
    for (; x + 6 <= w; x += 4, out += 16, row += 12) {
      wasm_v128_store(out, wasm_v128_or(wasm_i8x16_swizzle(wasm_v128_load(row), order), alpha));
    }
#endif
    for (; x < w; ++x, out += 4, row += 3) {
      out[0] = row[2];
      out[1] = row[1];
      out[2] = row[0];
      out[3] = 255;
    }
    return;
  }
  for (int32_t x = 0; x < w; ++x, out += pixelBytes) {
    if (header.bitCount == 24) {
      const uint8_t* p = row + static_cast<size_t>(x) * 3;
      out[0] = p[2];
      out[1] = p[1];
      out[2] = p[0];
    } else {
      const uint8_t* p = row + static_cast<size_t>(x) * 2;
      uint32_t v = p[0] | (p[1] << 8);
      out[0] = static_cast<uint8_t>(((v >> 10) & 0x1F) << 3);
      out[1] = static_cast<uint8_t>(((v >> 5) & 0x1F) << 3);
      out[2] = static_cast<uint8_t>((v & 0x1F) << 3);
    }
    if (channels_ == 4) out[3] = 255;
  }
}

}  // namespace brindlemar
