#include <gtest/gtest.h>

#include <cstring>

#include "engine/style_table.h"

namespace brindlemar {
namespace {

class StyleTableTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetStyleTable(); }
  void TearDown() override { ResetStyleTable(); }
};

struct Setting {
  const char* label;  // null: not in use
  int32_t min;
  int32_t max;
  int32_t defaultValue;
};

struct Record {
  const char* name;
  int32_t count;
  Setting settings[3];
  int32_t colorDefault;
};

constexpr Setting kNone = {nullptr, 0, 0, 0};

const Record kRecords[kConfigurationCount] = {
    {"The Big Bang", 2, {{"Explode Power", 0, 100, 50}, kNone, kNone}, 1},
    {"Full Field", 2, {{"Gravity", -1000, 1000, 0}, kNone, kNone}, 2},
    {"Globular", 2, {{"Concentration", 20, 800, 100}, kNone, kNone}, 1},
    {"Rings!", 4, {{"Explode Power", 0, 100, 40}, {"Num Rings", 1, 30, 7}, {"Diffusion", 0, 100, 5}}, 1},
    {"Ribbon", 3, {{"Width", 1, 200, 16}, {"Diffusion", 0, 4000, 5}, kNone}, 1},
    {"The Line", 1, {kNone, kNone, kNone}, 1},
    {"Parallel Lines", 3, {{"Num Lines", 1, 30, 3}, {"Diffusion", 0, 500, 15}, kNone}, 1},
    {"Bars", 3, {{"Num Bars", 1, 30, 12}, {"Diffusion", 0, 500, 5}, kNone}, 1},
    {"Dual Globular", 2, {{"Concentration", 20, 800, 100}, kNone, kNone}, 1},
    {"Pure White", 1, {kNone, kNone, kNone}, 1},
    {"Shooting Stars", 2, {{"New Dots/Group", 1, 250, 7}, kNone, kNone}, 1},
    {"White Hole", 3, {{"New Dots/Group", 1, 250, 7}, {"Energy", 1, 1000, 100}, kNone}, 1},
    {"Event Horizon", 2, {{"New Dots/Group", 1, 250, 7}, kNone, kNone}, 1},
    {"Expanding Line", 2, {{"Diffusion", 0, 200, 87}, kNone, kNone}, 1},
    {"Aurora", 3, {{"Gravity", -1000, 1000, 51}, {"Horz Squish", 0, 1000, 744}, kNone}, 0},
    {"Fountain", 4,
     {{"New Dots/Group", 1, 250, 7}, {"Gravity", -1000, 1000, 33}, {"Spray Spread", 0, 1000, 200}}, 1},
    {"Phasing", 2, {{"Gravity", -1000, 1000, -7}, kNone, kNone}, 2},
    {"Overcast", 2, {{"Gravity", -1000, 1000, -65}, kNone, kNone}, 2},
    {"Spinning Sprayer", 4,
     {{"New Dots/Group", 1, 250, 7}, {"Spinning Rate", 0, 300, 50}, {"Spray Spread", 1, 500, 38}}, 1},
    {"Regenerating", 4, {{"New Dots/Group", 1, 500, 10}, {"Gravity", -1000, 1000, 0}, {"Energy", 1, 400, 40}}, 1},
    {"Floating Sparkler", 3, {{"New Dots/Group", 1, 250, 7}, {"Energy", 1, 500, 60}, kNone}, 1},
    {"Radar Sweep", 3, {{"New Dots/Group", 1, 250, 7}, {"Spinning Rate", 1, 300, 50}, kNone}, 1},
    {"From the Ether", 4,
     {{"New Dots/Group", 1, 250, 8}, {"Gravity", -1000, 1000, 0}, {"Energy", 1, 400, 40}}, 0},
    {"Rising", 3, {{"New Dots/Group", 1, 250, 8}, {"Gravity", -1000, 1000, -42}, kNone}, 0},
    {"Falls", 4, {{"New Dots/Group", 1, 250, 8}, {"Gravity", -1000, 1000, 75}, {"Width", 1, 1000, 210}}, 1},
    {"Circular", 4, {{"New Dots/Group", 1, 250, 8}, {"Energy", -1000, 1000, -10}, {"Radius", 1, 1500, 950}}, 1},
};

void ExpectUnused(const StyleSetting& s) {
  EXPECT_EQ(s.kind, 0);
  for (char c : s.label) EXPECT_EQ(c, '\0');
  EXPECT_EQ(s.min, 0);
  EXPECT_EQ(s.max, 0);
  EXPECT_EQ(s.value, 0);
  EXPECT_EQ(s.defaultValue, 0);
}

TEST_F(StyleTableTest, EveryRecordMatchesTheTable) {
  for (int32_t i = 0; i < kConfigurationCount; ++i) {
    SCOPED_TRACE(i);
    const Record& want = kRecords[i];
    const StyleParams& got = StyleRecord(i);
    EXPECT_STREQ(ConfigurationName(i), want.name);
    EXPECT_EQ(got.count, want.count);
    EXPECT_EQ(StyleCount(i), want.count);

    const StyleSetting& color = got.settings[0];
    EXPECT_EQ(color.kind, 2);
    EXPECT_STREQ(color.label, "Color");
    EXPECT_EQ(color.min, 0);
    EXPECT_EQ(color.max, 2);
    EXPECT_EQ(color.value, want.colorDefault);
    EXPECT_EQ(color.defaultValue, want.colorDefault);

    for (int32_t j = 1; j < 4; ++j) {
      SCOPED_TRACE(j);
      const Setting& w = want.settings[j - 1];
      const StyleSetting& s = got.settings[j];
      EXPECT_EQ(w.label != nullptr, j < want.count);
      if (!w.label) {
        ExpectUnused(s);
        continue;
      }
      EXPECT_EQ(s.kind, 1);
      EXPECT_STREQ(s.label, w.label);
      EXPECT_EQ(s.min, w.min);
      EXPECT_EQ(s.max, w.max);
      EXPECT_EQ(s.value, w.defaultValue);
      EXPECT_EQ(s.defaultValue, w.defaultValue);
    }
  }
}

TEST_F(StyleTableTest, InvalidIndicesAreRefusedEverywhere) {
  for (int32_t index : {-1, 26, 1000}) {
    SCOPED_TRACE(index);
    int32_t count = 9;
    int32_t values[4] = {5, 6, 7, 8};
    EXPECT_EQ(GetStyleParams(index, count, values), 0);
    EXPECT_EQ(count, 0);
    for (int32_t v : values) EXPECT_EQ(v, 0);

    count = 9;
    int32_t checked[4] = {-5000, -5000, -5000, -5000};
    EXPECT_EQ(ValidateStyleValues(index, count, checked), 0);
    EXPECT_EQ(count, 9);
    for (int32_t v : checked) EXPECT_EQ(v, -5000);

    EXPECT_EQ(StoreStyleValues(index, 4, checked), 0);
    EXPECT_EQ(StyleCount(index), 0);
  }
}

TEST_F(StyleTableTest, GetStyleParamsZeroesEntriesBeyondTheCount) {
  int32_t count = -1;
  int32_t values[4] = {9, 9, 9, 9};
  EXPECT_EQ(GetStyleParams(5, count, values), 1);  // "The Line": colour only
  EXPECT_EQ(count, 1);
  EXPECT_EQ(values[0], 1);
  EXPECT_EQ(values[1], 0);
  EXPECT_EQ(values[2], 0);
  EXPECT_EQ(values[3], 0);

  EXPECT_EQ(GetStyleParams(4, count, values), 1);  // "Ribbon"
  EXPECT_EQ(count, 3);
  EXPECT_EQ(values[0], 1);
  EXPECT_EQ(values[1], 16);
  EXPECT_EQ(values[2], 5);
  EXPECT_EQ(values[3], 0);
}

TEST_F(StyleTableTest, ValidateReplacesOutOfRangeWithCurrentValue) {
  int32_t count = 0;
  int32_t values[4] = {1, 40, 31, 5};
  EXPECT_EQ(ValidateStyleValues(3, count, values), 1);
  EXPECT_EQ(count, 4);
  EXPECT_EQ(values[0], 1);
  EXPECT_EQ(values[1], 40);
  EXPECT_EQ(values[2], 7);
  EXPECT_EQ(values[3], 5);

  // The fallback is the current value, not the default, and the table
  // itself is left alone.
  int32_t stored[4] = {2, 60, 12, 9};
  ASSERT_EQ(StoreStyleValues(3, 4, stored), 1);
  int32_t again[4] = {3, 101, 0, 101};
  EXPECT_EQ(ValidateStyleValues(3, count, again), 1);
  EXPECT_EQ(again[0], 2);
  EXPECT_EQ(again[1], 60);
  EXPECT_EQ(again[2], 12);
  EXPECT_EQ(again[3], 9);
  EXPECT_EQ(StyleRecord(3).settings[1].value, 60);
  EXPECT_EQ(StyleRecord(3).settings[1].defaultValue, 40);
}

TEST_F(StyleTableTest, ValidateLeavesEntriesBeyondTheCountAlone) {
  int32_t count = 0;
  int32_t values[4] = {7, -3, 5000, -5000};
  EXPECT_EQ(ValidateStyleValues(5, count, values), 1);
  EXPECT_EQ(count, 1);
  EXPECT_EQ(values[0], 1);
  EXPECT_EQ(values[1], -3);
  EXPECT_EQ(values[2], 5000);
  EXPECT_EQ(values[3], -5000);
}

TEST_F(StyleTableTest, StoreWritesOnlyTheRecordsSettings) {
  int32_t values[3] = {2, 99, 99};
  EXPECT_EQ(StoreStyleValues(5, 3, values), 1);
  const StyleParams& line = StyleRecord(5);
  EXPECT_EQ(line.settings[0].value, 2);
  EXPECT_EQ(line.settings[1].value, 0);
  EXPECT_EQ(line.settings[2].value, 0);
  EXPECT_EQ(values[1], 99);

  int32_t count = 0;
  int32_t got[4] = {};
  GetStyleParams(5, count, got);
  EXPECT_EQ(got[0], 2);
  EXPECT_EQ(got[1], 0);
}

TEST_F(StyleTableTest, StoreStopsAtTheCallersCount) {
  int32_t values[2] = {0, 20};
  EXPECT_EQ(StoreStyleValues(3, 2, values), 1);
  const StyleParams& rings = StyleRecord(3);
  EXPECT_EQ(rings.settings[0].value, 0);
  EXPECT_EQ(rings.settings[1].value, 20);
  EXPECT_EQ(rings.settings[2].value, 7);
  EXPECT_EQ(rings.settings[3].value, 5);
}

TEST_F(StyleTableTest, StoreFixesOutOfRangeInTheCallersArray) {
  int32_t values[4] = {3, 50, 0, 100};  // colour 3 and zero rings are out of range
  EXPECT_EQ(StoreStyleValues(3, 4, values), 1);
  EXPECT_EQ(values[0], 1);
  EXPECT_EQ(values[2], 7);
  const StyleParams& rings = StyleRecord(3);
  EXPECT_EQ(rings.settings[0].value, 1);
  EXPECT_EQ(rings.settings[1].value, 50);
  EXPECT_EQ(rings.settings[2].value, 7);
  EXPECT_EQ(rings.settings[3].value, 100);
}

TEST_F(StyleTableTest, RangesAreInclusive) {
  struct Case {
    int32_t index;
    int32_t setting;
    int32_t value;
    bool accepted;
  };
  const Case cases[] = {
      {1, 1, -1000, true},  {1, 1, 1000, true},  {1, 1, -1001, false}, {1, 1, 1001, false},
      {16, 1, -1000, true}, {16, 1, -1001, false},
      {18, 2, 0, true},     {21, 2, 0, false},    {21, 2, 1, true},     {18, 2, 300, true},
      {18, 2, 301, false},  {2, 1, 19, false},    {2, 1, 20, true},     {2, 1, 800, true},
      {0, 0, -1, false},    {0, 0, 2, true},      {0, 0, 3, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << "index " << c.index << " setting " << c.setting << " value " << c.value);
    ResetStyleTable();
    int32_t count = 0;
    int32_t values[4] = {};
    ASSERT_EQ(GetStyleParams(c.index, count, values), 1);
    int32_t before = values[c.setting];
    values[c.setting] = c.value;
    ASSERT_EQ(ValidateStyleValues(c.index, count, values), 1);
    EXPECT_EQ(values[c.setting], c.accepted ? c.value : before);

    values[c.setting] = c.value;
    ASSERT_EQ(StoreStyleValues(c.index, count, values), 1);
    EXPECT_EQ(StyleRecord(c.index).settings[c.setting].value, c.accepted ? c.value : before);
  }
}

TEST_F(StyleTableTest, ResetRestoresDefaults) {
  int32_t values[4] = {0, 123, 0, 0};
  ASSERT_EQ(StoreStyleValues(1, 2, values), 1);
  ASSERT_EQ(StyleRecord(1).settings[1].value, 123);
  ResetStyleTable();
  EXPECT_EQ(StyleRecord(1).settings[0].value, 2);
  EXPECT_EQ(StyleRecord(1).settings[1].value, 0);
}

}  // namespace
}  // namespace brindlemar
