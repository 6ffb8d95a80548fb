#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/particle_field.h"
#include "engine/process_state.h"
#include "engine/style_table.h"
#include "settings/default_mode.h"
#include "settings/load_parameters.h"
#include "settings/memory_store.h"
#include "settings/presets.h"
#include "settings/settings_store.h"
#include "support/test_window.h"
#include "surfaces/display_modes.h"

namespace brindlemar {
namespace {

using testing::TestWindow;

// A display that offers a fixed list of modes and counts the requests.
class FakeModes final : public DisplayModeSource {
 public:
  explicit FakeModes(std::vector<DisplayMode> modes) : modes_(std::move(modes)) {}

  int32_t EnumerateModes(DisplayModeList& list) const override {
    ++calls;
    list = DisplayModeList{};
    for (const DisplayMode& m : modes_) list.Offer(m.width, m.height, m.bits);
    return list.count;
  }

  mutable int32_t calls = 0;

 private:
  std::vector<DisplayMode> modes_;
};

int32_t Dword(MemoryStore& store, const char* name) {
  int32_t value = -99;
  ReadDword(store, kConfigKey, name, value);
  return value;
}

// A field over a store, full screen on an 800x600 window, as the saver
// attaches it.
struct Rig {
  explicit Rig(const DisplayModeSource& modes = NoDisplayModes()) {
    clock.tick = 5000;
    field = std::make_unique<ParticleField>(store, clock, modes);
    field->BindWindow(&window, 1);
  }

  MemoryStore store;
  ManualClock clock;
  TestWindow window{800, 600};
  std::unique_ptr<ParticleField> field;
};

TEST(DisplayModes, DefaultModeIsNearestTheSizeAndAspectWanted) {
  struct Case {
    std::vector<DisplayMode> modes;
    DisplayMode chosen;
  };
  const Case cases[] = {
      {{{640, 480, 16}, {512, 384, 16}, {512, 384, 24}}, {512, 384, 24}},
      {{{320, 240, 16}, {640, 480, 16}, {400, 300, 16}, {512, 384, 16}, {800, 600, 16}}, {512, 384, 16}},
      {{{640, 480, 24}, {400, 300, 24}}, {400, 300, 24}},
      {{{320, 240, 16}, {640, 480, 16}}, {640, 480, 16}},
      {{{1024, 768, 24}}, {1024, 768, 24}},
      // 8 and 32 bits are not offered at all.
      {{{512, 384, 32}, {512, 384, 8}, {1280, 1024, 16}}, {1280, 1024, 16}},
  };
  for (const Case& c : cases) {
    DisplayModeList list;
    FakeModes(c.modes).EnumerateModes(list);
    int32_t w = -1, h = -1, bits = -1;
    EXPECT_EQ(ChooseDefaultMode(list, &w, &h, &bits), kOk);
    EXPECT_EQ(w, c.chosen.width);
    EXPECT_EQ(h, c.chosen.height);
    EXPECT_EQ(bits, c.chosen.bits);
  }

  DisplayModeList empty;
  int32_t w = -1, h = -1, bits = -1;
  EXPECT_EQ(ChooseDefaultMode(empty, &w, &h, &bits), kFail);
  EXPECT_EQ(w, 0);
  EXPECT_EQ(h, 0);
  EXPECT_EQ(bits, 0);
  EXPECT_EQ(ChooseDefaultMode(empty, &w, nullptr, &bits), kInvalidArg);
}

TEST(DisplayModes, ListKeepsTheFirst32SuitableModes) {
  DisplayModeList list;
  for (int32_t k = 0; k < 40; ++k) {
    list.Offer(640 + k, 480, 16);
    list.Offer(640 + k, 480, 32);
  }
  list.Offer(0, 480, 16);
  ASSERT_EQ(list.count, kMaxDisplayModes);
  EXPECT_EQ(list.modes[0].width, 640);
  EXPECT_EQ(list.modes[31].width, 671);
}

TEST(FirstStart, InstallsPresetsStoresTheDefaultModeAndShowsTheFalls) {
  const FakeModes modes({{640, 480, 16}, {512, 384, 16}, {512, 384, 24}});
  Rig rig(modes);
  ParticleField& f = *rig.field;
  EXPECT_EQ(f.presetsInstalled, 1);
  EXPECT_EQ(f.favoriteCount, kPresetCount);
  EXPECT_EQ(f.selectedCount, kPresetCount);
  std::vector<std::string> names = rig.store.EnumerateValues(kFavoritesKey);
  ASSERT_EQ(names.size(), static_cast<size_t>(kPresetCount));
  EXPECT_EQ(names.front(), "Fav000");
  EXPECT_EQ(names.back(), "Fav050");

  EXPECT_EQ(Dword(rig.store, "DirectDraw"), 1);
  EXPECT_EQ(Dword(rig.store, "ScreenResX"), 512);
  EXPECT_EQ(Dword(rig.store, "ScreenResY"), 384);
  EXPECT_EQ(Dword(rig.store, "ScreenResBits"), 24);
  EXPECT_EQ(f.screenResX, 512);
  EXPECT_EQ(f.screenResBits, 24);
  EXPECT_EQ(f.useDirectDraw, -1);  // decided in the store, not yet in the field

  // The first random load shows "Brindlemar Falls" without a draw.
  EXPECT_EQ(LoadParameters(f, rig.store, true), 1);
  EXPECT_EQ(f.favoriteName, "Brindlemar Falls");
  EXPECT_EQ(f.configuration, 24);
  EXPECT_EQ(f.grainCapacity, 1600);
  EXPECT_EQ(f.presetsInstalled, 0);
  EXPECT_EQ(f.lastFavorite, -1);

  // The next start finds everything in place and chooses no mode.
  ParticleField again(rig.store, rig.clock, modes);
  EXPECT_EQ(modes.calls, 1);
  EXPECT_EQ(again.presetsInstalled, 0);
  EXPECT_EQ(again.favoriteCount, kPresetCount);
  EXPECT_EQ(again.screenResX, 512);
}

TEST(FirstStart, WithoutDisplayModesDirectDrawIsTurnedOff) {
  Rig rig;
  EXPECT_EQ(Dword(rig.store, "DirectDraw"), 0);
  EXPECT_EQ(Dword(rig.store, "ScreenResX"), -99);
  EXPECT_EQ(rig.field->useDirectDraw, 0);
  EXPECT_EQ(rig.field->screenResX, 0);

  int32_t w = 7, h = 7, bits = 7;
  EXPECT_EQ(StoreDefaultMode(rig.store, NoDisplayModes(), w, h, bits), kFail);
  EXPECT_EQ(w + h + bits, 0);
}

TEST(FirstStart, WithoutTheFallsTheFirstRandomLoadDraws) {
  Rig rig;
  ParticleField& f = *rig.field;
  WriteString(rig.store, kFavoritesKey, "Fav039", FastPreset(38));
  EXPECT_EQ(LoadParameters(f, rig.store, true), 1);
  EXPECT_NE(f.lastFavorite, -1);
  EXPECT_EQ(f.presetsInstalled, 0);
  EXPECT_EQ(f.favoriteName, PresetName(f.lastFavorite == 39 ? 38 : f.lastFavorite));
}

TEST(LoadParameters, SettingsRecordSetsTheFieldUp) {
  Rig rig;
  ParticleField& f = *rig.field;
  WriteString(rig.store, kConfigKey, "Settings",
              "*,2,6,3001,2000,700,20,500,5,1,0,1,0,1,0,.252212,0,1,0,0,0,0,0,250,1,1");
  WriteDword(rig.store, kConfigKey, "TargetFPS", 25);
  rig.clock.tick = 123456;

  EXPECT_EQ(LoadParameters(f, rig.store, false), 1);
  EXPECT_EQ(f.favoriteName, "*");
  EXPECT_EQ(f.dimensionality, 2);
  EXPECT_EQ(f.configuration, 6);
  EXPECT_EQ(f.grainCapacity, 3001);
  EXPECT_EQ(f.liveGrains, 3001);
  EXPECT_NE(f.posX, nullptr);
  EXPECT_EQ(f.halfGrains, 1500);
  EXPECT_EQ(f.complexity, 15);  // 20 held to 15
  EXPECT_EQ(f.complexityHalf, 7);
  EXPECT_EQ(f.activity, 2.0);
  EXPECT_EQ(f.viscosity, 241 - 700 * 0.2);
  EXPECT_EQ(f.reflectionCount, 5);
  EXPECT_EQ(f.symmetric, 1);
  EXPECT_EQ(f.trailLength, 30);  // 0 reads as 30
  EXPECT_EQ(f.dither, 1);
  EXPECT_EQ(f.styleCount, StyleCount(6));  // a count of 0 takes the table's
  EXPECT_EQ(f.targetFps, 25);
  EXPECT_EQ(f.favoriteTick, 123456u);

  // A smaller count reallocates too, and halves with truncation.
  WriteString(rig.store, kConfigKey, "Settings", "*,1,13,501");
  EXPECT_EQ(LoadParameters(f, rig.store, false), 1);
  EXPECT_EQ(f.grainCapacity, 501);
  EXPECT_EQ(f.halfGrains, 250);
}

TEST(LoadParameters, MissingOrEmptyRecordsGiveTheDefaultsAndNamelessOnesNothing) {
  struct Case {
    const char* settings;  // null: no "Settings" value
    int32_t result;
    int32_t configuration;
    int32_t grains;
  };
  const Case cases[] = {
      {nullptr, 1, 13, 4700},
      {"", 1, 13, 4700},
      {",3,24,1600,1284", 0, 6, 3001},  // the field keeps what it had
  };
  for (const Case& c : cases) {
    Rig rig;
    ParticleField& f = *rig.field;
    WriteString(rig.store, kConfigKey, "Settings", "Before,2,6,3001,2000,700,4,500");
    ASSERT_EQ(LoadParameters(f, rig.store, false), 1);
    if (c.settings) {
      WriteString(rig.store, kConfigKey, "Settings", c.settings);
    } else {
      rig.store.DeleteValue(kConfigKey, "Settings");
    }
    EXPECT_EQ(LoadParameters(f, rig.store, false), c.result);
    EXPECT_EQ(f.configuration, c.configuration);
    EXPECT_EQ(f.grainCapacity, c.grains);
  }
}

// Settings that cannot be read draw the defaults, never an empty field;
// a field already drawing something keeps it.
TEST(LoadParameters, WhatCannotBeReadGivesANewFieldTheDefaults) {
  for (bool random : {true, false}) {
    SCOPED_TRACE(random ? "a random favorite" : "the settings");
    Rig rig;
    ParticleField& f = *rig.field;
    rig.store.DeleteKey(kProductKey);
    EXPECT_EQ(LoadParameters(f, rig.store, random), 1);
    EXPECT_EQ(f.configuration, 13);
    EXPECT_EQ(f.grainCapacity, 4700);
    EXPECT_EQ(f.presetsInstalled, 1);
    EXPECT_EQ(f.lastFavorite, -1) << "no favorite was drawn";
    EXPECT_EQ(f.targetFps, 12);

    ASSERT_TRUE(rig.store.CreateKey(kConfigKey, nullptr));
    WriteString(rig.store, kConfigKey, "Settings", "Shown,2,6,3001,2000,700,4,500");
    ASSERT_EQ(LoadParameters(f, rig.store, false), 1);
    rig.store.DeleteKey(kProductKey);
    EXPECT_EQ(LoadParameters(f, rig.store, random), 0);
    EXPECT_EQ(f.configuration, 6);
    EXPECT_EQ(f.grainCapacity, 3001);
  }

  Rig rig;
  WriteString(rig.store, kConfigKey, "Settings", ",3,24,1600,1284");
  EXPECT_EQ(LoadParameters(*rig.field, rig.store, false), 0) << "a record without a name applies nothing";
  EXPECT_EQ(rig.field->configuration, 13);
  EXPECT_EQ(rig.field->grainCapacity, 4700);
}

// The generator's state after n draws from the field's current state.
int32_t StateAfter(const ParticleField& f, int32_t n) {
  CombinedRandom shadow;
  shadow.s1 = f.random.s1;
  shadow.s2 = f.random.s2;
  for (int32_t k = 0; k < n; ++k) shadow.Next();
  return shadow.s1;
}

TEST(PickRandomFavorite, OneSelectedFavoriteDrawsTenTimesAfterTheFirst) {
  Rig rig;
  ParticleField& f = *rig.field;
  f.favoriteCount = 3;
  f.selectionFlags = {0, 1, 0};
  f.selectedCount = 1;
  int32_t expected = StateAfter(f, 1);
  EXPECT_EQ(PickRandomFavorite(f), 1);
  EXPECT_EQ(f.random.s1, expected);
  EXPECT_EQ(f.lastFavorite, 0);
  for (int32_t pick = 0; pick < 3; ++pick) {
    expected = StateAfter(f, 10);
    EXPECT_EQ(PickRandomFavorite(f), 1);
    EXPECT_EQ(f.random.s1, expected);
  }
}

TEST(PickRandomFavorite, AvoidsTheLastChoiceAmongSeveral) {
  Rig rig;
  ParticleField& f = *rig.field;
  f.favoriteCount = 4;
  f.selectionFlags = {1, 0, 1, 1};
  f.selectedCount = 3;
  int32_t previous = PickRandomFavorite(f);
  for (int32_t pick = 0; pick < 50; ++pick) {
    int32_t next = PickRandomFavorite(f);
    EXPECT_NE(next, 1);
    EXPECT_NE(next, previous);
    previous = next;
  }
}

TEST(PickRandomFavorite, RunningOutOfSelectedFavoritesLoadsTheDefaults) {
  Rig rig;
  ParticleField& f = *rig.field;
  // More selected than the flags show: every ordinal walks off the end.
  f.selectionFlags.assign(static_cast<size_t>(f.favoriteCount), 0);
  f.selectedCount = 2;
  f.presetsInstalled = 0;
  EXPECT_EQ(PickRandomFavorite(f), kPresetCount);

  EXPECT_EQ(LoadParameters(f, rig.store, true), 1);
  EXPECT_EQ(f.configuration, 13);
  EXPECT_EQ(f.grainCapacity, 4700);
  EXPECT_EQ(f.dotStyle, 4);
}

}  // namespace
}  // namespace brindlemar
