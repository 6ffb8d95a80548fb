#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <random>
#include <vector>

#include "support/test_window.h"
#include "surfaces/draw_surface.h"
#include "surfaces/heap_frame_image.h"
#include "surfaces/memory_window.h"

namespace brindlemar {
namespace {

using testing::TestWindow;

class DrawSurfaceTest : public ::testing::Test {
 protected:
  template <class Surface>
  std::unique_ptr<Surface> Make(TestWindow& window) {
    auto surface = std::make_unique<Surface>();
    EXPECT_EQ(surface->Create(&window, nullptr), kOk);
    return surface;
  }
};

// Everything the image owns, the two guard rows included.
size_t AllBytes(const DrawSurface& s) { return static_cast<size_t>(s.Stride()) * (s.Height() + 2); }

std::vector<uint8_t> Snapshot(const DrawSurface& s) { return {s.Bits(), s.Bits() + AllBytes(s)}; }

void FillPattern(DrawSurface& s) {
  for (size_t i = 0; i < AllBytes(s); ++i) s.Bits()[i] = static_cast<uint8_t>(i * 37 + 11);
}

uint8_t Scaled(uint32_t byte, int32_t multiplier) { return static_cast<uint8_t>((byte * multiplier) >> 8); }

TEST_F(DrawSurfaceTest, ConstructedSurfaceIsReset) {
  MemorySurface24 s;
  EXPECT_EQ(s.FadeLevel(), -1);
  EXPECT_EQ(s.FadeSpacing(), 0);
  EXPECT_EQ(s.Bits(), nullptr);
  EXPECT_EQ(s.ByteFadeTable(), nullptr);
  EXPECT_EQ(s.PairFadeTable(), nullptr);
  EXPECT_EQ(s.ImageSize(), 0u);
}

TEST_F(DrawSurfaceTest, SetFadeBuildsTablesForEachLevel) {
  struct Case {
    int32_t level;
    int32_t dither;
    int32_t multiplier;
    int32_t spacing;
  };
  const Case cases[] = {
      {1, 1, 51, 2},     {1, 0, 136, 1},   {10, 1, 136, 2}, {10, 0, 191, 1},  {30, 1, 188, 3},
      {30, 0, 219, 1},   {50, 1, 214, 6},  {50, 0, 234, 1}, {92, 1, 249, 15}, {92, 0, 250, 1},
      {100, 1, 254, 18}, {100, 0, 254, 1}, {0, 1, 0, 2},    {0, 0, 0, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << "level " << c.level << " dither " << c.dither);
    FadeSetting f = ComputeFade(c.level, c.dither);
    EXPECT_EQ(f.multiplier, c.multiplier);
    EXPECT_EQ(f.spacing, c.spacing);

    MemorySurface24 s;
    s.SetFade(c.level, c.dither);
    EXPECT_EQ(s.FadeLevel(), c.multiplier);
    EXPECT_EQ(s.FadeSpacing(), c.spacing);
    const uint8_t* bytes = s.ByteFadeTable();
    const uint16_t* pairs = s.PairFadeTable();
    ASSERT_NE(bytes, nullptr);
    ASSERT_NE(pairs, nullptr);
    for (uint32_t i = 0; i < 256; ++i) ASSERT_EQ(bytes[i], Scaled(i, c.multiplier)) << i;
    for (uint32_t u = 0; u < 65536; ++u) {
      uint16_t want = static_cast<uint16_t>((Scaled(u >> 8, c.multiplier) << 8) | Scaled(u & 0xFF, c.multiplier));
      ASSERT_EQ(pairs[u], want) << u;
    }
  }
}

TEST_F(DrawSurfaceTest, SetFadeRebuildsOnlyForANewMultiplier) {
  MemorySurface24 s;
  s.SetFade(92, 1);
  const uint8_t* bytes = s.ByteFadeTable();
  const uint16_t* pairs = s.PairFadeTable();

  s.SetFade(92, 1);
  EXPECT_EQ(s.ByteFadeTable(), bytes);
  EXPECT_EQ(s.PairFadeTable(), pairs);

  // Level 100 has the same multiplier with and without dither: only the
  // spacing changes.
  s.SetFade(100, 1);
  bytes = s.ByteFadeTable();
  pairs = s.PairFadeTable();
  s.SetFade(100, 0);
  EXPECT_EQ(s.FadeSpacing(), 1);
  EXPECT_EQ(s.FadeLevel(), 254);
  EXPECT_EQ(s.ByteFadeTable(), bytes);
  EXPECT_EQ(s.PairFadeTable(), pairs);

  // Fading off keeps the tables and the spacing.
  s.SetFade(-1, 1);
  EXPECT_EQ(s.FadeLevel(), -1);
  EXPECT_EQ(s.FadeSpacing(), 1);
  EXPECT_EQ(s.ByteFadeTable(), bytes);
  EXPECT_EQ(s.PairFadeTable(), pairs);

  s.SetFade(50, 0);
  EXPECT_EQ(s.FadeLevel(), 234);
  EXPECT_EQ(s.ByteFadeTable()[255], Scaled(255, 234));
}

TEST_F(DrawSurfaceTest, FadeOffLeavesImageUnchanged) {
  for (int32_t dither : {0, 1}) {
    TestWindow window(7, 5);
    auto s = Make<MemorySurface24>(window);
    FillPattern(*s);
    std::vector<uint8_t> before = Snapshot(*s);
    s->Fade();  // never set
    EXPECT_EQ(Snapshot(*s), before);
    s->SetFade(50, dither);
    s->SetFade(-1, dither);
    s->Fade();
    EXPECT_EQ(Snapshot(*s), before);
  }
}

TEST_F(DrawSurfaceTest, DenseFadeScalesEveryImageByteAndNoGuardByte) {
  struct Case {
    int32_t width;
    int32_t height;
    int32_t level;
  };
  // Width 5 has a padding byte per row: it is scaled like the rest.
  for (const Case& c : {Case{5, 3, 92}, Case{4, 2, 1}, Case{3, 3, 0}}) {
    SCOPED_TRACE(::testing::Message() << c.width << "x" << c.height << " level " << c.level);
    TestWindow window(c.width, c.height);
    auto s = Make<MemorySurface24>(window);
    FillPattern(*s);
    std::vector<uint8_t> before = Snapshot(*s);
    s->SetFade(c.level, 0);
    s->Fade();
    int32_t m = s->FadeLevel();
    for (size_t i = 0; i < before.size(); ++i) {
      uint8_t want = i < s->ImageSize() ? Scaled(before[i], m) : before[i];
      ASSERT_EQ(s->Bits()[i], want) << i;
    }
  }
}

TEST_F(DrawSurfaceTest, DitheredFadeStaysInsideTheGuardRows) {
  // The heap image is exactly stride x (height + 2) bytes, so under
  // AddressSanitizer a write past the guard rows is caught.
  bool touchedGuard = false;
  for (int32_t level : {1, 30, 100}) {
    for (int32_t width = 1; width <= 9; ++width) {
      for (int32_t height = 1; height <= 4; ++height) {
        SCOPED_TRACE(::testing::Message() << width << "x" << height << " level " << level);
        TestWindow window(width, height);
        auto s = Make<MemorySurface24>(window);
        ASSERT_EQ(RowStride(window.lastHeader.width, window.lastHeader.bitCount) * window.lastHeader.height,
                  AllBytes(*s));
        std::fill(s->Bits(), s->Bits() + AllBytes(*s), 0xFF);
        s->SetFade(level, 1);
        for (int frame = 0; frame < 40; ++frame) s->Fade();
        const uint8_t* guard = s->Bits() + s->ImageSize();
        touchedGuard |= guard[0] != 0xFF || guard[1] != 0xFF;
        for (size_t i = 2; i < 2 * s->Stride(); ++i) ASSERT_EQ(guard[i], 0xFF) << i;
      }
    }
  }
  EXPECT_TRUE(touchedGuard);
}

TEST_F(DrawSurfaceTest, DitheredFadeScalesSomeTriplesByTheByteTable) {
  // 200 x 70 pixels make 42000 bytes: two chunks of random steps.
  TestWindow window(200, 70);
  auto s = Make<MemorySurface24>(window);
  ASSERT_EQ(s->ImageSize(), 42000u);
  std::fill(s->Bits(), s->Bits() + AllBytes(*s), 200);
  QuickRandom random;
  s->SetFadeRandom(random);
  s->SetFade(92, 1);
  const int32_t spacing = s->FadeSpacing();
  const uint8_t faded = Scaled(200, s->FadeLevel());
  ASSERT_NE(faded, 200);
  s->Fade();

  // Faded bytes come as whole triples from the first byte on, one triple
  // then a gap of 1..spacing triples.
  std::vector<uint32_t> starts;
  for (uint32_t at = 0; at < s->ImageSize(); at += 3) {
    uint8_t b0 = s->Bits()[at];
    ASSERT_TRUE(b0 == 200 || b0 == faded) << at;
    for (uint32_t k = 1; k < 3 && at + k < s->ImageSize() + 2; ++k) ASSERT_EQ(s->Bits()[at + k], b0) << at + k;
    if (b0 == faded) starts.push_back(at);
  }
  ASSERT_FALSE(starts.empty());
  EXPECT_EQ(starts.front(), 0u);
  for (size_t i = 1; i < starts.size(); ++i) {
    uint32_t gap = (starts[i] - starts[i - 1]) / 3 - 1;
    ASSERT_GE(gap, 1u) << starts[i];
    ASSERT_LE(gap, static_cast<uint32_t>(spacing)) << starts[i];
  }
  EXPECT_GE(starts.back() + 3 + 3 * spacing, s->ImageSize());

  // The walk draws 64 steps and a start index per chunk from the generator
  // it was handed, nothing per pixel.
  QuickRandom replay;
  std::vector<uint32_t> want;
  uint32_t at = 0;
  while (at < s->ImageSize()) {
    uint32_t end = std::min<uint32_t>(at + 36000, s->ImageSize());
    int32_t steps[64];
    for (int32_t& step : steps) step = (replay.Next() % spacing + 1) * 3;
    int32_t index = replay.Next() % 64;
    for (; at < end; ++index) {
      want.push_back(at);
      at += 3 + steps[index % 64];
    }
  }
  EXPECT_EQ(starts, want);
  EXPECT_EQ(random.state, replay.state);
}

TEST_F(DrawSurfaceTest, SixteenBitSurfaceNeverFades) {
  for (int32_t dither : {0, 1}) {
    TestWindow window(6, 4);
    auto s = Make<MemorySurface16>(window);
    FillPattern(*s);
    std::vector<uint8_t> before = Snapshot(*s);
    s->SetFade(50, dither);
    s->Fade();
    EXPECT_EQ(Snapshot(*s), before);
  }
}

TEST_F(DrawSurfaceTest, AddPixel24KeepsHueWhenSaturating) {
  struct Case {
    int32_t start[3];  // blue, green, red
    int32_t add[3];
    uint32_t want;  // 0x00RRGGBB
  };
  const Case cases[] = {
      {{100, 100, 100}, {200, 100, 50}, 0x007FAAFF},
      {{10, 20, 30}, {1, 2, 3}, 0x0021160B},
      {{0, 0, 0}, {1000, 500, 0}, 0x00007FFF},
      {{255, 255, 255}, {0, 0, 0}, 0x00FFFFFF},
      {{0, 0, 0}, {0, 0, 256}, 0x00FF0000},
  };
  for (const Case& c : cases) {
    TestWindow window(4, 4);
    auto s = Make<MemorySurface24>(window);
    s->AddPixel(2, 1, c.start[0], c.start[1], c.start[2]);
    s->AddPixel(2, 1, c.add[0], c.add[1], c.add[2]);
    EXPECT_EQ(s->GetPixel(2, 1), c.want);
  }
}

TEST_F(DrawSurfaceTest, AddPixel16PacksFiveBitChannels) {
  TestWindow window(4, 4);
  auto s = Make<MemorySurface16>(window);
  s->AddPixel(1, 1, 8, 0, 255);
  const uint8_t* p = s->Bits() + (4 - 1 - 1) * s->Stride() + 1 * 2;
  EXPECT_EQ(p[0] | (p[1] << 8), 0x7C01);
  EXPECT_EQ(s->GetPixel(1, 1), 0x00F80008u);

  // The stored channels are read back at 8 bits and added to again.
  s->AddPixel(1, 1, 16, 40, 0);
  EXPECT_EQ(s->GetPixel(1, 1), 0x00F82818u);
  s->AddPixel(1, 1, 0, 0, 100);  // red saturates, the rest scale with it
  EXPECT_EQ(s->GetPixel(1, 1), 0x00F81810u);
}

template <class Surface>
void ExpectWritableAreaOnly() {
  TestWindow window(5, 4);
  Surface s;
  ASSERT_EQ(s.Create(&window, nullptr), kOk);
  const int32_t outside[][2] = {{0, 1}, {1, 0}, {0, 0}, {5, 1}, {1, 4}, {-1, 2}, {2, -1}, {5, 4}};
  for (const auto& xy : outside) s.AddPixel(xy[0], xy[1], 50, 60, 70);
  std::vector<uint8_t> image = Snapshot(s);
  EXPECT_TRUE(std::all_of(image.begin(), image.end(), [](uint8_t b) { return b == 0; }));

  // Pixel memory at column 0 and row 0 is never read back either.
  std::fill(s.Bits(), s.Bits() + AllBytes(s), 0xFF);
  for (const auto& xy : outside) EXPECT_EQ(s.GetPixel(xy[0], xy[1]), 0u) << xy[0] << "," << xy[1];
  EXPECT_NE(s.GetPixel(4, 3), 0u);
}

TEST_F(DrawSurfaceTest, OnlyTheWritableAreaIsWrittenOrRead) {
  ExpectWritableAreaOnly<MemorySurface24>();
  ExpectWritableAreaOnly<MemorySurface16>();
}

TEST_F(DrawSurfaceTest, ImageIsBottomUp) {
  const int32_t w = 5, h = 4;
  {
    TestWindow window(w, h);
    auto s = Make<MemorySurface24>(window);
    for (int32_t y = 1; y < h; ++y)
      for (int32_t x = 1; x < w; ++x) s->AddPixel(x, y, x * 10 + y, 100 + x, 200 + y);
    for (int32_t y = 1; y < h; ++y) {
      for (int32_t x = 1; x < w; ++x) {
        const uint8_t* p = s->Bits() + (h - y - 1) * s->Stride() + x * 3;
        EXPECT_EQ(p[0], x * 10 + y);
        EXPECT_EQ(p[1], 100 + x);
        EXPECT_EQ(p[2], 200 + y);
        EXPECT_EQ(s->GetPixel(x, y), static_cast<uint32_t>(((200 + y) << 16) | ((100 + x) << 8) | (x * 10 + y)));
      }
    }
  }
  {
    TestWindow window(w, h);
    auto s = Make<MemorySurface16>(window);
    for (int32_t y = 1; y < h; ++y)
      for (int32_t x = 1; x < w; ++x) s->AddPixel(x, y, x * 8, y * 8, (x + y) * 8);
    for (int32_t y = 1; y < h; ++y) {
      for (int32_t x = 1; x < w; ++x) {
        const uint8_t* p = s->Bits() + (h - y - 1) * s->Stride() + x * 2;
        EXPECT_EQ(p[0] | (p[1] << 8), ((x + y) << 10) | (y << 5) | x);
      }
    }
  }
}

TEST_F(DrawSurfaceTest, StrideAndHeaderFollowTheDepth) {
  struct Case {
    int32_t width;
    int32_t bits;
    uint32_t stride;
  };
  const Case cases[] = {{1, 24, 4}, {1, 16, 4}, {5, 24, 16}, {5, 16, 12}, {4, 24, 12}, {2, 16, 4}};
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << "width " << c.width << " bits " << c.bits);
    TestWindow window(c.width, 3);
    std::unique_ptr<DrawSurface> s = c.bits == 24 ? std::unique_ptr<DrawSurface>(new MemorySurface24)
                                                  : std::unique_ptr<DrawSurface>(new MemorySurface16);
    ASSERT_EQ(s->Create(&window, nullptr), kOk);
    EXPECT_EQ(s->Stride(), c.stride);
    EXPECT_EQ(s->Width(), c.width);
    EXPECT_EQ(s->Height(), 3);
    EXPECT_EQ(s->ImageSize(), c.stride * 3);

    const BitmapHeader& hdr = window.lastHeader;
    EXPECT_EQ(hdr.size, 40);
    EXPECT_EQ(hdr.width, c.width);
    EXPECT_EQ(hdr.height, 5);
    EXPECT_EQ(hdr.planes, 1);
    EXPECT_EQ(hdr.bitCount, c.bits);
    EXPECT_EQ(hdr.compression, c.bits == 16 ? 3 : 0);
    EXPECT_EQ(hdr.masks[0], c.bits == 16 ? 0x7C00u : 0u);
    EXPECT_EQ(hdr.masks[1], c.bits == 16 ? 0x03E0u : 0u);
    EXPECT_EQ(hdr.masks[2], c.bits == 16 ? 0x001Fu : 0u);
  }
}

TEST_F(DrawSurfaceTest, SecondCreateIsRefusedAndKeepsTheSurface) {
  TestWindow window(6, 5);
  auto s = Make<MemorySurface24>(window);
  s->AddPixel(3, 2, 1, 2, 3);
  uint8_t* bits = s->Bits();
  TestWindow other(9, 9);
  EXPECT_EQ(s->Create(&other, nullptr), kUnexpected);
  EXPECT_EQ(s->Bits(), bits);
  EXPECT_EQ(s->Width(), 6);
  EXPECT_EQ(s->Height(), 5);
  EXPECT_EQ(s->GetPixel(3, 2), 0x00030201u);
}

TEST_F(DrawSurfaceTest, CreateFailuresLeaveAResetSurface) {
  MemorySurface24 s;
  EXPECT_EQ(s.Create(nullptr, nullptr), kInvalidArg);

  TestWindow window(6, 5);
  for (ResultCode code : {kInvalidArg, kFail}) {
    window.sizeResult = code;
    EXPECT_EQ(s.Create(&window, nullptr), code);
    EXPECT_EQ(s.Bits(), nullptr);
  }
  window.sizeResult = kOk;

  window.refuseImage = true;
  s.SetFade(50, 1);
  EXPECT_EQ(s.Create(&window, nullptr), kFail);
  EXPECT_EQ(s.Bits(), nullptr);
  EXPECT_EQ(s.Width(), 0);
  EXPECT_EQ(s.Height(), 0);
  EXPECT_EQ(s.Stride(), 0u);
  EXPECT_EQ(s.ImageSize(), 0u);
  EXPECT_EQ(s.FadeLevel(), -1);
  EXPECT_EQ(s.FadeSpacing(), 0);
  EXPECT_EQ(s.ByteFadeTable(), nullptr);
  s.Clear();
  s.Fade();
  s.AddPixel(1, 1, 10, 10, 10);
  EXPECT_EQ(s.GetPixel(1, 1), 0u);

  window.refuseImage = false;
  EXPECT_EQ(s.Create(&window, nullptr), kOk);
  EXPECT_NE(s.Bits(), nullptr);
}

TEST_F(DrawSurfaceTest, DestroyAllowsCreatingAgain) {
  TestWindow small(3, 3);
  MemorySurface16 s;
  ASSERT_EQ(s.Create(&small, nullptr), kOk);
  s.SetFade(30, 1);
  s.Destroy();
  EXPECT_EQ(s.Bits(), nullptr);
  EXPECT_EQ(s.FadeLevel(), -1);
  EXPECT_EQ(s.PairFadeTable(), nullptr);

  TestWindow large(8, 6);
  ASSERT_EQ(s.Create(&large, nullptr), kOk);
  EXPECT_EQ(s.Width(), 8);
  EXPECT_EQ(s.Height(), 6);
  s.AddPixel(7, 5, 255, 255, 255);
  EXPECT_EQ(s.GetPixel(7, 5), 0x00F8F8F8u);
}

TEST_F(DrawSurfaceTest, ClearBlanksTheImageButNotTheGuardRows) {
  TestWindow window(5, 3);
  auto s = Make<MemorySurface24>(window);
  std::fill(s->Bits(), s->Bits() + AllBytes(*s), 0xAB);
  s->Clear();
  for (size_t i = 0; i < AllBytes(*s); ++i) ASSERT_EQ(s->Bits()[i], i < s->ImageSize() ? 0 : 0xAB) << i;
}

// Showing and fading in one pass shows the picture as it was before the fade
// and leaves the image as Present and then Fade do, with the same random
// draws: dense and dithered, over images that span several chunks of the
// dithered walk, rows with and without padding, and a window of its own.
TEST_F(DrawSurfaceTest, PresentAndFadeInOnePassEqualsPresentThenFade) {
  struct Case {
    int32_t width, height, level, dither;
  };
  const Case cases[] = {{200, 90, 92, 0}, {200, 90, 92, 1}, {201, 131, 30, 1}, {37, 5, 100, 1},
                        {37, 5, 1, 0},    {1, 1, 50, 1},    {333, 77, 10, 1},  {64, 300, 0, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.width << "x" << c.height << " level " << c.level << " dither "
                                      << c.dither);
    MemoryWindow twoCalls(c.width, c.height), onePass(c.width, c.height);
    MemorySurface24 a, b;
    ASSERT_EQ(a.Create(&twoCalls, nullptr), kOk);
    ASSERT_EQ(b.Create(&onePass, nullptr), kOk);
    for (size_t i = 0; i < AllBytes(a); ++i) a.Bits()[i] = b.Bits()[i] = static_cast<uint8_t>(i * 131 + i / 7);
    a.SetFade(c.level, c.dither);
    b.SetFade(c.level, c.dither);
    QuickRandom randomA, randomB;
    a.SetFadeRandom(randomA);
    b.SetFadeRandom(randomB);
    for (int32_t frame = 0; frame < 3; ++frame) {
      randomA.state = randomB.state = 12345u + static_cast<uint32_t>(frame);
      a.Present(&twoCalls);
      a.Fade();
      b.PresentAndFade(&onePass);
      EXPECT_EQ(randomB.state, randomA.state) << frame;
      EXPECT_EQ(onePass.Rgb(), twoCalls.Rgb()) << frame;
      EXPECT_EQ(Snapshot(b), Snapshot(a)) << frame;
    }
    EXPECT_EQ(onePass.ShownFrames(), 3u);
  }
}

// The dithered fade of a picture that is black but for scattered light and
// a few lit stretches fades exactly the triples the plain walk fades, both
// on its own and shown in one pass, whatever stretches of black it crosses
// in one go.
TEST_F(DrawSurfaceTest, DitheredFadeOverMostlyBlackEqualsThePlainWalk) {
  for (int32_t level : {10, 50, 92, 100}) {
    SCOPED_TRACE(level);
    MemoryWindow window(300, 170);
    MemorySurface24 s;
    ASSERT_EQ(s.Create(&window, nullptr), kOk);
    std::mt19937 random(static_cast<uint32_t>(level));
    std::fill(s.Bits(), s.Bits() + AllBytes(s), 0);
    for (uint32_t at = 0; at < s.ImageSize(); ++at) {
      const bool lit = random() % 97 == 0 || (at > 40000 && at < 40400) || (at > 90000 && at < 90007);
      if (lit) s.Bits()[at] = static_cast<uint8_t>(random() | 1);
    }
    s.SetFade(level, 1);
    QuickRandom fadeRandom;
    s.SetFadeRandom(fadeRandom);
    std::vector<uint8_t> expected = Snapshot(s);
    const uint8_t* table = s.ByteFadeTable();
    for (int32_t frame = 0; frame < 2; ++frame) {
      QuickRandom replay = fadeRandom;
      for (uint32_t at = 0; at < s.ImageSize();) {
        const uint32_t end = std::min<uint32_t>(at + 36000, s.ImageSize());
        int32_t steps[64];
        for (int32_t& step : steps) step = (replay.Next() % s.FadeSpacing() + 1) * 3;
        for (int32_t index = replay.Next() % 64; at < end; ++index) {
          for (uint32_t k = 0; k < 3; ++k) expected[at + k] = table[expected[at + k]];
          at += 3 + steps[index % 64];
        }
      }
      if (frame == 0) {
        s.Fade();
      } else {
        s.PresentAndFade(&window);
      }
      ASSERT_EQ(Snapshot(s), expected) << "frame " << frame;
      EXPECT_EQ(fadeRandom.state, replay.state);
    }
  }
}

// Part by part, the dithered walk fades a triple only once all of its bytes
// lie below the end it was given, and the parts add up to one whole fade.
TEST_F(DrawSurfaceTest, TrailFadeInPartsKeepsToTheirEnds) {
  const uint32_t size = 3 * 36000 + 600;
  const uint8_t kUntouched = 200;
  for (int32_t spacing : {1, 2, 18}) {
    SCOPED_TRACE(spacing);
    std::vector<uint8_t> whole(size + 2, kUntouched), parts(size + 2, kUntouched);
    uint8_t table[256];
    for (int32_t i = 0; i < 256; ++i) table[i] = static_cast<uint8_t>(i / 2);
    QuickRandom forWhole, forParts;
    forWhole.state = forParts.state = 99;
    TrailFade(whole.data(), size, 128, spacing, table, forWhole).Finish();
    TrailFade fade(parts.data(), size, 128, spacing, table, forParts);
    for (uint32_t end : {0u, 1u, 2u, 3u, 5u, 4000u, 35999u, 36000u, 36001u, 72002u, 100000u, size - 1}) {
      fade.Through(end);
      for (uint32_t at = end; at < size + 2; ++at) ASSERT_EQ(parts[at], kUntouched) << "end " << end << ", " << at;
    }
    fade.Finish();
    EXPECT_EQ(parts, whole);
  }
}

TEST_F(DrawSurfaceTest, PresentShowsTheImageInTheWindow) {
  TestWindow window(5, 3);
  MemorySurface24 s;
  s.Present(&window);
  EXPECT_EQ(window.shows, 0);
  ASSERT_EQ(s.Create(&window, nullptr), kOk);
  s.Present(&window);
  EXPECT_EQ(window.shows, 1);
}

}  // namespace
}  // namespace brindlemar

namespace brindlemar {
namespace {

// The saturation rule on its own, including sums no pixel addition of the
// engine makes (negative, or beyond two full bytes): those take the plain
// formula, with negative channels held at 0.
TEST(SaturateAdd, KeepsHueAndHandlesOutOfRangeSums) {
  struct Case {
    int32_t in[3];
    int32_t out[3];
  };
  const Case cases[] = {
      {{10, 20, 30}, {10, 20, 30}},
      {{255, 255, 255}, {255, 255, 255}},
      {{300, 200, 150}, {255, 170, 127}},
      {{510, 255, 0}, {255, 127, 0}},
      {{1020, 510, 0}, {255, 127, 0}},
      {{-5, 100, 0}, {0, 254, 0}},  // 100 * (255.0 / 100) rounds just below 255
      {{-5, 300, 10}, {0, 255, 8}},
      {{-5, -1, 0}, {0, 0, 0}},
  };
  for (const Case& c : cases) {
    int32_t b = c.in[0], g = c.in[1], r = c.in[2];
    SaturateAdd(b, g, r);
    EXPECT_EQ(b, c.out[0]) << c.in[0] << "," << c.in[1] << "," << c.in[2];
    EXPECT_EQ(g, c.out[1]);
    EXPECT_EQ(r, c.out[2]);
  }
  // Every tabled scale is the division itself.
  for (int32_t m = 256; m <= kMaxTabledSum; ++m) ASSERT_EQ(kSaturationScale.value[m], 255.0 / m);
}

}  // namespace
}  // namespace brindlemar
