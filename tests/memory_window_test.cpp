#include <gtest/gtest.h>

#include <string>

#include "surfaces/draw_surface.h"
#include "surfaces/heap_frame_image.h"
#include "surfaces/memory_window.h"

namespace brindlemar {
namespace {

struct Rgb {
  uint8_t r, g, b;
  bool operator==(const Rgb&) const = default;
};

// A pixel of the window's copy; with an alpha channel that must be opaque.
Rgb At(const MemoryWindow& window, int32_t x, int32_t y) {
  const size_t channels = static_cast<size_t>(window.Channels());
  const uint8_t* p = window.Rgb().data() + (static_cast<size_t>(y) * window.Width() + x) * channels;
  if (channels == 4) {
    EXPECT_EQ(p[3], 255) << x << "," << y;
  }
  return {p[0], p[1], p[2]};
}

// A surface drawn through AddPixel comes out of the window top-down in red,
// green, blue order (and an opaque alpha, as the web page's canvas takes
// it), for both memory kinds, with and without trails.
TEST(MemoryWindow, ShowsSurfacePixelsTopDownAsRgb) {
  struct Case {
    bool sixteen;
    Rgb first, second;
  };
  const Case cases[] = {
      {false, {200, 100, 50}, {1, 2, 3}},
      {true, {200, 96, 48}, {0, 0, 0}},  // 5 bits a channel
  };
  auto check = [](const Case& c, int32_t channels, int32_t trailLength) {
    MemoryWindow window(5, 4, nullptr, channels);
    MemorySurface24 s24;
    MemorySurface16 s16;
    DrawSurface& surface = c.sixteen ? static_cast<DrawSurface&>(s16) : s24;
    ASSERT_EQ(surface.Create(&window, nullptr), kOk);
    surface.SetFade(trailLength, 0);
    surface.AddPixel(1, 1, 50, 100, 200);  // blue, green, red
    surface.AddPixel(4, 3, 3, 2, 1);
    EXPECT_EQ(window.ShownFrames(), 0u);
    surface.Present(&window);
    EXPECT_EQ(window.ShownFrames(), 1u);
    EXPECT_EQ(At(window, 1, 1), c.first);
    EXPECT_EQ(At(window, 4, 3), c.second);
    EXPECT_EQ(At(window, 0, 0), (Rgb{0, 0, 0}));
    EXPECT_EQ(At(window, 1, 2), (Rgb{0, 0, 0}));
  };
  for (const Case& c : cases) {
    for (int32_t channels : {3, 4}) {
      for (int32_t trailLength : {-1, 50}) {
        SCOPED_TRACE(std::to_string(channels) + " channels, trails " + std::to_string(trailLength));
        check(c, channels, trailLength);
      }
    }
  }
}

TEST(MemoryWindow, ShowClipsToTheWindowAndBlanksTheRest) {
  for (int32_t channels : {3, 4}) {
    SCOPED_TRACE(std::to_string(channels) + " channels");
    MemoryWindow window(3, 3, nullptr, channels);
    BitmapHeader header;
    header.width = 4;
    header.height = 4 + 2;
    header.bitCount = 24;
    auto image = window.CreateFrameImage(header);
    ASSERT_NE(image, nullptr);
    uint32_t stride = RowStride(4, 24);
    // Every visible byte 255, the guard rows 7: the guard must never show.
    std::fill(image->Bits(), image->Bits() + stride * 4, uint8_t{255});
    std::fill(image->Bits() + stride * 4, image->Bits() + stride * 6, uint8_t{7});
    window.Show(*image, header, 4, 4);
    for (int32_t y = 0; y < 3; ++y) {
      for (int32_t x = 0; x < 3; ++x) EXPECT_EQ(At(window, x, y), (Rgb{255, 255, 255}));
    }
    window.Show(*image, header, 2, 1);
    EXPECT_EQ(At(window, 1, 0), (Rgb{255, 255, 255}));
    EXPECT_EQ(At(window, 2, 0), (Rgb{0, 0, 0}));
    EXPECT_EQ(At(window, 0, 1), (Rgb{0, 0, 0}));
    window.Show(*image, header, -5, 99);  // nothing to copy, nothing read
    EXPECT_EQ(At(window, 0, 0), (Rgb{0, 0, 0}));
    EXPECT_EQ(At(window, 2, 2), (Rgb{0, 0, 0}));
  }
}

TEST(MemoryWindow, ReportsItsSize) {
  MemoryWindow window(640, 480);
  int32_t w = 0, h = 0;
  EXPECT_EQ(window.GetClientSize(w, h), kOk);
  EXPECT_EQ(w, 640);
  EXPECT_EQ(h, 480);
  EXPECT_EQ(window.Rgb().size(), 640u * 480u * 3u);
}

}  // namespace
}  // namespace brindlemar
