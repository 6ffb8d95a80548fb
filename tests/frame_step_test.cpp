#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include "engine/process_state.h"
#include "support/field_fixture.h"

namespace brindlemar {
namespace {

using testing::FieldRig;

constexpr int32_t kW = 64;
constexpr int32_t kH = 48;

// A 64 x 48 field with `grains` grains at rest, black, no vortex in use,
// nothing drawn (no reflection) and the cushions as weak as they get in the
// middle of the screen. Grain 0 sits in the middle, the others at (5, 5), far
// enough for no collapse burst.
struct StepRig : FieldRig {
  explicit StepRig(int32_t grains = 2) : FieldRig(kW, kH, grains) {
    ParticleField& f = *field;
    f.complexity = 0;
    f.dimensionality = 1;
    f.activity = 0.01;
    f.reflectionCount = 0;
    f.dotStyle = 0;
    f.trails = 0;
    f.gravity = 0.0f;
    f.damping = f.dampingNow = 1.0f;
    Put(0, kW / 2, kH / 2, 0, 0);
    for (int32_t i = 1; i < grains; ++i) Put(i, 5, 5, 0, 0);
  }

  void Put(int32_t i, float x, float y, float vx, float vy) {
    ParticleField& f = *field;
    f.posX[i] = x;
    f.posY[i] = y;
    f.velX[i] = vx;
    f.velY[i] = vy;
    f.color0[i] = f.color1[i] = f.color2[i] = 0.0f;
  }

  void PutVortex(int32_t v, float x, float y, float vx = 0, float vy = 0) {
    ParticleField& f = *field;
    f.vortexX[v] = x;
    f.vortexY[v] = y;
    f.vortexVelX[v] = vx;
    f.vortexVelY[v] = vy;
  }

  int32_t LitPixels() const {
    int32_t lit = 0;
    for (int32_t y = 0; y < kH; ++y) {
      for (int32_t x = 0; x < kW; ++x) lit += field->surface->GetPixel(x, y) != 0;
    }
    return lit;
  }
};

float WallReach(double activity) { return static_cast<float>(1 / (0.4 * activity * 77.0)); }

float WallStiffness(int32_t w) { return static_cast<float>(((3141598.0 / (w * w)) * 1000.0) / w); }

double Push(float d, float stiffness) { return 1 / (d * d * d * stiffness + 0.5); }

TEST(FrameStep, EdgeCushionsPushTwoOnAndBeyondTheirLines) {
  struct Case {
    float x;
    float y;
    bool horizontal;  // which velocity to check
    float opposite;   // the line of the opposite cushion
    float sign;       // direction of the full push of 2
  };
  // On and beyond the lines at -35 and size + 35.
  const Case cases[] = {
      {-35.0f, kH / 2, true, kW + 35.0f, 1.0f},      {-80.0f, kH / 2, true, kW + 35.0f, 1.0f},
      {kW + 35.0f, kH / 2, true, -35.0f, -1.0f},     {kW / 2, -35.0f, false, kH + 35.0f, 1.0f},
      {kW / 2, kH + 50.0f, false, -35.0f, -1.0f},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.x << ", " << c.y);
    StepRig rig;
    ParticleField& f = *rig.field;
    f.activity = 3.62;
    rig.Put(0, c.x, c.y, 0, 0);
    f.StepFrame();
    const float reach = WallReach(f.activity), stiffness = WallStiffness(kW);
    // The full push comes first for the left and top cushions, second for
    // the right and bottom ones.
    float pos = c.horizontal ? c.x : c.y;
    double other = Push(std::fabs(pos - c.opposite) * reach, stiffness);
    EXPECT_GT(other, 0.0);
    EXPECT_LT(other, 1e-3);
    float expected =
        c.sign > 0 ? static_cast<float>(2.0f - other) : static_cast<float>(static_cast<float>(other) - 2.0);
    EXPECT_EQ(c.horizontal ? f.velX[0] : f.velY[0], expected);
  }
}

TEST(FrameStep, DampingAndGravityActOncePerVortex) {
  struct Case {
    int32_t complexity;
    int32_t applied;  // vortices that act
  };
  const Case cases[] = {{0, 0}, {1, 1}, {3, 3}, {15, 15}, {20, 15}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.complexity);
    StepRig rig;
    ParticleField& f = *rig.field;
    f.complexity = c.complexity;
    f.dampingNow = 0.9f;
    f.damping = 0.8f;
    f.gravity = 0.25f;
    // Every vortex pulls, but from far away and with a tiny reach.
    for (int32_t v = 0; v < kMaxVortices; ++v) {
      rig.PutVortex(v, 5000.0f + v, -5000.0f);
      f.vortexWeight[v] = 0.001f;
      f.vortexOffsetX[v] = f.vortexOffsetY[v] = 1.0f;
    }
    rig.Put(0, 32.0f, 24.0f, 1.0f, -0.5f);
    f.StepFrame();
    float vx = 1.0f, vy = -0.5f;
    for (int32_t k = 0; k < c.applied; ++k) {
      vx *= 0.9f;
      vy = vy * 0.8f + 0.25f;
    }
    EXPECT_EQ(f.posX[0], 33.0f);
    EXPECT_EQ(f.posY[0], 23.5f);
    EXPECT_EQ(f.velX[0], vx);
    EXPECT_EQ(f.velY[0], vy);
  }
}

TEST(FrameStep, VortexPullsGrainAtItsCentre) {
  StepRig rig;
  ParticleField& f = *rig.field;
  f.complexity = 1;
  rig.PutVortex(0, 32.0f, 24.0f);
  f.vortexWeight[0] = 10.0f;
  f.vortexOffsetX[0] = 0.5f;
  f.vortexOffsetY[0] = -0.25f;
  f.horzSquish = 2.0f;
  f.StepFrame();
  // At the centre the weight is 1; the cushions add less than a rounding step.
  EXPECT_FLOAT_EQ(f.velX[0], 1.0f);
  EXPECT_FLOAT_EQ(f.velY[0], -0.25f);
}

TEST(FrameStep, CollapseBurstNeedsAFullFieldOnOnePoint) {
  struct Case {
    int32_t live;
    float offset;  // distance of grain 3 from the others after the move
    bool burst;
  };
  // Spread is summed over all grains and compared with their count.
  const Case cases[] = {{4, 0.0f, true}, {4, 3.0f, true}, {4, 4.0f, false}, {3, 0.0f, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.live << " live, offset " << c.offset);
    StepRig rig(4);
    ParticleField& f = *rig.field;
    for (int32_t i = 0; i < 4; ++i) rig.Put(i, 29.625f, 19.5f, 0.375f, 0.5f);
    f.posX[3] += c.offset;
    f.liveGrains = c.live;
    f.StepFrame();
    for (int32_t i = 0; i < c.live; ++i) {
      EXPECT_EQ(f.posX[i], 30.0f + (i == 3 ? c.offset : 0.0f));
      double speed = std::hypot(f.velX[i], f.velY[i]);
      if (!c.burst) {
        EXPECT_NEAR(speed, 0.625, 1e-6);
        continue;
      }
      // 30 times the old speed plus up to 12, mirrored about the diagonal.
      EXPECT_GE(speed, 30 * 0.625 - 1e-4);
      EXPECT_LT(speed, 30 * 0.625 + 12);
      EXPECT_NEAR(f.velX[i] / speed, 0.8, 1e-5);
      EXPECT_NEAR(f.velY[i] / speed, 0.6, 1e-5);
    }
  }
}

TEST(FrameStep, CloudsVorticesBounceOffTheEdges) {
  StepRig rig;
  ParticleField& f = *rig.field;
  f.complexity = 3;
  f.dimensionality = 1;
  rig.PutVortex(0, 2.0f, 10.0f, -5.0f, 0.0f);
  rig.PutVortex(1, 10.0f, 46.0f, 0.0f, 5.0f);
  rig.PutVortex(2, 62.0f, 20.0f, 4.5f, -1.5f);
  f.StepFrame();
  EXPECT_EQ(f.vortexX[0], 3.0f);
  EXPECT_EQ(f.vortexVelX[0], 5.0f);
  EXPECT_EQ(f.vortexY[0], 10.0f);
  EXPECT_EQ(f.vortexY[1], 45.0f);
  EXPECT_EQ(f.vortexVelY[1], -5.0f);
  EXPECT_EQ(f.vortexX[2], 61.5f);
  EXPECT_EQ(f.vortexVelX[2], -4.5f);
  EXPECT_EQ(f.vortexY[2], 18.5f);
  EXPECT_EQ(f.vortexVelY[2], -1.5f);
}

TEST(FrameStep, OrganicVortexZeroDriftsTowardsTheMeanGrain) {
  struct Case {
    int32_t live;
    float x;  // vortex 0 after the frame
    float y;
  };
  // Grains at (10, 20) and (30, 40): mean (20, 30). With no grain in play
  // there is no mean and the drift goes towards the origin.
  const Case cases[] = {{2, 4.8f, 7.2f}, {0, 3.8f, 5.7f}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.live);
    StepRig rig(2);
    ParticleField& f = *rig.field;
    f.complexity = 2;
    f.dimensionality = 2;
    rig.Put(0, 10.0f, 20.0f, 0, 0);
    rig.Put(1, 30.0f, 40.0f, 0, 0);
    f.liveGrains = c.live;
    rig.PutVortex(0, 4.0f, 6.0f);
    rig.PutVortex(1, 30.0f, 20.0f, 1.5f, -2.0f);
    f.StepFrame();
    EXPECT_EQ(f.vortexX[0], c.x);
    EXPECT_EQ(f.vortexY[0], c.y);
    // The other vortices wander with their own velocity.
    EXPECT_EQ(f.vortexX[1], 31.5f);
    EXPECT_EQ(f.vortexY[1], 18.0f);
  }
}

TEST(FrameStep, RecursiveVorticesChaseGrains) {
  StepRig rig(10);
  ParticleField& f = *rig.field;
  f.complexity = 2;
  f.dimensionality = 3;
  for (int32_t i = 0; i < 10; ++i) rig.Put(i, 10.0f * i, 5.0f * i, 0, 0);
  rig.PutVortex(0, 0.0f, 0.0f);
  rig.PutVortex(1, 0.0f, 0.0f);
  f.StepFrame();
  // Vortex v chases grain ((N - 2) v) / V + 1: grains 1 and 5.
  EXPECT_FLOAT_EQ(f.vortexX[0], 0.4f);
  EXPECT_FLOAT_EQ(f.vortexY[0], 0.2f);
  EXPECT_FLOAT_EQ(f.vortexX[1], 2.0f);
  EXPECT_FLOAT_EQ(f.vortexY[1], 1.0f);
}

TEST(FrameStep, RecursiveWithOneGrainChasesThatGrain) {
  // The index formula gives 1 for a single grain; the only grain is chased.
  StepRig rig(1);
  ParticleField& f = *rig.field;
  f.complexity = 2;
  f.dimensionality = 3;
  rig.Put(0, 20.0f, 30.0f, 0, 0);
  rig.PutVortex(1, 0.0f, 0.0f);
  f.StepFrame();
  EXPECT_FLOAT_EQ(f.vortexX[1], 0.8f);
  EXPECT_FLOAT_EQ(f.vortexY[1], 1.2f);
}

TEST(FrameStep, SteeredVortexZero) {
  struct Case {
    PointI pointer;
    PointF last;
    float x, y;            // vortex 0 before
    float ex, ey;          // vortex 0 after
    PointF lastAfter;      // lastSteerPoint after
    float offX, offY;      // vortex 0 pull after
    int32_t markX, markY;  // top-left of the white mark, or -1 for none
  };
  const Case cases[] = {
      // The pointer never seen: nothing changes, the pull stays.
      {{-1, -1}, {7, 7}, 5, 5, 5, 5, {-1, -1}, 1.0f, 2.0f, -1, -1},
      // The first pointer position moves vortex 0 there at once.
      {{20, 10}, {-1, -1}, 5, 5, 20, 10, {20, 10}, 0.75f, 1.5f, 20, 10},
      // Later, it moves half-way and its pull follows its motion.
      {{20, 30}, {3, 3}, 10, 10, 15, 20, {10, 10}, 1.35f, 2.7f, 10, 10},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.pointer.x << ", " << c.pointer.y);
    StepRig rig;
    ParticleField& f = *rig.field;
    f.complexity = 2;
    Process().steering = 1;
    Process().steerPoint = c.pointer;
    f.lastSteerPoint = c.last;
    // Both drift as clouds unless steered.
    rig.PutVortex(0, c.x, c.y, 1.0f, 1.0f);
    rig.PutVortex(1, 30.0f, 30.0f, 1.0f, 0.0f);
    f.vortexOffsetX[0] = 1.0f;
    f.vortexOffsetY[0] = 2.0f;
    f.vortexWeight[0] = 9.0f;
    f.StepFrame();
    EXPECT_EQ(f.vortexX[0], c.ex);
    EXPECT_EQ(f.vortexY[0], c.ey);
    EXPECT_EQ(f.lastSteerPoint.x, c.lastAfter.x);
    EXPECT_EQ(f.lastSteerPoint.y, c.lastAfter.y);
    EXPECT_FLOAT_EQ(f.vortexOffsetX[0], c.offX);
    EXPECT_FLOAT_EQ(f.vortexOffsetY[0], c.offY);
    // Vortex 1 is not steered.
    EXPECT_EQ(f.vortexX[1], 31.0f);
    if (c.markX < 0) {
      EXPECT_EQ(f.vortexWeight[0], 9.0f);
      EXPECT_EQ(rig.LitPixels(), 0);
      continue;
    }
    EXPECT_FLOAT_EQ(f.vortexWeight[0], static_cast<float>(std::pow(std::hypot(c.offX, c.offY), 0.44) * 7.0));
    EXPECT_EQ(rig.LitPixels(), 4);
    for (int32_t dy = 0; dy < 2; ++dy) {
      for (int32_t dx = 0; dx < 2; ++dx) EXPECT_EQ(f.surface->GetPixel(c.markX + dx, c.markY + dy), 0xFFFFFFu);
    }
  }
}

TEST(FrameStep, VorticesStandStillWithoutSmoothTable) {
  StepRig rig;
  ParticleField& f = *rig.field;
  f.complexity = 2;
  rig.PutVortex(0, 10.0f, 10.0f, 1.0f, 1.0f);
  rig.PutVortex(1, 20.0f, 20.0f, 1.0f, 1.0f);
  f.random.FreeTable();
  f.StepFrame();
  EXPECT_EQ(f.vortexX[0], 10.0f);
  EXPECT_EQ(f.vortexY[1], 20.0f);
}

TEST(FrameStep, ClearsUnlessTrailsAreOn) {
  struct Case {
    int32_t trails;
    int32_t clearPending;
    bool cleared;
  };
  const Case cases[] = {{0, 0, true}, {1, 1, true}, {1, 0, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.trails << c.clearPending);
    StepRig rig;
    ParticleField& f = *rig.field;
    f.trails = c.trails;
    f.clearPending = c.clearPending;
    f.surface->AddPixel(5, 5, 10, 20, 30);
    f.StepFrame();
    EXPECT_EQ(f.surface->GetPixel(5, 5), c.cleared ? 0u : 0x1E140Au);
    EXPECT_EQ(f.clearPending, 0);
  }
}

TEST(FrameStep, DriveFrameStepsPresentsAndCounts) {
  StepRig rig;
  ParticleField& f = *rig.field;
  f.stepping = 0;
  f.DriveFrame();
  f.stepping = 1;
  f.animating = 0;
  f.DriveFrame();
  EXPECT_EQ(rig.window.shows, 0);
  EXPECT_EQ(f.frameCount, 0u);

  f.animating = 1;
  rig.clock.tick = 7000;
  f.DriveFrame();
  rig.clock.tick = 7040;
  f.DriveFrame();
  EXPECT_EQ(rig.window.shows, 2);
  EXPECT_EQ(f.frameCount, 2u);
  EXPECT_EQ(f.firstFrameTick, 7000u);

}

TEST(FrameStep, DriveFrameFadesAfterTheStepWhenTrailsAreOn) {
  StepRig driven, stepped;
  for (StepRig* r : {&driven, &stepped}) {
    ParticleField& f = *r->field;
    f.SetTrails(1);
    f.reflectionCount = 1;
    f.color0[0] = f.color1[0] = f.color2[0] = 200.0f;
  }
  driven.field->DriveFrame();
  stepped.field->StepFrame();
  ASSERT_GT(stepped.LitPixels(), 0);
  const DrawSurface& a = *driven.field->surface;
  const DrawSurface& b = *stepped.field->surface;
  EXPECT_NE(std::memcmp(a.Bits(), b.Bits(), a.ImageSize()), 0);
  stepped.field->surface->Fade();
  EXPECT_EQ(std::memcmp(a.Bits(), b.Bits(), a.ImageSize()), 0);
}

// A surface kind the frame step does not know: it forwards to a memory
// surface through the virtual operations and counts the pixels added.
template <class Inner>
class ForwardingSurface final : public DrawSurface {
 public:
  void Destroy() override { inner.Destroy(); }
  ResultCode Create(WindowTarget* window, DisplayInterface* display) override { return inner.Create(window, display); }
  void Clear() override { inner.Clear(); }
  void Present(WindowTarget* target) override { inner.Present(target); }
  void Fade() override { inner.Fade(); }
  void AddPixel(int32_t x, int32_t y, int32_t blue, int32_t green, int32_t red) override {
    ++pixelsAdded;
    inner.AddPixel(x, y, blue, green, red);
  }
  uint32_t GetPixel(int32_t x, int32_t y) override { return inner.GetPixel(x, y); }

  Inner inner;
  int64_t pixelsAdded = 0;
};

// Many bright grains with patterns, reflections and mirror images, so that
// pixels overlap and saturate.
void Busy(StepRig& rig) {
  ParticleField& f = *rig.field;
  f.complexity = 3;
  f.dimensionality = 1;
  f.dotStyle = 2;
  f.symmetric = 1;
  f.SetReflectionCount(3);
  f.brightness = 1.5;
  f.damping = f.dampingNow = 0.98f;
  for (int32_t v = 0; v < 3; ++v) {
    rig.PutVortex(v, 10.0f + 20 * v, 12.0f + 9 * v, 0.7f, -0.4f);
    f.vortexWeight[v] = 8.0f + v;
    f.vortexOffsetX[v] = 0.3f * (v + 1);
    f.vortexOffsetY[v] = -0.2f * v;
  }
  for (int32_t i = 0; i < f.liveGrains; ++i) {
    rig.Put(i, static_cast<float>((i * 7) % kW), static_cast<float>((i * 13) % kH), 0.1f * (i % 9) - 0.4f,
            0.07f * (i % 11) - 0.35f);
    f.color0[i] = static_cast<float>((i * 31) % 300);
    f.color1[i] = static_cast<float>((i * 17) % 260) - 5;
    f.color2[i] = static_cast<float>((i * 23) % 280);
  }
}

TEST(FrameStep, InlinePixelPathDrawsWhatTheVirtualOneDraws) {
  for (int32_t bits : {24, 16}) {
    SCOPED_TRACE(bits);
    StepRig fast(300), slow(300);
    if (bits == 16) {
      ASSERT_EQ(fast.field->CreateMemorySurface16(), kOk);
    }
    DrawSurface* inner;
    const int64_t* slowPixels;
    if (bits == 24) {
      auto s = std::make_unique<ForwardingSurface<MemorySurface24>>();
      inner = &s->inner;
      slowPixels = &s->pixelsAdded;
      slow.field->surface = std::move(s);
    } else {
      auto s = std::make_unique<ForwardingSurface<MemorySurface16>>();
      inner = &s->inner;
      slowPixels = &s->pixelsAdded;
      slow.field->surface = std::move(s);
    }
    slow.field->surfaceBits = bits;
    ASSERT_EQ(slow.field->surface->Create(&slow.window, nullptr), kOk);
    Busy(fast);
    Busy(slow);
    for (int32_t frame = 0; frame < 3; ++frame) {
      fast.field->StepFrame();
      slow.field->StepFrame();
    }
    EXPECT_GT(*slowPixels, 0);
    const DrawSurface& a = *fast.field->surface;
    ASSERT_EQ(a.ImageSize(), inner->ImageSize());
    EXPECT_EQ(std::memcmp(a.Bits(), inner->Bits(), a.ImageSize()), 0);
    EXPECT_GT(fast.LitPixels(), kW * kH / 4);
    for (int32_t i = 0; i < 300; ++i) {
      ASSERT_EQ(fast.field->velX[i], slow.field->velX[i]);
      ASSERT_EQ(fast.field->color1[i], slow.field->color1[i]);
    }
  }
}

}  // namespace
}  // namespace brindlemar
