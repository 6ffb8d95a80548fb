#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>
#include <map>
#include <set>
#include <utility>
#include <vector>

#include "engine/grain_color.h"
#include "engine/grain_plot.h"
#include "support/field_fixture.h"

namespace brindlemar {
namespace {

using testing::FieldRig;
using testing::TestWindow;

// One grain with chosen channels and channel rates, updated once.
struct ColorRig : FieldRig {
  ColorRig() : FieldRig(64, 48, 1) {}

  // Channels (color0, color1, color2) after one update with velocity (vx, vy).
  std::array<float, 3> Update(float vx, float vy, std::array<float, 3> start = {0, 0, 0}) {
    ParticleField& f = *field;
    f.color0[0] = start[0];
    f.color1[0] = start[1];
    f.color2[0] = start[2];
    GrainColorPass pass = MakeGrainColorPass(ComputeGrainColorFrame(f), f);
    UpdateGrainColor(pass, 0, vx, vy);
    return {f.color0[0], f.color1[0], f.color2[0]};
  }

  void NoDecay() {
    for (float& r : field->channelRate) r = 0.0f;
  }
};

double BaseGain(double brightness, double k) { return (brightness * brightness * 0.5 + 0.11) * k; }

TEST(GrainColor, GrainAtRestOnlyDecays) {
  ColorRig rig;
  ParticleField& f = *rig.field;
  f.channelOrder = 4;
  std::array<float, 3> c = rig.Update(0.0f, 0.0f, {100.0f, 80.0f, 60.0f});
  // Order 4: A is color1, B color2, C color0.
  EXPECT_EQ(c[1], 80.0f - 80.0f * f.channelRate[0]);
  EXPECT_EQ(c[2], 60.0f - 60.0f * f.channelRate[1]);
  EXPECT_EQ(c[0], 100.0f - 100.0f * f.channelRate[2]);
}

TEST(GrainColor, MovingRightFeedsAWithTheBrightnessGain) {
  ColorRig rig;
  ParticleField& f = *rig.field;
  rig.NoDecay();
  f.channelOrder = 0;
  f.brightness = 0.204;
  std::array<float, 3> c = rig.Update(2.0f, 0.0f);
  EXPECT_NEAR(c[0], 2 * 1.9054878048780488 * BaseGain(0.204, 0.55), 1e-6);
  EXPECT_EQ(c[1], 0.0f);
  EXPECT_EQ(c[2], 0.0f);
}

TEST(GrainColor, ChannelRolesFollowTheOrder) {
  // Roles A, B, C per order mod 6; orders 6..11 feed B from downward motion.
  const int32_t roles[6][3] = {{0, 1, 2}, {1, 0, 2}, {2, 1, 0}, {0, 2, 1}, {1, 2, 0}, {2, 0, 1}};
  const double gains[3] = {1.9054878048780488, 1.7755681818181819, 1.8601190476190477};
  struct Motion {
    float vx, vy;
    int32_t role;  // the role fed, or -1
    bool downward;
  };
  const Motion motions[] = {{1.5f, 0.0f, 0, false}, {-1.5f, 0.0f, 2, false}, {0.0f, -1.5f, 1, false},
                            {0.0f, 1.5f, 1, true}};
  for (int32_t order = 0; order < 12; ++order) {
    for (const Motion& m : motions) {
      SCOPED_TRACE(::testing::Message() << "order " << order << " motion " << m.vx << ", " << m.vy);
      ColorRig rig;
      rig.NoDecay();
      rig.field->channelOrder = order;
      std::array<float, 3> c = rig.Update(m.vx, m.vy);
      int32_t fed = m.role == 1 && m.downward != (order >= 6) ? -1 : roles[order % 6][m.role];
      for (int32_t ch = 0; ch < 3; ++ch) {
        double expected = ch == fed ? 1.5 * gains[m.role] * BaseGain(rig.field->brightness, 0.55) : 0.0;
        EXPECT_NEAR(c[ch], expected, 1e-6) << "channel " << ch;
      }
    }
  }
}

TEST(GrainColor, SixteenBitSurfaceGivesMoreGain) {
  ColorRig deep, shallow;
  deep.NoDecay();
  shallow.NoDecay();
  shallow.field->surfaceBits = 16;
  std::array<float, 3> c24 = deep.Update(1.0f, -1.0f);
  std::array<float, 3> c16 = shallow.Update(1.0f, -1.0f);
  EXPECT_GT(c24[0], 0.0f);
  EXPECT_GT(c24[1], 0.0f);
  EXPECT_NEAR(c16[0] / c24[0], 0.75 / 0.55, 1e-6);
  EXPECT_NEAR(c16[1] / c24[1], 0.75 / 0.55, 1e-6);
}

TEST(GrainColor, RisingGlow) {
  ColorRig rig;
  ParticleField& f = *rig.field;
  f.edgeMode = 1;
  f.channelOrder = 0;
  f.channelRate[0] = f.channelRate[2] = 0.0f;
  f.channelRate[1] = 0.5f;
  const double gainB = 1.7755681818181819 * BaseGain(f.brightness, 0.55);

  // Not rising, even at vy exactly 0: every channel fades.
  std::array<float, 3> c = rig.Update(3.0f, 0.0f, {100.0f, 100.0f, 100.0f});
  EXPECT_EQ(c[0], static_cast<float>(100.0f * 0.951));
  EXPECT_EQ(c[1], static_cast<float>(100.0f * 0.9472354));
  EXPECT_EQ(c[2], static_cast<float>(100.0f * 0.9552));

  // Rising: B is fed without a direction factor and grows by its rate.
  c = rig.Update(-2.0f, -1.0f, {100.0f, 100.0f, 100.0f});
  EXPECT_EQ(c[0], 100.0f);
  EXPECT_NEAR(c[2], 100.0 + 2 * 1.8601190476190477 * BaseGain(f.brightness, 0.55), 1e-4);
  EXPECT_NEAR(c[1], (100.0 + gainB) * 1.5, 1e-4);

  // The same holds for the orders that feed B from downward motion.
  f.channelOrder = 6;
  c = rig.Update(0.0f, -1.0f, {100.0f, 100.0f, 100.0f});
  EXPECT_NEAR(c[1], (100.0 + gainB) * 1.5, 1e-4);
}

TEST(GrainColor, ColorMaxDropsOnlyForDimTrails) {
  struct Case {
    int32_t trails;
    double brightness;
    int32_t colorMax;
  };
  // trunc((0.3 x 1.27000254000508)^1.7 x 244 + 11) = trunc(58.31...)
  const Case cases[] = {{1, 0.3, 58}, {0, 0.3, 255}, {1, 0.9, 255}};
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.trails << " " << c.brightness);
    ColorRig rig;
    rig.field->trails = c.trails;
    rig.field->brightness = c.brightness;
    GrainColorFrame frame = ComputeGrainColorFrame(*rig.field);
    EXPECT_EQ(frame.colorMax, c.colorMax);
    EXPECT_EQ(frame.colorMax, static_cast<int32_t>(frame.colorMaxF));
  }
}

TEST(GrainColor, DrawnValuesAreClampedStoredOnesAreNot) {
  struct Case {
    float stored;
    int32_t colorMax;
    int32_t drawn;
  };
  const Case cases[] = {
      {-3.0f, 255, 0},  {300.0f, 255, 255}, {300.0f, 58, 58}, {254.99f, 255, 254}, {-0.5f, 255, 0},
      {1e20f, 255, 255}, {-1e20f, 255, 0},  {std::numeric_limits<float>::quiet_NaN(), 255, 0},
  };
  for (const Case& c : cases) EXPECT_EQ(DrawnChannel(c.stored, c.colorMax), c.drawn) << c.stored;

  // Through a pass: the stored channel keeps its value above the cap.
  FieldRig rig(16, 16, 1);
  ParticleField& f = *rig.field;
  f.posX[0] = f.posY[0] = 8.0f;
  f.velX[0] = f.velY[0] = 0.0f;
  f.color0[0] = 300.0f;
  f.color1[0] = -3.0f;
  f.color2[0] = 100.0f;
  for (float& r : f.channelRate) r = 0.0f;
  GrainColorPass pass = MakeGrainColorPass(ComputeGrainColorFrame(f), f);
  GrainDrawFrame draw = MakeGrainDrawFrame(f);
  draw.dotStyle = 0;
  WithPixelSink(*f.surface, [&](auto& px) {
    ColorAndDrawGrains(px, pass, draw, f.posX, f.posY, f.velX, f.velY, 0, 1);
  });
  EXPECT_EQ(f.surface->GetPixel(8, 8), 0x6400FFu);
  EXPECT_EQ(f.color0[0], 300.0f);
  EXPECT_EQ(f.color1[0], -3.0f);
}

// The lit pixels of a surface: position -> 0x00RRGGBB.
std::map<std::pair<int32_t, int32_t>, uint32_t> Lit(DrawSurface& s) {
  std::map<std::pair<int32_t, int32_t>, uint32_t> lit;
  for (int32_t y = 0; y < s.Height(); ++y) {
    for (int32_t x = 0; x < s.Width(); ++x) {
      if (uint32_t p = s.GetPixel(x, y)) lit[{x, y}] = p;
    }
  }
  return lit;
}

uint32_t Rgb(int32_t blue, int32_t green, int32_t red, int32_t shift) {
  return static_cast<uint32_t>(((red >> shift) << 16) | ((green >> shift) << 8) | (blue >> shift));
}

TEST(GrainPlot, DotStylePatterns) {
  struct Pixel {
    int32_t dx, dy, shift;
  };
  const std::vector<Pixel> fuzzy = {{0, 0, 0},  {0, -1, 1}, {0, 1, 1},  {-1, 0, 1}, {1, 0, 1},
                                    {1, 1, 2},  {1, -1, 2}, {-1, 1, 2}, {-1, -1, 2}};
  struct Case {
    int32_t style;
    std::vector<Pixel> pixels;
  };
  const Case cases[] = {
      {0, {{0, 0, 0}}},
      {-1, {{0, 0, 0}}},
      {3, {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}}},
      {4, {{0, 0, 0}, {0, -1, 1}, {0, 1, 1}, {0, 2, 2}, {0, -2, 2}, {0, 3, 3}, {0, -3, 3}}},
      {1, {{0, 0, 0}, {0, -1, 1}, {0, 1, 1}, {-1, 0, 1}, {1, 0, 1}, {0, -2, 2}, {0, 2, 2}, {-2, 0, 2}, {2, 0, 2}}},
      {2, fuzzy},
      {9, fuzzy},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.style);
    TestWindow window(13, 13);
    MemorySurface24 surface;
    ASSERT_EQ(surface.Create(&window, nullptr), kOk);
    PlotGrain(surface, c.style, 6, 6, 200, 100, 40);
    std::map<std::pair<int32_t, int32_t>, uint32_t> expected;
    for (const Pixel& p : c.pixels) expected[{6 + p.dx, 6 + p.dy}] = Rgb(200, 100, 40, p.shift);
    EXPECT_EQ(Lit(surface), expected);
  }
}

TEST(GrainPlot, PatternsReachBeyondTheWritableArea) {
  TestWindow window(8, 8);
  MemorySurface16 surface;
  ASSERT_EQ(surface.Create(&window, nullptr), kOk);
  PlotGrain(surface, 3, 0, 0, 255, 255, 255);
  std::map<std::pair<int32_t, int32_t>, uint32_t> expected = {{{1, 1}, 0xF8F8F8u}};
  EXPECT_EQ(Lit(surface), expected);

  // Through the virtual path as well: a bar at the right edge and a cross
  // whose only writable pixel is its outer right arm.
  VirtualPixels pixels(surface);
  PlotGrain(pixels, 4, 7, 6, 255, 255, 255);
  PlotGrain(pixels, 1, -1, 4, 255, 255, 255);
  expected = {{{1, 1}, 0xF8F8F8u}, {{7, 6}, 0xF8F8F8u}, {{7, 5}, 0x787878u}, {{7, 7}, 0x787878u},
              {{7, 4}, 0x383838u}, {{7, 3}, 0x181818u}, {{1, 4}, 0x383838u}};
  EXPECT_EQ(Lit(surface), expected);
}

// Lit pixel positions after drawing one grain at (x, y) on a 20 x 20 field.
std::set<std::pair<int32_t, int32_t>> Drawn(int32_t reflections, int32_t symmetric, float x, float y) {
  FieldRig rig(20, 20, 1);
  ParticleField& f = *rig.field;
  f.SetReflectionCount(reflections);
  f.symmetric = symmetric;
  f.dotStyle = 0;
  GrainDrawFrame draw = MakeGrainDrawFrame(f);
  WithPixelSink(*f.surface, [&](auto& px) { DrawGrain(px, draw, x, y, 90, 90, 90); });
  std::set<std::pair<int32_t, int32_t>> lit;
  for (const auto& [at, value] : Lit(*f.surface)) lit.insert(at);
  return lit;
}

TEST(GrainPlot, ReflectionsAndMirrorImages) {
  using Set = std::set<std::pair<int32_t, int32_t>>;
  struct Case {
    int32_t reflections;
    int32_t symmetric;
    float x, y;
    Set lit;
  };
  const Case cases[] = {
      {0, 0, 3.0f, 4.0f, {}},
      {0, 1, 3.0f, 4.0f, {}},
      {1, 0, 5.9f, 4.2f, {{5, 4}}},
      {1, 1, 3.0f, 4.0f, {{3, 4}, {17, 4}}},
      // Turned coordinates round downwards, not towards zero.
      {1, 1, 9.5f, 9.5f, {{9, 9}, {10, 9}}},
      {4, 0, 15.0f, 10.0f, {{15, 10}, {10, 5}, {5, 10}, {10, 15}}},
      {2, 1, 13.0f, 10.0f, {{13, 10}, {7, 10}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.reflections << " reflections, symmetric " << c.symmetric);
    EXPECT_EQ(Drawn(c.reflections, c.symmetric, c.x, c.y), c.lit);
  }
}

TEST(GrainPlot, SymmetricDrawsEveryReflectionTwice) {
  // Each of the two images adds its own value to a pixel they share.
  FieldRig rig(20, 20, 1);
  ParticleField& f = *rig.field;
  f.SetReflectionCount(1);
  f.symmetric = 1;
  f.dotStyle = 0;
  GrainDrawFrame draw = MakeGrainDrawFrame(f);
  WithPixelSink(*f.surface, [&](auto& px) { DrawGrain(px, draw, 10.0f, 7.0f, 10, 20, 30); });
  EXPECT_EQ(f.surface->GetPixel(10, 7), Rgb(20, 40, 60, 0));
}

TEST(GrainPlot, FarCoordinatesAreDroppedNotWrapped) {
  FieldRig rig(20, 20, 1);
  ParticleField& f = *rig.field;
  f.SetReflectionCount(1);
  f.dotStyle = 4;
  for (int32_t symmetric : {0, 1}) {
    f.symmetric = symmetric;
    GrainDrawFrame draw = MakeGrainDrawFrame(f);
    WithPixelSink(*f.surface, [&](auto& px) {
      for (float v : {3e9f, -3e9f, std::numeric_limits<float>::infinity(), std::numeric_limits<float>::quiet_NaN()}) {
        DrawGrain(px, draw, v, 5.0f, 255, 255, 255);
        DrawGrain(px, draw, 5.0f, v, 255, 255, 255);
      }
    });
  }
  EXPECT_TRUE(Lit(*f.surface).empty());
}

}  // namespace
}  // namespace brindlemar
