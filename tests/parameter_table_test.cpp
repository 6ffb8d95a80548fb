#include <gtest/gtest.h>

#include <set>
#include <string>

#include "settings/favorite_record.h"
#include "settings/parameter_table.h"

namespace brindlemar {
namespace {

TEST(ParameterTable, RowsSitAtTheirIdsAndEveryOptionNameIsFoundOnce) {
  std::set<std::string_view> names;
  for (int32_t i = 0; i < kParameterCount; ++i) {
    const Parameter& row = kParameters[i];
    EXPECT_EQ(static_cast<int32_t>(row.id), i) << row.flag;
    for (std::string_view name : {row.flag, row.negation}) {
      if (name.empty()) continue;
      EXPECT_TRUE(names.insert(name).second) << name << " twice";
      EXPECT_EQ(FindParameter(name), &row) << name;
    }
  }
  EXPECT_EQ(FindParameter("--grain"), nullptr);
}

// The defaults the table states (and --help prints) are those the engine
// starts from.
TEST(ParameterTable, DefaultsAreTheEngineDefaults) {
  const ParameterSet defaults = DefaultParameters();
  for (const Parameter& row : kParameters) {
    if (row.number) {
      EXPECT_EQ(defaults.*row.number, row.byDefault) << row.flag;
    }
    if (row.whole && row.id != ParameterId::kNoReflections) {
      EXPECT_EQ(defaults.*row.whole, row.byDefault) << row.flag;
    }
  }
}

// A record's slider position means the same engine value to the table (the
// dialogs, the options' record) as to the record's own reading, and comes
// back from it; the dialog's whole range lies within the option's.
TEST(ParameterTable, ScaleMatchesTheRecordAndKeepsTheSlidersSteps) {
  for (const Parameter& row : kParameters) {
    if (row.kind != ParameterKind::kNumber) continue;
    ASSERT_TRUE(row.record) << row.flag;
    for (int32_t slider = row.controlMin; slider <= row.controlMax; ++slider) {
      FavoriteRecord record;
      record.*row.record = slider;
      const double value = EngineValue(row, slider);
      ASSERT_EQ(RecordParameters(record).*row.number, value) << row.flag << " " << slider;
      ASSERT_EQ(SliderPosition(row, value), slider) << row.flag << " " << slider;
      ASSERT_GE(value, row.min) << row.flag << " " << slider;
      ASSERT_LE(value, row.max) << row.flag << " " << slider;
    }
  }
}

TEST(ParameterTable, HelpWritesRangeAndDefaultAsTheOptionsReadThem) {
  struct Case {
    ParameterId id;
    const char* usage;
    const char* help;
  };
  const Case cases[] = {
      {ParameterId::kGrains, "--grains N", "10 to 200000 (4700)"},
      {ParameterId::kViscosity, "--viscosity X", "1 to 241 (56)"},
      {ParameterId::kDotStyle, "--dot-style dots|sparkles|fuzzies|large-dots|vertical-bars|0..4", "(vertical-bars)"},
      {ParameterId::kTrails, "--trails, --no-trails", "leave trails (on)"},
      {ParameterId::kConfiguration, "--configuration NAME|N",
       "initial configuration (13 \"Expanding Line\"); names in any case, punctuation and spaces optional:"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ParameterUsage(ParameterRow(c.id)), c.usage);
    EXPECT_EQ(ParameterHelp(ParameterRow(c.id)), c.help);
  }
}

}  // namespace
}  // namespace brindlemar
