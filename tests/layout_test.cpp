#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include "support/field_fixture.h"

namespace brindlemar {
namespace {

using testing::FieldRig;

TEST(Layout, ParallelLinesSitOnEvenRows) {
  FieldRig rig(800, 600, 300);
  ASSERT_EQ(rig.Lay(6, {1, 3, 15}), 1);
  const float rows[] = {180, 300, 420};
  for (int32_t i = 0; i < rig.field->liveGrains; ++i) ASSERT_EQ(rig.field->posY[i], rows[i % 3]) << i;

  ASSERT_EQ(rig.Lay(6, {1, 1, 15}), 1);
  for (int32_t i = 0; i < rig.field->liveGrains; ++i) ASSERT_EQ(rig.field->posY[i], 300.0f);
}

TEST(Layout, BarsStandInColumns) {
  FieldRig rig(800, 600, 240);
  ASSERT_EQ(rig.Lay(7, {1, 12, 5}), 1);
  for (int32_t i = 0; i < rig.field->liveGrains; ++i) {
    int32_t k = i % 12;
    ASSERT_EQ(rig.field->posX[i], static_cast<float>(30 + (k * 800) / 13)) << i;
    ASSERT_GE(rig.field->posY[i], 300 - 600 * 0.4210675f - 1);
    ASSERT_LE(rig.field->posY[i], 300 + 600 * 0.4210675f + 1);
  }
  EXPECT_EQ(rig.field->posX[11], 706.0f);
}

TEST(Layout, SingleRingFliesOutAtItsBaseSpeed) {
  FieldRig rig(800, 600, 200);
  // Explode Power 10 makes the factor 1; Diffusion 0 removes the smooth part.
  ASSERT_EQ(rig.Lay(3, {1, 10, 1, 0}), 1);
  for (int32_t i = 0; i < rig.field->liveGrains; ++i) {
    ASSERT_EQ(rig.field->posX[i], 400.0f);
    ASSERT_NEAR(std::hypot(rig.field->velX[i], rig.field->velY[i]), 2.25, 1e-5) << i;
  }
}

TEST(Layout, GrainColours) {
  struct Case {
    int32_t configuration;
    int32_t color;
    bool black;
  };
  const Case cases[] = {
      {0, 0, true},    // The Big Bang in black
      {0, 1, false},   // white
      {15, 1, true},   // a source starts black whatever the setting
      {24, 2, true},
  };
  for (const Case& c : cases) {
    FieldRig rig(320, 240, 100);
    ASSERT_EQ(rig.Lay(c.configuration, {c.color}), 1);
    for (int32_t i = 0; i < rig.field->liveGrains; ++i) {
      float expected = c.black ? 0.0f : 255.0f;
      ASSERT_EQ(rig.field->color0[i], expected) << c.configuration;
      ASSERT_EQ(rig.field->color2[i], expected);
    }
    EXPECT_EQ(rig.field->regenerating, c.configuration == 15 || c.configuration == 24);
  }
}

TEST(Layout, RandomGreyIsDimmedByTheTrailCap) {
  FieldRig rig(320, 240, 400);
  rig.field->SetTrails(1);
  rig.field->SetBrightness(0.3);
  ASSERT_EQ(rig.Lay(1, {2}), 1);
  float cap = static_cast<float>(std::pow(0.3 * 1.27000254000508, 1.7) * 244.0 + 11.0);
  for (int32_t i = 0; i < rig.field->liveGrains; ++i) {
    ASSERT_LE(rig.field->color1[i], cap);
    ASSERT_LE(std::abs(rig.field->color0[i] - rig.field->color1[i]), 5.0f);
  }
}

TEST(Layout, NoLiveGrainsLeavesPerConfigurationFields) {
  FieldRig rig(320, 240, 100);
  ASSERT_EQ(rig.Lay(14, {0, 51, 744}), 1);
  EXPECT_EQ(rig.field->edgeMode, 1);
  float gravity = rig.field->gravity;
  rig.field->liveGrains = 0;
  ASSERT_EQ(rig.field->Restart(0.0, 1, 5, 4), 1);
  EXPECT_EQ(rig.field->edgeMode, 1);
  EXPECT_EQ(rig.field->gravity, gravity);
}

TEST(Layout, UnknownConfigurationOnlyRenewsVelocities) {
  FieldRig rig(320, 240, 100);
  ASSERT_EQ(rig.Lay(5, {1}), 1);
  std::vector<float> x(rig.field->posX, rig.field->posX + 100);
  ASSERT_EQ(rig.field->Restart(0.0, 1, 30, 4), 1);
  for (int32_t i = 0; i < 100; ++i) ASSERT_EQ(rig.field->posX[i], x[i]);
  EXPECT_EQ(rig.field->speedScale, 0.0);  // The Line's, unchanged: velocities are 0 too
}

TEST(Layout, GlobularStaysInsideTheWindow) {
  for (int32_t configuration : {2, 8}) {
    FieldRig rig(320, 240, 500);
    ASSERT_EQ(rig.Lay(configuration, {1, 800}), 1);
    for (int32_t i = 0; i < rig.field->liveGrains; ++i) {
      ASSERT_GT(rig.field->posX[i], 0.0f);
      ASSERT_LT(rig.field->posX[i], 320.0f);
      ASSERT_GT(rig.field->posY[i], 0.0f);
      ASSERT_LT(rig.field->posY[i], 240.0f);
    }
  }
}

TEST(Layout, ChannelOrderAndVortexSetUp) {
  FieldRig rig(640, 480, 100);
  ASSERT_EQ(rig.Lay(1, {}), 1);
  EXPECT_GE(rig.field->channelOrder, 0);
  EXPECT_LE(rig.field->channelOrder, 11);
  for (int32_t v = 0; v < kMaxVortices; ++v) {
    EXPECT_GT(rig.field->vortexReach[v], 0.0);
    EXPECT_GE(rig.field->vortexWanderX[v], -1.0f);
    EXPECT_LE(rig.field->vortexWanderX[v], 1.0f);
    EXPECT_FLOAT_EQ(rig.field->vortexStepX[v], 0.2f * rig.field->vortexWanderX[v]);
  }
  rig.field->complexity = 16;
  EXPECT_EQ(rig.field->SetUpVortices(0.0, 0), 0);
}

TEST(Layout, PathsAreKeptWhileTheirKeyHolds) {
  FieldRig rig(640, 480, 100);
  ASSERT_EQ(rig.Lay(1, {}), 1);
  rig.field->vortexAngle[3] = 99.0;
  EXPECT_EQ(rig.field->PlaceVortexPaths(0.2), 1);
  EXPECT_EQ(rig.field->vortexAngle[3], 99.0);  // same offset, width and activity
  rig.field->activity += 0.5;
  EXPECT_EQ(rig.field->PlaceVortexPaths(0.2), 1);
  EXPECT_NE(rig.field->vortexAngle[3], 99.0);
}

TEST(Layout, NotArmedOrWithoutWindowRefuses) {
  FieldRig rig(320, 240, 100);
  EXPECT_EQ(rig.field->LayOutGrains(0.0), 0);
  EXPECT_EQ(rig.field->SetUpVortices(0.0, 1), 0);
  EXPECT_EQ(rig.field->PlaceVortices(0.0), 0);
}

}  // namespace
}  // namespace brindlemar
