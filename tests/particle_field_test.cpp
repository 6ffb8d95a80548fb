#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "engine/particle_field.h"
#include "settings/load_parameters.h"
#include "settings/memory_store.h"
#include "settings/settings_store.h"
#include "support/field_fixture.h"

namespace brindlemar {
namespace {

using testing::FieldRig;

TEST(ParticleField, NewFieldHasNoGrainsAndRefusesRestart) {
  MemoryStore store;
  ManualClock clock;
  ParticleField field(store, clock);
  EXPECT_EQ(field.posX, nullptr);
  EXPECT_EQ(field.configuration, -1);
  EXPECT_EQ(field.dimensionality, -1);
  EXPECT_EQ(field.complexity, -1);
  EXPECT_EQ(field.Restart(0.0, -1, -1, -1), 0);
  EXPECT_EQ(field.armed, 0);
  EXPECT_EQ(field.Restart(0.0, 1, -1, 4), 0);  // one index still unset
}

TEST(ParticleField, ConstructionStateAndClockStamps) {
  MemoryStore store;
  ManualClock clock;
  clock.tick = 0xFFFFF000u;  // the adjust tick wraps past 2^32
  clock.calendarSeconds = 1700000000;
  ParticleField field(store, clock);
  EXPECT_EQ(field.adjustTick, 0xFFFFF000u + 2000u);
  EXPECT_EQ(field.phaseTick, 0xFFFFF000u);
  EXPECT_EQ(field.startTime, 1700000000);
  EXPECT_EQ(field.targetFps, 12);
  EXPECT_EQ(field.dotStyle, 2);
  EXPECT_FLOAT_EQ(field.activityStep, 0.11f);
  EXPECT_FLOAT_EQ(field.channelRate[0], 0.01242345f);
  EXPECT_EQ(field.useDirectDraw, 0);  // no display modes to choose from here
  EXPECT_EQ(field.randomFavorites, 1);
  EXPECT_EQ(field.fontWeight, 700);
}

TEST(ParticleField, SameSeedAndClockGiveSameGenerator) {
  MemoryStore store;
  ManualClock clock;
  clock.tick = 123456;
  ParticleField a(store, clock), b(store, clock);
  for (int i = 0; i < 100; ++i) ASSERT_EQ(a.random.Next(), b.random.Next());
  for (int i = 0; i < 100; ++i) ASSERT_EQ(a.random.Smooth(i % 90), b.random.Smooth(i % 90));
}

struct GrainCase {
  int32_t fullScreen;
  int32_t requested;
  int32_t expected;
};

TEST(ParticleField, GrainCountIsQuarteredInPreview) {
  const GrainCase cases[] = {{0, 1000, 250}, {1, 1000, 1000}, {0, 1003, 250}, {1, 200000, 200000}};
  for (const GrainCase& c : cases) {
    FieldRig rig(320, 240, 100);
    rig.field->fullScreen = c.fullScreen;
    EXPECT_EQ(rig.field->SetGrainCount(c.requested, 1), 1);
    EXPECT_EQ(rig.field->liveGrains, c.expected) << c.requested;
    EXPECT_EQ(rig.field->grainCapacity, c.expected);
  }
}

TEST(ParticleField, GrainArraysFollowEachOtherInOneBlock) {
  FieldRig rig(320, 240, 100);
  ParticleField& f = *rig.field;
  float* arrays[] = {f.color0, f.color1, f.color2, f.posX, f.posY, f.velX, f.velY};
  for (int k = 1; k < 7; ++k) EXPECT_EQ(arrays[k], arrays[k - 1] + 100);
}

TEST(ParticleField, ShrinkWithoutReallocKeepsTheBlock) {
  FieldRig rig(320, 240, 1000);
  float* block = rig.field->color0;
  float* velY = rig.field->velY;
  EXPECT_EQ(rig.field->SetGrainCount(400, 0), 1);
  EXPECT_EQ(rig.field->color0, block);
  EXPECT_EQ(rig.field->velY, velY);
  EXPECT_EQ(rig.field->liveGrains, 400);
  EXPECT_EQ(rig.field->grainCapacity, 400);
  // Growing past the live count takes a new block.
  EXPECT_EQ(rig.field->SetGrainCount(900, 0), 1);
  EXPECT_EQ(rig.field->velY, rig.field->posX + 3 * 900);
}

class StingyField : public ParticleField {
 public:
  using ParticleField::ParticleField;
  bool refuse = false;

 protected:
  std::unique_ptr<float[]> AllocateGrainBlock(size_t count) override {
    return refuse ? nullptr : ParticleField::AllocateGrainBlock(count);
  }
};

TEST(ParticleField, RefusedGrainBlockKeepsCountsThatFit) {
  MemoryStore store;
  ManualClock clock;
  StingyField field(store, clock);
  field.fullScreen = 1;
  ASSERT_EQ(field.SetGrainCount(500, 1), 1);
  float* block = field.posX;
  field.refuse = true;
  EXPECT_EQ(field.SetGrainCount(5000, 1), 0);
  EXPECT_EQ(field.posX, block);
  EXPECT_EQ(field.liveGrains, 500);
  EXPECT_EQ(field.grainCapacity, 500);
  EXPECT_EQ(field.SetGrainCount(300, 1), 0);  // a smaller request still fits
  EXPECT_EQ(field.liveGrains, 300);

  StingyField empty(store, clock);
  empty.fullScreen = 1;
  empty.refuse = true;
  EXPECT_EQ(empty.SetGrainCount(100, 1), 0);
  EXPECT_EQ(empty.liveGrains, 0);
  EXPECT_EQ(empty.grainCapacity, 0);
}

struct ReflectionCase {
  int32_t showClock;
  int32_t overlayStyle;
  int32_t requested;
  int32_t stored;
};

TEST(ParticleField, ReflectionCountWithAndWithoutOverlay) {
  const ReflectionCase cases[] = {
      {0, 0, 0, 0}, {1, 0, 0, 1}, {0, 0, 75, 60}, {1, 0, 75, 60}, {1, 1, 0, 0}, {0, 0, 6, 6},
  };
  for (const ReflectionCase& c : cases) {
    FieldRig rig(320, 240, 100);
    ParticleField& f = *rig.field;
    f.reflectionSin[0] = 7.0f;  // a marker the tables keep when nothing is computed
    f.showClock = c.showClock;
    f.overlayStyle = c.overlayStyle;
    f.clearPending = 0;
    f.SetReflectionCount(c.requested);
    EXPECT_EQ(f.reflectionCount, c.stored) << c.requested;
    EXPECT_EQ(f.clearPending, 1);
    if (c.stored == 0) {
      EXPECT_EQ(f.reflectionSin[0], 7.0f);
    }
  }
}

TEST(ParticleField, ReflectionAnglesAndClockOffset) {
  FieldRig rig(320, 240, 100);
  ParticleField& f = *rig.field;
  f.SetReflectionCount(4);
  EXPECT_FLOAT_EQ(f.reflectionCos[1], static_cast<float>(std::cos(6.283185307 / 4)));
  EXPECT_FLOAT_EQ(f.reflectionSin[1], static_cast<float>(std::sin(6.283185307 / 4)));
  f.showClock = 1;
  f.overlayStyle = 0;
  f.SetReflectionCount(4);
  double a = 6.283185307 * 1 / 4 + 3.1415926535 / 4;
  EXPECT_FLOAT_EQ(f.reflectionSin[1], static_cast<float>(std::sin(a)));
}

TEST(ParticleField, ZodiacOffsetFollowsTheDate) {
  FieldRig rig(320, 240, 100);
  ParticleField& f = *rig.field;
  rig.clock.local.month = 3;
  rig.clock.local.day = 21;
  rig.clock.local.hour = 12;
  f.showClock = 1;
  f.SetOverlayStyle(1);
  int32_t day = 59 + 21 - 1;
  double offset = 0.26179938779166667 - (((day - 5.0) + 12 * 0.041666666666666664) * 0.0027397260273972603 + 0.5) * 6.283185307;
  EXPECT_EQ(f.reflectionCount, 1);
  EXPECT_FLOAT_EQ(f.reflectionSin[0], static_cast<float>(std::sin(offset)));
  EXPECT_FLOAT_EQ(f.reflectionCos[0], static_cast<float>(std::cos(offset)));
}

TEST(ParticleField, ColorRates) {
  FieldRig rig(320, 240, 100);
  ParticleField& f = *rig.field;
  f.SetBrightness(0.5);
  f.SetColorRate(0);
  EXPECT_FLOAT_EQ(f.channelRate[0], 0.010125f);
  EXPECT_FLOAT_EQ(f.channelRate[1], 0.010125f);
  EXPECT_FLOAT_EQ(f.channelRate[2], 0.009125f);
  f.SetColorRate(1.0);
  EXPECT_FLOAT_EQ(f.channelRate[0], 0.004f);
  EXPECT_FLOAT_EQ(f.channelRate[1], 0.006f);
  EXPECT_FLOAT_EQ(f.channelRate[2], 0.0035f);
}

TEST(ParticleField, SettersThatChangeOnlyOnDifference) {
  FieldRig rig(320, 240, 100);
  ParticleField& f = *rig.field;
  f.complexity = 4;
  f.SetViscosity(10.0);
  EXPECT_FLOAT_EQ(f.damping, static_cast<float>(1 - 1 / (5 * 10.0)));
  f.damping = 0.5f;
  f.SetViscosity(10.0);  // the same value: nothing is recomputed
  EXPECT_EQ(f.damping, 0.5f);

  f.clearPending = 0;
  f.SetSymmetric(f.symmetric);
  EXPECT_EQ(f.clearPending, 0);
  f.SetSymmetric(!f.symmetric);
  EXPECT_EQ(f.clearPending, 1);

  f.SetActivity(2.0);
  EXPECT_FLOAT_EQ(f.activityStep, 0.23f);
}

TEST(ParticleField, FadeSettersReachTheSurface) {
  FieldRig rig(320, 240, 100);
  ParticleField& f = *rig.field;
  f.SetTrails(1);
  f.SetTrailLength(250);
  EXPECT_EQ(f.trailLength, 100);
  EXPECT_EQ(f.surface->FadeLevel(), 254);
  f.SetDither(1);
  EXPECT_EQ(f.surface->FadeSpacing(), 18);
  f.SetTrails(0);
  EXPECT_EQ(f.surface->FadeLevel(), -1);
  f.SetTrailLength(-4);
  EXPECT_EQ(f.trailLength, 0);
}

TEST(ParticleField, StopAnimationInvalidatesAndAsksForClear) {
  FieldRig rig(320, 240, 100);
  rig.field->StartAnimation();
  int32_t before = rig.window.invalidations;
  rig.field->StopAnimation();
  EXPECT_EQ(rig.field->animating, 0);
  EXPECT_EQ(rig.field->clearPending, 1);
  EXPECT_EQ(rig.window.invalidations, before + 1);
}

TEST(ParticleField, SetConfigurationNeedsArmedField) {
  FieldRig rig(320, 240, 100);
  EXPECT_EQ(rig.field->SetConfiguration(3), 0);
  ASSERT_EQ(rig.Lay(1, {}), 1);
  rig.field->StartAnimation();
  EXPECT_EQ(rig.field->SetConfiguration(5), 1);
  EXPECT_EQ(rig.field->configuration, 5);
  EXPECT_EQ(rig.field->animating, 0);
  EXPECT_EQ(rig.field->armed, 1);
}

TEST(ParticleField, SurfaceFactoryRecordsDepthAndFailure) {
  FieldRig rig(320, 240, 100);
  ParticleField& f = *rig.field;
  EXPECT_EQ(f.CreateMemorySurface16(), kOk);
  EXPECT_EQ(f.surfaceBits, 16);
  EXPECT_EQ(f.surface->Width(), 320);
  rig.window.refuseImage = true;
  EXPECT_EQ(f.CreateMemorySurface24(), kFail);
  EXPECT_EQ(f.surfaceBits, 24);
  EXPECT_EQ(f.CreateFrontBufferSurface24(), kInvalidArg);  // no display here
}

TEST(StartupLoad, ReadsStoredValuesAndKeepsDefaultsForBadOnes) {
  MemoryStore store;
  store.CreateKey(kConfigKey, nullptr);
  store.CreateKey(kMessagesKey, nullptr);
  store.CreateKey(kFavoritesKey, nullptr);
  WriteDword(store, kConfigKey, "Clock", 1);
  WriteDword(store, kConfigKey, "Style", 1);
  WriteString(store, kConfigKey, "Messages", "1");  // wrong type: ignored
  WriteDword(store, kConfigKey, "ScreenResX", 1024);
  WriteDword(store, kConfigKey, "ScreenResY", 768);
  WriteDword(store, kConfigKey, "ScreenResBits", 24);
  WriteDword(store, kConfigKey, "DirectDraw", 1);
  WriteDword(store, kMessagesKey, "Bold", 0);
  WriteDword(store, kMessagesKey, "Num", 3);
  WriteDword(store, kMessagesKey, "MinTime", 10);
  WriteDword(store, kMessagesKey, "MaxTime", 10);
  for (const char* name : {"Fav000", "Fav001", "Fav002"}) WriteString(store, kFavoritesKey, name, "x,1");
  WriteString(store, kFavoritesKey, "Fav004", "after a gap: not counted");
  WriteBinary(store, kConfigKey, "RanArray", {0, 1, 0});

  ManualClock clock;
  ParticleField f(store, clock);
  EXPECT_EQ(f.showClock, 1);
  EXPECT_EQ(f.overlayStyle, 1);
  EXPECT_EQ(f.showMessages, 0);
  EXPECT_EQ(f.screenResX, 1024);
  EXPECT_EQ(f.fontWeight, 400);
  EXPECT_EQ(f.messageCount, 3);
  EXPECT_EQ(f.favoriteCount, 3);
  EXPECT_EQ(f.selectedCount, 1);
  EXPECT_EQ(f.selectionFlags, (std::vector<uint8_t>{0, 1, 0}));
  EXPECT_EQ(f.transitionInterval, 10000u);
}

TEST(StartupLoad, SelectionFallsBackToAllFavorites) {
  struct Case {
    std::vector<uint8_t> stored;
    bool write;
  };
  const Case cases[] = {{{}, false}, {{0, 0}, true}, {{1, 1, 1, 1}, true}};  // missing, none, oversized
  for (const Case& c : cases) {
    MemoryStore store;
    store.CreateKey(kConfigKey, nullptr);
    store.CreateKey(kFavoritesKey, nullptr);
    WriteString(store, kFavoritesKey, "Fav000", "a");
    WriteString(store, kFavoritesKey, "Fav001", "b");
    if (c.write) WriteBinary(store, kConfigKey, "RanArray", c.stored);
    ManualClock clock;
    ParticleField f(store, clock);
    EXPECT_EQ(f.selectedCount, 2);
    EXPECT_EQ(f.selectionFlags, (std::vector<uint8_t>{1, 1}));
  }
}

// A favorite the saver cannot load costs only itself: the favorites after
// it are counted and rotated among, each with its own flag, and the rotation
// never draws the bad one.
TEST(StartupLoad, AnUnreadableFavoriteCostsOnlyItself) {
  struct Case {
    const char* what;
    std::vector<uint8_t> flags;  // empty: no "RanArray"
  };
  const Case cases[] = {{"no selection stored", {}}, {"all selected", std::vector<uint8_t>(50, 1)}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ResetProcessState();
    MemoryStore store;
    store.CreateKey(kConfigKey, nullptr);
    store.CreateKey(kFavoritesKey, nullptr);
    for (int32_t k = 0; k < 50; ++k) {
      char name[16];
      std::snprintf(name, sizeof name, "Fav%03d", k);
      WriteString(store, kFavoritesKey, name, "F" + std::to_string(k) + ",1,13,100");
    }
    WriteString(store, kFavoritesKey, "Fav005", "");
    WriteString(store, kFavoritesKey, "Fav010", std::string(300, 'L'));
    WriteString(store, kFavoritesKey, "Fav020", ",1,13,100");
    store.SetValue(kFavoritesKey, "Fav030", StoredValue{ValueType::kBinary, {}});
    if (!c.flags.empty()) WriteBinary(store, kConfigKey, "RanArray", c.flags);

    ManualClock clock;
    ParticleField f(store, clock);
    EXPECT_EQ(f.favoriteCount, 50);
    EXPECT_EQ(f.selectedCount, 46);
    for (size_t bad : {5u, 10u, 20u, 30u}) EXPECT_EQ(f.selectionFlags[bad], 0) << bad;
    std::vector<bool> drawn(50, false);
    for (int32_t draw = 0; draw < 2000; ++draw) {
      const int32_t index = PickRandomFavorite(f);
      ASSERT_GE(index, 0);
      ASSERT_LT(index, 50);
      drawn[static_cast<size_t>(index)] = true;
    }
    for (size_t k = 0; k < 50; ++k) EXPECT_EQ(drawn[k], k != 5 && k != 10 && k != 20 && k != 30) << k;
  }
}

TEST(StartupLoad, ReversedTimesDoNotOverflowTheInterval) {
  MemoryStore store;
  store.CreateKey(kMessagesKey, nullptr);
  WriteDword(store, kMessagesKey, "MinTime", 90);
  WriteDword(store, kMessagesKey, "MaxTime", 60);
  ManualClock clock;
  ParticleField f(store, clock);
  EXPECT_GE(f.transitionInterval, 90000u);
}

}  // namespace
}  // namespace brindlemar
