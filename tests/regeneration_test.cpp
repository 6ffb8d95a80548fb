#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "engine/clock.h"
#include "engine/color_max.h"
#include "engine/particle_field.h"
#include "settings/memory_store.h"

namespace brindlemar {
namespace {

constexpr float kUntouched = -12345.0f;
constexpr double kPi = 3.141592653589793;

class RegenerationTest : public ::testing::Test {
 protected:
  // A full field of `grains` grains, every grain marked as untouched, ready
  // to regenerate configuration `config` with the given style values.
  std::unique_ptr<ParticleField> MakeField(int32_t config, int32_t grains, int32_t perGroup, int32_t s0 = 1,
                                           int32_t s2 = 0, int32_t s3 = 0) {
    auto field = std::make_unique<ParticleField>(store, clock);
    field->fullScreen = 1;
    field->SetGrainCount(grains, 1);
    field->width = 800;
    field->height = 600;
    field->configuration = config;
    field->styleCount = 4;
    field->styleValues[0] = s0;
    field->styleValues[1] = perGroup;
    field->styleValues[2] = s2;
    field->styleValues[3] = s3;
    field->regenPerFrame = perGroup;
    field->regenerating = 1;
    field->regenCursor = 0;
    for (float* array : {field->posX, field->posY, field->velX, field->velY, field->color0, field->color1,
                         field->color2}) {
      std::fill(array, array + grains, kUntouched);
    }
    return field;
  }

  static bool Reseeded(const ParticleField& f, int32_t i) { return f.posY[i] != kUntouched; }

  MemoryStore store;
  ManualClock clock;
};

TEST_F(RegenerationTest, GroupIsDueEveryMaxOneOrSizePlusOneOverFiveFrames) {
  struct Case {
    int32_t perGroup;
    int32_t period;
  };
  const Case cases[] = {{1, 1}, {7, 1}, {8, 1}, {9, 2}, {14, 3}, {250, 50}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.perGroup);
    auto f = MakeField(23, 100000, c.perGroup);
    for (int32_t frame = 1; frame <= 3 * c.period; ++frame) {
      f->RegenerationStep();
      ASSERT_EQ(f->regenCursor, frame / c.period * c.perGroup) << "frame " << frame;
    }
  }
}

TEST_F(RegenerationTest, FillingBringsGrainsIntoPlayWithoutReseeding) {
  auto f = MakeField(23, 20, 7);
  f->liveGrains = 0;
  for (int32_t expected : {7, 14, 20}) {
    f->RegenerationStep();
    EXPECT_EQ(f->liveGrains, expected);
    EXPECT_EQ(f->regenCursor, 0);
  }
  for (int32_t i = 0; i < 20; ++i) ASSERT_FALSE(Reseeded(*f, i));
  // Full: the next due group re-seeds the oldest grains.
  f->RegenerationStep();
  EXPECT_EQ(f->liveGrains, 20);
  EXPECT_EQ(f->regenCursor, 7);
  for (int32_t i = 0; i < 20; ++i) EXPECT_EQ(Reseeded(*f, i), i < 7) << i;
}

TEST_F(RegenerationTest, GroupSizeBelowOneNeitherShrinksNorReseeds) {
  for (int32_t perGroup : {0, -5}) {
    SCOPED_TRACE(perGroup);
    auto f = MakeField(23, 20, perGroup);
    f->liveGrains = 10;
    for (int frame = 0; frame < 3; ++frame) f->RegenerationStep();
    EXPECT_EQ(f->liveGrains, 10);
    f->liveGrains = 20;
    for (int frame = 0; frame < 3; ++frame) f->RegenerationStep();
    EXPECT_EQ(f->regenCursor, 0);
    for (int32_t i = 0; i < 20; ++i) ASSERT_FALSE(Reseeded(*f, i));
  }
}

TEST_F(RegenerationTest, CursorWalksTheGrainsAsARing) {
  auto f = MakeField(23, 1000, 7);
  f->regenCursor = 994;
  f->RegenerateGroup();
  EXPECT_EQ(f->regenCursor, 0);
  for (int32_t i = 0; i < 1000; ++i) ASSERT_EQ(Reseeded(*f, i), i >= 994) << i;
  f->RegenerateGroup();
  EXPECT_EQ(f->regenCursor, 7);
  for (int32_t i = 0; i < 7; ++i) EXPECT_TRUE(Reseeded(*f, i)) << i;
  EXPECT_FALSE(Reseeded(*f, 7));
}

TEST_F(RegenerationTest, EmptyGroupReseedsNothingButFallsStillSetsGravity) {
  for (int32_t config : {23, 24}) {
    SCOPED_TRACE(config);
    auto f = MakeField(config, 1000, 7, 1, 75, 50);
    // A frame-rate adjustment left the cursor beyond the grains in play.
    f->liveGrains = 500;
    f->regenCursor = 700;
    f->gravity = 0.0f;
    f->RegenerateGroup();
    EXPECT_EQ(f->regenCursor, 0);
    for (int32_t i = 0; i < 1000; ++i) ASSERT_FALSE(Reseeded(*f, i));
    EXPECT_EQ(f->gravity, config == 24 ? 0.025f : 0.0f);
  }
}

TEST_F(RegenerationTest, FieldWithoutGrainsIsSafe) {
  ParticleField f(store, clock);
  f.configuration = 20;
  f.regenPerFrame = 7;
  f.regenerating = 1;
  for (int frame = 0; frame < 3; ++frame) f.RegenerationStep();
  EXPECT_EQ(f.liveGrains, 0);
  EXPECT_EQ(f.regenCursor, 0);
}

TEST_F(RegenerationTest, EachSourceDrawsItsValuesInAFixedNumber) {
  struct Case {
    int32_t config;
    int32_t perGroup;  // draws taken once per group
    int32_t perGrain;
  };
  const Case cases[] = {{10, 0, 3}, {11, 0, 5}, {12, 0, 1}, {15, 0, 2}, {18, 0, 2}, {19, 1, 3},
                        {20, 0, 5}, {21, 0, 2}, {22, 0, 5}, {23, 0, 2}, {24, 0, 2}, {25, 0, 2}};
  for (const Case& c : cases) {
    for (int32_t color : {1, 2}) {
      SCOPED_TRACE(::testing::Message() << "config " << c.config << " color " << color);
      auto f = MakeField(c.config, 50, 7, color, 40, 40);
      CombinedRandom expected(clock);
      expected.s1 = f->random.s1;
      expected.s2 = f->random.s2;
      int32_t draws = c.perGroup + 7 * (c.perGrain + (color == 2 ? 2 : 0));
      for (int32_t k = 0; k < draws; ++k) expected.Next();
      f->RegenerateGroup();
      EXPECT_EQ(f->random.s1, expected.s1);
      EXPECT_EQ(f->random.s2, expected.s2);
    }
  }
}

TEST_F(RegenerationTest, ShootingStarsComeFromThreePlacesAlike) {
  auto f = MakeField(10, 3000, 3000);
  CombinedRandom replay(clock);
  replay.s1 = f->random.s1;
  replay.s2 = f->random.s2;
  f->RegenerateGroup();

  // The first grain: corner, then the horizontal and the vertical speed.
  int32_t corner = static_cast<int32_t>(replay.Next() * 3.0);
  double u1 = replay.Next();
  double u2 = replay.Next();
  const float expected[3][2] = {{static_cast<float>(u1 * 2.3666666666666663 + 7.1),
                                 static_cast<float>(-7.1 - u2 * 2.3666666666666663)},
                                {static_cast<float>(-7.1 - u1 * 2.3666666666666663),
                                 static_cast<float>(-7.1 - u2 * 2.3666666666666663)},
                                {static_cast<float>(u1 * 0.71), static_cast<float>(u2 * 3.55 + 1.5)}};
  EXPECT_EQ(f->velX[0], expected[corner][0]);
  EXPECT_EQ(f->velY[0], expected[corner][1]);

  int32_t counts[3] = {};
  for (int32_t i = 0; i < 3000; ++i) {
    float x = f->posX[i], y = f->posY[i], vx = f->velX[i], vy = f->velY[i];
    if (x == 0.0f && y == 600.0f) {
      ++counts[0];
      ASSERT_TRUE(vx >= 7.1f && vx < 9.47f && vy <= -7.1f && vy > -9.47f) << i;
    } else if (x == 800.0f && y == 600.0f) {
      ++counts[1];
      ASSERT_TRUE(vx <= -7.1f && vx > -9.47f && vy <= -7.1f && vy > -9.47f) << i;
    } else {
      ASSERT_EQ(x, 400.0f) << i;
      ASSERT_EQ(y, 0.0f) << i;
      ++counts[2];
      ASSERT_TRUE(vx >= 0.0f && vx < 0.71f && vy >= 1.5f && vy < 5.05f) << i;
    }
  }
  for (int32_t count : counts) {
    EXPECT_GT(count, 850);
    EXPECT_LT(count, 1150);
  }
}

TEST_F(RegenerationTest, CircularSeedsOneReflectionSector) {
  struct Case {
    int32_t reflections;
    double sectorDegrees;
  };
  const Case cases[] = {{6, 60.0}, {1, 360.0}, {0, 360.0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.reflections);
    auto f = MakeField(25, 2000, 2000, 1, 100, 500);
    f->reflectionCount = c.reflections;
    f->RegenerateGroup();
    const double radius = 500.0 * 600 * 0.0005;
    double lowest = 360.0, highest = 0.0;
    for (int32_t i = 0; i < 2000; ++i) {
      double dx = f->posX[i] - 400.0, dy = f->posY[i] - 300.0;
      ASSERT_NEAR(std::sqrt(dx * dx + dy * dy), radius, 1e-3) << i;
      double degrees = std::atan2(dy, dx) * 180.0 / kPi;
      if (degrees < 0.0) degrees += 360.0;
      lowest = std::min(lowest, degrees);
      highest = std::max(highest, degrees);
      // Thrown outwards, along the radius.
      ASSERT_GE(f->velX[i] * dx + f->velY[i] * dy, 0.0) << i;
    }
    EXPECT_LT(lowest, 0.05 * c.sectorDegrees);
    EXPECT_GT(highest, 0.95 * c.sectorDegrees);
    EXPECT_LT(highest, c.sectorDegrees + 1e-3);
  }
}

TEST_F(RegenerationTest, FallsThrowsFromTheTopUnderItsGravity) {
  auto f = MakeField(24, 2000, 2000, 1, 75, 300);
  f->RegenerateGroup();
  EXPECT_EQ(f->gravity, 0.025f);
  int32_t upwards = 0;
  for (int32_t i = 0; i < 2000; ++i) {
    ASSERT_EQ(f->posY[i], 1.0f) << i;
    ASSERT_EQ(f->velX[i], 0.0f) << i;
    ASSERT_GT(f->velY[i], -14.0001f) << i;
    ASSERT_LT(f->velY[i], 6.0001f) << i;
    // Width 300 of 800 pixels: a band of 240 pixels about the centre.
    ASSERT_GE(f->posX[i], 400.0f - 120.0f) << i;
    ASSERT_LE(f->posX[i], 400.0f + 120.0f) << i;
    if (f->velY[i] < 0.0f) ++upwards;
  }
  EXPECT_GT(upwards, 1300);
}

TEST_F(RegenerationTest, ColorSettingGivesBlackWhiteOrRandomGrey) {
  struct Case {
    int32_t color;
    int32_t trails;
    double brightness;
  };
  const Case cases[] = {{0, 0, 1.0}, {1, 0, 1.0}, {1, 1, 0.2}, {7, 0, 1.0}, {2, 0, 1.0}, {2, 1, 0.2}};
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << "color " << c.color << " trails " << c.trails);
    auto f = MakeField(12, 2000, 2000, c.color);
    f->trails = c.trails;
    f->brightness = c.brightness;
    f->RegenerateGroup();
    const float colorMaxF = ColorMaxF(c.trails, c.brightness);
    double sum = 0.0;
    for (int32_t i = 0; i < 2000; ++i) {
      ASSERT_EQ(f->color1[i], f->color0[i]) << i;
      ASSERT_EQ(f->color2[i], f->color0[i]) << i;
      float value = f->color0[i];
      if (c.color == 0) {
        ASSERT_EQ(value, 0.0f) << i;
      } else if (c.color != 2) {
        ASSERT_EQ(value, colorMaxF) << i;
      }
      ASSERT_GE(value, 0.0f) << i;
      ASSERT_LT(value, colorMaxF + 1e-3f) << i;
      sum += value;
    }
    if (c.color == 2) {
      // The product of two uniforms averages a quarter.
      EXPECT_NEAR(sum / 2000 / colorMaxF, 0.25, 0.03);
    }
  }
  EXPECT_LT(ColorMaxF(1, 0.2), 255.0f);
}

TEST_F(RegenerationTest, FloatingSparklerAnchorsAtGrainTenOrTheLastLiveGrain) {
  struct Case {
    int32_t grains;
    int32_t start;
    int32_t perGroup;
    int32_t anchor;
  };
  const Case cases[] = {{100, 20, 10, 10}, {5, 0, 4, 4}, {1, 0, 1, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.grains);
    auto f = MakeField(20, c.grains, c.perGroup, 1, 60);
    for (int32_t i = 0; i < c.grains; ++i) {
      f->posX[i] = 10.0f * i + 50.0f;
      f->posY[i] = 7.0f * i + 40.0f;
    }
    const float anchorX = f->posX[c.anchor], anchorY = f->posY[c.anchor];
    f->regenCursor = c.start;
    f->RegenerateGroup();
    for (int32_t i = c.start; i < c.start + c.perGroup; ++i) {
      ASSERT_NEAR(f->posX[i], anchorX, 2.0f) << i;
      ASSERT_NEAR(f->posY[i], anchorY, 2.0f) << i;
    }
  }
}

TEST_F(RegenerationTest, RegeneratingCopiesOneGrainOfItsOwnGroup) {
  auto f = MakeField(19, 100, 10, 1, 0, 40);
  for (int32_t i = 0; i < 100; ++i) {
    f->posX[i] = static_cast<float>(i);
    f->posY[i] = static_cast<float>(2 * i);
  }
  f->regenCursor = 30;
  f->RegenerateGroup();
  const float source = f->posX[30];
  EXPECT_GE(source, 30.0f);
  EXPECT_LE(source, 39.0f);
  for (int32_t i = 30; i < 40; ++i) {
    EXPECT_EQ(f->posX[i], source) << i;
    EXPECT_EQ(f->posY[i], 2.0f * source) << i;
  }
  EXPECT_EQ(f->posX[40], 40.0f);
}

TEST_F(RegenerationTest, SprayAndSweepAnglesTurnPerGrainEachInItsField) {
  auto sprayer = MakeField(18, 50, 5, 1, 50, 100);
  auto other = MakeField(18, 50, 5, 1, 50, 100);
  sprayer->RegenerateGroup();
  sprayer->RegenerateGroup();
  other->RegenerateGroup();
  EXPECT_NEAR(sprayer->sprayAngle, 10 * (50 * 0.0001 + 0.002), 1e-12);
  EXPECT_NEAR(other->sprayAngle, 5 * (50 * 0.0001 + 0.002), 1e-12);

  auto radar = MakeField(21, 50, 5, 1, 25);
  radar->RegenerateGroup();
  EXPECT_NEAR(radar->sweepAngle, 5 * (25 * 4e-05 + 0.0001), 1e-12);
  for (int32_t i = 0; i < 5; ++i) {
    double dx = radar->posX[i] - 400.0, dy = radar->posY[i] - 300.0;
    double distance = std::sqrt(dx * dx + dy * dy);
    EXPECT_LE(distance, 400.0 + 1e-3) << i;
    // The beam turned a little with every grain of the group.
    if (distance > 5.0) {
      EXPECT_NEAR(std::atan2(dy, dx), radar->sweepAngle, 0.011) << i;
    }
    EXPECT_EQ(radar->velX[i], 0.0f);
  }
}

}  // namespace
}  // namespace brindlemar
