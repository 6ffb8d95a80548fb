#include <gtest/gtest.h>

#include "engine/combined_random.h"
#include "surfaces/quick_random.h"

namespace brindlemar {
namespace {

TEST(CombinedRandom, FirstOutputFromConstructionState) {
  ManualClock clock;
  CombinedRandom r(clock);
  double u = r.Next();
  EXPECT_EQ(r.s1, 1074552065);
  EXPECT_EQ(r.s2, 2046819002);
  EXPECT_EQ(u, 1175216625 * 4.65661305739177e-10);
  EXPECT_NEAR(u, 0.5472529081, 1e-10);
}

TEST(CombinedRandom, SeedTakesMagnitudeAndClockFraction) {
  ManualClock clock;
  clock.tick = 1234567;  // 34567 within the 100000 cycle
  CombinedRandom a(clock), b(clock);
  a.Seed(-5);
  b.Seed(5);
  EXPECT_DOUBLE_EQ(a.frac, 0.34567);
  for (int i = 0; i < 1000; ++i) ASSERT_EQ(a.Next(), b.Next());
}

TEST(CombinedRandom, SeedZeroStaysInsideOpenInterval) {
  ManualClock clock;
  CombinedRandom r(clock);
  r.Seed(0);
  for (int i = 0; i < 100000; ++i) {
    double u = r.Next();
    ASSERT_EQ(r.s1, 0);
    ASSERT_GT(u, 0.0);
    ASSERT_LT(u, 1.0);
  }
}

TEST(CombinedRandom, NeverReturnsZeroOrOneFromManySeeds) {
  ManualClock clock;
  CombinedRandom r(clock);
  for (int32_t seed : {1, 2, 53668, 2147483562, -2147483647, 0x51CFC11B}) {
    r.Seed(seed);
    for (int i = 0; i < 20000; ++i) {
      double u = r.Next();
      ASSERT_GT(u, 0.0);
      ASSERT_LT(u, 1.0);
    }
  }
}

TEST(CombinedRandom, SeedFromClockXorsTheTick) {
  ManualClock clock;
  clock.tick = 777;
  CombinedRandom a(clock), b(clock);
  a.SeedFromClock();
  b.Seed(static_cast<int32_t>(777u ^ 0x51CFC11Bu));
  EXPECT_EQ(a.s1, b.s1);
  EXPECT_EQ(a.s2, b.s2);
}

class SmoothChannels : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(r.AllocateTable(), 0);
    for (int32_t i = 0; i < kSmoothChannels; ++i) r.InitChannel(i);
  }
  ManualClock clock;
  CombinedRandom r{clock};
};

TEST_F(SmoothChannels, AllocateTwiceKeepsTable) {
  SmoothChannel* table = r.table;
  EXPECT_EQ(r.AllocateTable(), 2);
  EXPECT_EQ(r.table, table);
}

TEST_F(SmoothChannels, InitChannelSpreadsCountersAndFillsRows) {
  for (int32_t i = 0; i < kSmoothChannels; ++i) {
    const SmoothChannel& c = r.Channel(i);
    EXPECT_EQ(c.rows, 14);
    EXPECT_EQ(c.period, 16384);
    EXPECT_EQ(c.scale, 14.0);
    EXPECT_GE(c.counter, 0);
    EXPECT_LT(c.counter, 16384);
    double sum = 0;
    for (int k = 0; k < 14; ++k) sum += c.values[k];
    EXPECT_DOUBLE_EQ(c.sum, sum);
  }
}

TEST_F(SmoothChannels, RowKChangesEveryTwoToTheKSteps) {
  SmoothChannel& c = r.Channel(7);
  c.counter = 3;  // the next step goes to 4: rows 0, 1 and 2 change
  double before[14];
  std::copy(c.values, c.values + 14, before);
  r.SmoothSum(7);
  for (int k = 0; k < 14; ++k) {
    if (k <= 2) {
      EXPECT_NE(c.values[k], before[k]) << k;
    } else {
      EXPECT_EQ(c.values[k], before[k]) << k;
    }
  }
}

TEST_F(SmoothChannels, WrapAt16384ReplacesAllRows) {
  SmoothChannel& c = r.Channel(12);
  c.counter = 16383;
  double before[14];
  std::copy(c.values, c.values + 14, before);
  double sum = r.SmoothSum(12);
  EXPECT_EQ(c.counter, 0);
  double expected = 0;
  for (int k = 0; k < 14; ++k) {
    EXPECT_NE(c.values[k], before[k]) << k;
    expected += c.values[k];
  }
  EXPECT_NEAR(sum, expected, 1e-9);
}

TEST_F(SmoothChannels, SmoothIntStaysInRange) {
  for (int i = 0; i < 50000; ++i) {
    int32_t v = r.SmoothInt(3, 12);
    ASSERT_GE(v, 0);
    ASSERT_LE(v, 11);
    double s = r.Smooth(4);
    ASSERT_GT(s, 0.0);
    ASSERT_LT(s, 1.0);
  }
}

TEST_F(SmoothChannels, ResetChannelKeepsShapeAndFrac) {
  SmoothChannel& c = r.Channel(5);
  c.rows = 10;  // shape fields are not touched by a reset
  double frac = r.frac;
  r.ResetChannel(5);
  EXPECT_EQ(c.rows, 10);
  EXPECT_EQ(r.frac, frac);
  double sum = 0;
  for (int k = 0; k < 14; ++k) sum += c.values[k];
  EXPECT_DOUBLE_EQ(c.sum, sum);
}

TEST(QuickRandom, StartsAtOneAndGivesFifteenBits) {
  QuickRandom random;
  // From state 1: 1 × 214013 + 2531011 = 2745024, whose bits 16 to 30
  // are 41; and so on.
  for (int32_t expected : {41, 18467, 6334, 26500, 19169}) EXPECT_EQ(random.Next(), expected);
  for (int i = 0; i < 10000; ++i) {
    const int32_t v = random.Next();
    ASSERT_GE(v, 0);
    ASSERT_LE(v, 0x7FFF);
  }
}

}  // namespace
}  // namespace brindlemar
