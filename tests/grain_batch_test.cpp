// Grains drawn in batches through the recording sink leave the very bytes
// that PlotGrain leaves one grain at a time: through saturation, crowds,
// borders, odd channel values and flushes of the record. Where the processor
// has no AVX2 the sink draws one by one, so the comparisons of the batch
// kernel are skipped; the record's flushes are checked either way.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "engine/grain_plot.h"
#include "engine/grain_plot_batch.h"
#include "surfaces/fade_kernel.h"
#include "support/test_window.h"

namespace brindlemar {
namespace {

using testing::TestWindow;

struct Stamp {
  int32_t dotStyle;
  int32_t x, y;
  int32_t c0, c1, c2;
};

const int32_t kDotStyles[] = {-1, 0, 1, 2, 3, 4, 9};

// Two surfaces of one size that start with the same bytes, guard rows and
// row padding included.
struct TwinSurfaces {
  TwinSurfaces(int32_t w, int32_t h, uint32_t seed) : windowA(w, h), windowB(w, h) {
    EXPECT_EQ(batched.Create(&windowA, nullptr), kOk);
    EXPECT_EQ(single.Create(&windowB, nullptr), kOk);
    std::mt19937 random(seed);
    for (size_t i = 0; i < Size(); ++i) batched.Bits()[i] = single.Bits()[i] = static_cast<uint8_t>(random());
  }

  size_t Size() const { return static_cast<size_t>(batched.Stride()) * (batched.Height() + 2); }

  // Draws the stamps in order both ways; the index of the first byte that
  // differs, or -1.
  int64_t Draw(const std::vector<Stamp>& stamps) {
    WithPixelSink(batched, [&](auto& px) {
      for (const Stamp& s : stamps) PlotGrain(px, s.dotStyle, s.x, s.y, s.c0, s.c1, s.c2);
    });
    for (const Stamp& s : stamps) PlotGrain(single, s.dotStyle, s.x, s.y, s.c0, s.c1, s.c2);
    for (size_t i = 0; i < Size(); ++i) {
      if (batched.Bits()[i] != single.Bits()[i]) return static_cast<int64_t>(i);
    }
    return -1;
  }

  TestWindow windowA, windowB;
  MemorySurface24 batched, single;
};

// The cases of the AVX2 kernel: without AVX2 they would compare the
// one-by-one path with itself.
class GrainBatchKernel : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!HasAvx2()) GTEST_SKIP() << "this processor has no AVX2";
  }
};

TEST_F(GrainBatchKernel, EverySaturatedSumScalesAsTheTableSays) {
  // One lone dot per pixel pair: the largest sum m runs over 256..510 and a
  // second channel over every sum 0..m, the roles turning between channels.
  TwinSurfaces twins(1024, 200, 1);
  std::vector<Stamp> stamps;
  int32_t k = 0;
  for (int32_t m = 256; m <= 510; ++m) {
    for (int32_t s = 0; s <= m; ++s, ++k) {
      const int32_t x = 2 + 2 * (k % 510), y = 1 + k / 510;
      int32_t start[3] = {255, s / 2, 7}, add[3] = {m - 255, s - s / 2, 0};
      uint8_t* p = twins.batched.Address(x, y);
      uint8_t* q = twins.single.Address(x, y);
      const int32_t turn = k % 3;
      for (int32_t c = 0; c < 3; ++c) p[(c + turn) % 3] = q[(c + turn) % 3] = static_cast<uint8_t>(start[c]);
      int32_t channel[3];
      for (int32_t c = 0; c < 3; ++c) channel[(c + turn) % 3] = add[c];
      stamps.push_back({0, x, y, channel[0], channel[1], channel[2]});
    }
  }
  ASSERT_LT(stamps.back().y, 199);
  EXPECT_EQ(twins.Draw(stamps), -1);
}

TEST_F(GrainBatchKernel, CrowdsAndBordersOnBrightImages) {
  struct Case {
    int32_t width, height;
  };
  // Dense enough that many batches hold neighbours; the tiny image puts
  // every grain at a border.
  const Case cases[] = {{40, 30}, {7, 5}, {64, 9}};
  for (const Case& c : cases) {
    for (int32_t style : kDotStyles) {
      SCOPED_TRACE(::testing::Message() << c.width << " x " << c.height << ", style " << style);
      TwinSurfaces twins(c.width, c.height, static_cast<uint32_t>(style + 100 * c.width));
      std::mt19937 random(static_cast<uint32_t>(style * 7 + c.height));
      std::vector<Stamp> stamps;
      for (int32_t i = 0; i < 1021; ++i) {
        const int32_t x = static_cast<int32_t>(random() % (c.width + 8)) - 4;
        const int32_t y = static_cast<int32_t>(random() % (c.height + 8)) - 4;
        stamps.push_back({style, x, y, static_cast<int32_t>(random() % 256), static_cast<int32_t>(random() % 256),
                          static_cast<int32_t>(random() % 256)});
      }
      EXPECT_EQ(twins.Draw(stamps), -1);
    }
  }
}

TEST_F(GrainBatchKernel, TwoGrainsOfABatchAtEveryNearOffset) {
  // Grains a and b at every offset that could make their patterns meet, in
  // both orders, among six grains far away: batches that must not run side
  // by side and the nearest ones that may.
  for (int32_t style : kDotStyles) {
    TwinSurfaces twins(160, 60, static_cast<uint32_t>(style + 50));
    std::vector<Stamp> stamps;
    for (int32_t dy = -8; dy <= 8; ++dy) {
      for (int32_t dx = -7; dx <= 7; ++dx) {
        for (int32_t order = 0; order < 2; ++order) {
          const Stamp a = {style, 30, 30, 250, 120, 30};
          const Stamp b = {style, 30 + dx, 30 + dy, 20, 140, 255};
          stamps.push_back(order ? b : a);
          stamps.push_back(order ? a : b);
          for (int32_t far = 0; far < 6; ++far) stamps.push_back({style, 60 + 16 * far, 30, 90, 90, 200});
        }
      }
    }
    SCOPED_TRACE(style);
    EXPECT_EQ(twins.Draw(stamps), -1);
  }
}

TEST_F(GrainBatchKernel, ChannelsBeyondAByteAreDrawnAsPlotGrainDrawsThem) {
  const int32_t odd[] = {-7, 256, 511, 100000, -100000, 1 << 24};
  for (int32_t style : kDotStyles) {
    SCOPED_TRACE(style);
    TwinSurfaces twins(100, 40, 3);
    std::vector<Stamp> stamps;
    for (int32_t i = 0; i < 64; ++i) {
      const int32_t c = i % 9 == 4 ? odd[(i / 9) % 6] : 200;
      stamps.push_back({style, 5 + 11 * (i % 8), 5 + 4 * (i / 8), 100, c, 30});
    }
    EXPECT_EQ(twins.Draw(stamps), -1);
  }
}

TEST(GrainBatch, RecordFlushesWhenFullAndWhenTheStyleChanges) {
  // More stamps than the record holds, with the style changing now and then
  // and grains drawn over each other across flushes.
  TwinSurfaces twins(300, 200, 9);
  std::mt19937 random(4);
  std::vector<Stamp> stamps;
  for (int32_t i = 0; i < 3 * GrainStamps::kCapacity + 5; ++i) {
    const int32_t style = kDotStyles[(i / 700) % 7];
    stamps.push_back({style, static_cast<int32_t>(random() % 60) + 100, static_cast<int32_t>(random() % 40) + 80,
                      static_cast<int32_t>(random() % 256), static_cast<int32_t>(random() % 256),
                      static_cast<int32_t>(random() % 256)});
  }
  EXPECT_EQ(twins.Draw(stamps), -1);
}

// Colour update and drawing of a run of grains, eight at a time through the
// recording sink, change the channels and the image exactly as the
// one-by-one loop does: both colour models, every direction of motion, and
// positions, velocities and channels at and beyond the limits of the
// conversions (NaN, infinities, 2^29, 2^31), in runs that do not end on a
// multiple of eight.
TEST_F(GrainBatchKernel, ColourAndStampsOfARunEqualTheOneByOneLoop) {
  const float inf = std::numeric_limits<float>::infinity();
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float odd[] = {nan, inf, -inf, 536870912.0f, -536870912.0f, 536870880.0f, 2147483648.0f, -2147483904.0f,
                       3e9f, -3e9f, 0.0f, -0.0f, 255.9f, -0.5f, 1e-30f};
  std::mt19937 random(21);
  std::uniform_real_distribution<float> speed(-3.0f, 3.0f), place(-20.0f, 220.0f), channel(-40.0f, 300.0f);
  for (int32_t risingGlow : {0, 1}) {
    for (int32_t dotStyle : {0, 2, 4}) {
      SCOPED_TRACE(::testing::Message() << "rising glow " << risingGlow << ", dot style " << dotStyle);
      const int32_t n = 203;
      std::vector<float> channels[2][3];
      for (auto& copy : channels) {
        for (auto& c : copy) c.resize(n);
      }
      std::vector<float> posX(n), posY(n), velX(n), velY(n);
      for (int32_t i = 0; i < n; ++i) {
        posX[i] = i % 17 == 3 ? odd[i % 15] : place(random);
        posY[i] = i % 19 == 5 ? odd[(i + 4) % 15] : place(random);
        velX[i] = i % 13 == 7 ? odd[(i + 8) % 15] : speed(random);
        velY[i] = i % 11 == 2 ? odd[(i + 2) % 15] : i % 5 == 0 ? 0.0f : speed(random);
        for (int32_t c = 0; c < 3; ++c) {
          channels[0][c][i] = channels[1][c][i] = i % 23 == 9 + c ? odd[(i + c) % 15] : channel(random);
        }
      }
      TwinSurfaces twins(200, 200, 5);
      GrainColorPass pass[2];
      for (int32_t k = 0; k < 2; ++k) {
        GrainColorPass& p = pass[k];
        for (int32_t c = 0; c < 3; ++c) p.channels[c] = channels[k][c].data();
        p.a = p.channels[2];
        p.b = p.channels[0];
        p.c = p.channels[1];
        p.gainA = 0.41f;
        p.gainB = 0.37f;
        p.gainC = 0.43f;
        p.downFactor = 1.0f;
        p.upFactor = 0.0f;
        p.rateA = 0.02f;
        p.rateB = 0.031f;
        p.rateC = 0.017f;
        p.risingGlow = risingGlow;
        p.colorMax = 231;
      }
      const GrainDrawFrame draw = {dotStyle, 1, 0, 100, 100, nullptr, nullptr};
      WithPixelSink(twins.batched, [&](auto& px) {
        ColorAndDrawGrains(px, pass[0], draw, posX.data(), posY.data(), velX.data(), velY.data(), 0, 100);
        ColorAndDrawGrains(px, pass[0], draw, posX.data(), posY.data(), velX.data(), velY.data(), 100, n);
      });
      VirtualPixels single(twins.single);
      ColorAndDrawGrains(single, pass[1], draw, posX.data(), posY.data(), velX.data(), velY.data(), 0, n);
      for (int32_t c = 0; c < 3; ++c) {
        EXPECT_EQ(std::memcmp(channels[0][c].data(), channels[1][c].data(), n * sizeof(float)), 0) << c;
      }
      for (size_t i = 0; i < twins.Size(); ++i) ASSERT_EQ(twins.batched.Bits()[i], twins.single.Bits()[i]) << i;
    }
  }
}

}  // namespace
}  // namespace brindlemar
