#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

#include "engine/style_table.h"
#include "support/shared_state.h"

namespace brindlemar {
namespace {

class StyleTableTest : public ::testing::Test {
 protected:
  testing::StyleTableScope table;
};

void ExpectUnused(const StyleSetting& s) {
  EXPECT_EQ(s.kind, 0);
  for (char c : s.label) EXPECT_EQ(c, '\0');
  EXPECT_EQ(s.min, 0);
  EXPECT_EQ(s.max, 0);
  EXPECT_EQ(s.value, 0);
  EXPECT_EQ(s.defaultValue, 0);
}

// What every record must hold, whatever its numbers: a name of its own, the
// "Color" choice first, then count - 1 integer settings with a label and a
// default inside their range, every slot past the count empty, and the
// current values at the defaults, as GetStyleParams hands them out.
TEST_F(StyleTableTest, EveryRecordIsWellFormed) {
  std::set<std::string> names;
  for (int32_t i = 0; i < kConfigurationCount; ++i) {
    SCOPED_TRACE(i);
    ASSERT_NE(ConfigurationName(i), nullptr);
    EXPECT_STRNE(ConfigurationName(i), "");
    EXPECT_TRUE(names.insert(ConfigurationName(i)).second) << ConfigurationName(i) << " twice";
    const StyleParams& record = StyleRecord(i);
    EXPECT_GE(record.count, 1);
    EXPECT_LE(record.count, 4);
    EXPECT_EQ(StyleCount(i), record.count);

    const StyleSetting& color = record.settings[0];
    EXPECT_EQ(color.kind, 2);
    EXPECT_STREQ(color.label, "Color");
    EXPECT_EQ(color.min, 0);
    EXPECT_EQ(color.max, 2);

    int32_t count = 0;
    int32_t values[4] = {-9, -9, -9, -9};
    ASSERT_EQ(GetStyleParams(i, count, values), 1);
    EXPECT_EQ(count, record.count);
    for (int32_t j = 0; j < 4; ++j) {
      SCOPED_TRACE(j);
      const StyleSetting& s = record.settings[j];
      if (j >= record.count) {
        ExpectUnused(s);
        EXPECT_EQ(values[j], 0);
        continue;
      }
      if (j > 0) {
        EXPECT_EQ(s.kind, 1);
      }
      EXPECT_NE(std::memchr(s.label, '\0', sizeof s.label), nullptr);
      EXPECT_STRNE(s.label, "");
      EXPECT_LE(s.min, s.defaultValue);
      EXPECT_LE(s.defaultValue, s.max);
      EXPECT_EQ(s.value, s.defaultValue);
      EXPECT_EQ(values[j], s.defaultValue);
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
