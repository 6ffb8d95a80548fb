#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "platform/posix/x11/pixel_format.h"

namespace brindlemar::x11 {
namespace {

// A bottom-up memory surface image of width x height visible pixels and its
// two guard rows, filled through Set.
struct Frame {
  Frame(int32_t width, int32_t height, int32_t bits) {
    header.width = width;
    header.height = height + 2;
    header.bitCount = static_cast<int16_t>(bits);
    if (bits == 16) {
      header.compression = 3;
      header.masks[0] = 0x7C00;
      header.masks[1] = 0x03E0;
      header.masks[2] = 0x001F;
    }
    pixels.assign(RowStride(width, bits) * static_cast<size_t>(height + 2), 0);
  }

  // Top-down coordinates of the visible picture; 8-bit channels, cut to 5
  // bits for the 16-bit image.
  void Set(int32_t x, int32_t y, uint8_t r, uint8_t g, uint8_t b) {
    const size_t stride = RowStride(header.width, header.bitCount);
    uint8_t* row = pixels.data() + static_cast<size_t>(header.height - 3 - y) * stride;
    if (header.bitCount == 24) {
      row[x * 3] = b;
      row[x * 3 + 1] = g;
      row[x * 3 + 2] = r;
    } else {
      const uint32_t v = ((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3);
      row[x * 2] = static_cast<uint8_t>(v);
      row[x * 2 + 1] = static_cast<uint8_t>(v >> 8);
    }
  }

  BitmapHeader header;
  std::vector<uint8_t> pixels;
};

uint32_t PixelAt(const std::vector<uint8_t>& out, size_t stride, int32_t bytes, bool msbFirst, int32_t x, int32_t y) {
  const uint8_t* p = out.data() + static_cast<size_t>(y) * stride + static_cast<size_t>(x * bytes);
  uint32_t v = 0;
  for (int32_t k = 0; k < bytes; ++k) v |= uint32_t{p[msbFirst ? bytes - 1 - k : k]} << (8 * k);
  return v;
}

TEST(X11PixelFormat, ChannelsGoUnderTheVisualsMasks) {
  struct Case {
    const char* name;
    PixelLayout layout;
    uint32_t white, orange, black;  // 255,255,255; 255,128,0; 0,0,0
  };
  const Case cases[] = {
      {"24 in 32 bits", {0xFF0000, 0x00FF00, 0x0000FF, 0, 4, false}, 0xFFFFFF, 0xFF8000, 0},
      {"32-bit ARGB", {0xFF0000, 0x00FF00, 0x0000FF, 0xFF000000, 4, false}, 0xFFFFFFFF, 0xFFFF8000, 0xFF000000},
      {"big-endian", {0xFF0000, 0x00FF00, 0x0000FF, 0, 4, true}, 0xFFFFFF, 0xFF8000, 0},
      {"blue first", {0x0000FF, 0x00FF00, 0xFF0000, 0, 4, false}, 0xFFFFFF, 0x0080FF, 0},
      {"24 bits packed", {0xFF0000, 0x00FF00, 0x0000FF, 0, 3, false}, 0xFFFFFF, 0xFF8000, 0},
      {"5-6-5", {0xF800, 0x07E0, 0x001F, 0, 2, false}, 0xFFFF, 0xFC00, 0},
      {"10-bit", {0x3FF00000, 0x000FFC00, 0x000003FF, 0, 4, false}, 0x3FCFF3FC, 0x3FC80000, 0},
  };
  Frame frame(3, 2, 24);
  frame.Set(0, 0, 255, 255, 255);
  frame.Set(1, 0, 255, 128, 0);
  for (const Case& c : cases) {
    const int32_t n = c.layout.bytesPerPixel;
    const size_t stride = static_cast<size_t>(3 * n + 5);  // a padded row
    std::vector<uint8_t> out(stride * 2, 0xAA);
    ConvertFrame(frame.pixels.data(), frame.header, 3, 2, c.layout, out.data(), stride);
    EXPECT_EQ(PixelAt(out, stride, n, c.layout.msbFirst, 0, 0), c.white) << c.name;
    EXPECT_EQ(PixelAt(out, stride, n, c.layout.msbFirst, 1, 0), c.orange) << c.name;
    EXPECT_EQ(PixelAt(out, stride, n, c.layout.msbFirst, 2, 1), c.black) << c.name;
    // The row padding is left alone.
    EXPECT_EQ(out[stride - 1], 0xAA) << c.name;
  }
}

TEST(X11PixelFormat, RowsComeTopDownWithoutTheGuardRows) {
  Frame frame(2, 3, 24);
  frame.Set(0, 0, 10, 0, 0);
  frame.Set(0, 1, 20, 0, 0);
  frame.Set(0, 2, 30, 0, 0);
  // The guard rows come last in memory: mark them so that a copy of them shows.
  std::fill(frame.pixels.end() - static_cast<ptrdiff_t>(2 * RowStride(2, 24)), frame.pixels.end(), 0xFF);
  const PixelLayout layout;
  std::vector<uint8_t> out(2 * 4 * 4, 0);
  ConvertFrame(frame.pixels.data(), frame.header, 2, 4, layout, out.data(), 8);
  EXPECT_EQ(PixelAt(out, 8, 4, false, 0, 0), 10u << 16);
  EXPECT_EQ(PixelAt(out, 8, 4, false, 0, 1), 20u << 16);
  EXPECT_EQ(PixelAt(out, 8, 4, false, 0, 2), 30u << 16);
  // Asked for a fourth row that the image does not have: left untouched.
  EXPECT_EQ(PixelAt(out, 8, 4, false, 0, 3), 0u);
}

TEST(X11PixelFormat, SixteenBitFramesReadTheirBitFields) {
  Frame frame(2, 1, 16);
  frame.Set(0, 0, 255, 255, 255);
  frame.Set(1, 0, 0, 128, 8);
  std::vector<uint8_t> out(8, 0);
  ConvertFrame(frame.pixels.data(), frame.header, 2, 1, PixelLayout{}, out.data(), 8);
  // Five bits widen with their top bits repeated: full stays full.
  EXPECT_EQ(PixelAt(out, 8, 4, false, 0, 0), 0xFFFFFFu);
  EXPECT_EQ(PixelAt(out, 8, 4, false, 1, 0), (0x84u << 8) | 0x08u);
}

TEST(X11PixelFormat, NarrowerRequestsAndOtherDepthsCopyOnlyWhatFits) {
  Frame frame(4, 2, 24);
  for (int32_t x = 0; x < 4; ++x) frame.Set(x, 0, 200, 100, 50);
  std::vector<uint8_t> out(16 * 2, 0);
  ConvertFrame(frame.pixels.data(), frame.header, 2, 1, PixelLayout{}, out.data(), 16);
  EXPECT_EQ(PixelAt(out, 16, 4, false, 1, 0), 0xC86432u);
  EXPECT_EQ(PixelAt(out, 16, 4, false, 2, 0), 0u);

  frame.header.bitCount = 8;
  std::vector<uint8_t> untouched(16 * 2, 0);
  ConvertFrame(frame.pixels.data(), frame.header, 4, 2, PixelLayout{}, untouched.data(), 16);
  EXPECT_EQ(untouched, std::vector<uint8_t>(16 * 2, 0));
}

}  // namespace
}  // namespace brindlemar::x11
