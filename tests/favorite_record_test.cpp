#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "engine/particle_field.h"
#include "settings/favorite_record.h"
#include "support/field_fixture.h"

namespace brindlemar {
namespace {

using testing::FieldRig;

constexpr const char* kFalls = "Brindlemar Falls,3,24,1600,1284,855,5,499,1,0,0,1,0,4,0,.252212,40,1,4,1,10,40,120,692,0,1";

TEST(FavoriteRecord, NextFieldCutsAtCommaOrControlCharacter) {
  struct Case {
    std::string text;
    const char* field;
    std::string rest;
  };
  const Case cases[] = {
      {"abc,def", "abc", "def"},
      {"abc", "abc", ""},
      {",x", "", "x"},
      {"", "", ""},
      {"a,", "a", ""},
      {"X,1", "1993", "1"},
      {"X", "1993", ""},
      {"XX,1", "XX", "1"},
      {"x,1", "x", "1"},
      {" X,1", " X", "1"},
      {"ab\tcd,e", "ab", "cd,e"},
      {"ab\r\n7", "ab", "\n7"},
      {std::string("ab\0cd,e", 7), "ab", ""},
      {"\xC3\xA9t\xC3\xA9,1", "\xC3\xA9t\xC3\xA9", "1"},
  };
  for (const Case& c : cases) {
    std::string_view text = c.text;
    EXPECT_EQ(NextField(text), c.field) << "text: " << c.text;
    EXPECT_EQ(std::string(text), c.rest) << "text: " << c.text;
  }
}

TEST(FavoriteRecord, IntegerAndFractionFieldsReadLikeTheCLibrary) {
  struct IntCase {
    const char* text;
    int32_t value;
  };
  const IntCase ints[] = {
      {"42", 42},         {"  -17", -17},  {"+8", 8},     {"12abc", 12},          {"abc", 0},
      {"", 0},            {"-", 0},        {"- 5", 0},    {"0009", 9},            {"1993", 1993},
      {"2147483647", 2147483647},          {"-2147483648", std::numeric_limits<int32_t>::min()},
      {"99999999999999999999", std::numeric_limits<int32_t>::max()},
      {"-99999999999999999999", std::numeric_limits<int32_t>::min()},
  };
  for (const IntCase& c : ints) EXPECT_EQ(ReadIntegerField(c.text), c.value) << c.text;

  struct FracCase {
    const char* text;
    double value;
  };
  const FracCase fracs[] = {
      {".252212", 0.252212}, {"1.5", 1.5}, {"-.5", -0.5}, {"3", 3.0},   {"5.", 5.0},     {".", 0.0},
      {"abc", 0.0},          {"", 0.0},    {"1e5", 1.0},  {"  +2.25", 2.25}, {"7.5x9", 7.5},
  };
  for (const FracCase& c : fracs) EXPECT_EQ(ReadFractionField(c.text), c.value) << c.text;
  EXPECT_EQ(ReadFractionField(std::string(400, '9')), 0.0);  // beyond the double range
}

TEST(FavoriteRecord, FormatDecimal) {
  struct Case {
    double value;
    const char* text;
  };
  const Case cases[] = {
      {0.0, "0"},
      {-0.0, "0"},
      {kRecordField15, ".252212"},
      {0.252212, ".252212"},
      {1.0, "1"},
      {10.0, "10"},
      {100.5, "100.5"},
      {-2.75, "-2.75"},
      {0.1, ".1"},
      {1.0 / 3.0, ".333333"},
      {2.0 / 3.0, ".666666"},  // truncated, not rounded
      {123.0000001, "123"},
      {0.0000015, ".000001"},
      {0.9999999999, "1"},  // the added 4.66e-10 carries it over
      {1e20, "100000000000000000000"},
      {-1e-12, "-"},  // nothing but zeros remains after the sign
      {std::numeric_limits<double>::infinity(), "0"},
      {std::numeric_limits<double>::quiet_NaN(), "0"},
  };
  for (const Case& c : cases) EXPECT_EQ(FormatDecimal(c.value), c.text) << c.value;
}

TEST(FavoriteRecord, RecordsRoundTripInFavoriteForm) {
  const char* texts[] = {
      kFalls,
      "Butterflies,1,18,1800,3011,1149,14,1710,1,1,1,1,0,0,0,.252212,34,1,4,1,7,50,38,371,1,0",
      "Scribble,3,1,50,2264,1099,15,1527,1,0,1,1,0,2,0,.252212,95,1,2,2,0,0,0,471,0,1",
      "Rainbow Strings,1,6,4400,3995,1033,7,731,1,0,1,1,0,0,0,.252212,0,0,3,2,5,2,0,451,0,0",
      "Negative,0,25,100,100,0,1,10,60,1,0,1,0,3,0,-1.5,1,1,4,0,8,-10,950,1,1,0",
  };
  for (const char* text : texts) {
    FavoriteRecord r = ParseRecord(text);
    EXPECT_EQ(FormatRecord(r, RecordForm::kFavorite), text);
    EXPECT_EQ(ParseRecord(FormatRecord(r, RecordForm::kFavorite)), r);
  }
}

TEST(FavoriteRecord, FieldsLandInTheirPlaces) {
  FavoriteRecord r = ParseRecord(kFalls);
  EXPECT_EQ(r.name, "Brindlemar Falls");
  EXPECT_EQ(r.dimensionality, 3);
  EXPECT_EQ(r.configuration, 24);
  EXPECT_EQ(r.grains, 1600);
  EXPECT_EQ(r.activity, 1284);
  EXPECT_EQ(r.viscosity, 855);
  EXPECT_EQ(r.complexity, 5);
  EXPECT_EQ(r.brightness, 499);
  EXPECT_EQ(r.reflectionCount, 1);
  EXPECT_EQ(r.symmetric, 0);
  EXPECT_EQ(r.extraTwist, 0);
  EXPECT_EQ(r.field11, 1);
  EXPECT_EQ(r.dotStyle, 4);
  EXPECT_EQ(r.field15, 0.252212);
  EXPECT_EQ(r.trailLength, 40);
  EXPECT_EQ(r.trails, 1);
  EXPECT_EQ(r.styleCount, 4);
  EXPECT_EQ(r.styleValues[0], 1);
  EXPECT_EQ(r.styleValues[3], 120);
  EXPECT_EQ(r.colorRate, 692);
  EXPECT_EQ(r.reflections, 0);
  EXPECT_EQ(r.dither, 1);
}

TEST(FavoriteRecord, SettingsFormIsNamedStarWithTheConstants) {
  FavoriteRecord r = ParseRecord("Mine,3,24,1600,1284,855,5,499,1,0,0,7,7,4,7,9.5,40,1,4,1,10,40,120,692,0,1");
  EXPECT_EQ(FormatRecord(r, RecordForm::kSettings),
            "*,3,24,1600,1284,855,5,499,1,0,0,1,0,4,0,.252212,40,1,4,1,10,40,120,692,0,1");
  EXPECT_EQ(FormatRecord(r, RecordForm::kFavorite),
            "Mine,3,24,1600,1284,855,5,499,1,0,0,1,0,4,0,9.5,40,1,4,1,10,40,120,692,0,1");
}

TEST(FavoriteRecord, FavoriteWithTrailsOffBlanksTrailLengthAndDither) {
  FavoriteRecord r = ParseRecord(kFalls);
  r.trails = 0;
  std::string favorite = FormatRecord(r, RecordForm::kFavorite);
  EXPECT_EQ(favorite, "Brindlemar Falls,3,24,1600,1284,855,5,499,1,0,0,1,0,4,0,.252212,0,0,4,1,10,40,120,692,0,0");
  EXPECT_EQ(FormatRecord(r, RecordForm::kSettings),
            "*,3,24,1600,1284,855,5,499,1,0,0,1,0,4,0,.252212,40,0,4,1,10,40,120,692,0,1");
  EXPECT_EQ(RecordParameters(ParseRecord(favorite)).trailLength, 30);
}

TEST(FavoriteRecord, MissingFieldsReadAsZeroAndXAsTheYear) {
  FavoriteRecord shortRecord = ParseRecord("Short,2,5");
  EXPECT_EQ(shortRecord.name, "Short");
  EXPECT_EQ(shortRecord.dimensionality, 2);
  EXPECT_EQ(shortRecord.configuration, 5);
  FavoriteRecord expected;
  expected.name = "Short";
  expected.dimensionality = 2;
  expected.configuration = 5;
  EXPECT_EQ(shortRecord, expected);

  FavoriteRecord bare = ParseRecord("NoComma");
  EXPECT_EQ(bare.name, "NoComma");
  EXPECT_EQ(bare.grains, 0);

  FavoriteRecord year = ParseRecord("X,X,1,X");
  EXPECT_EQ(year.name, "X");  // the name is not a field
  EXPECT_EQ(year.dimensionality, 1993);
  EXPECT_EQ(year.grains, 1993);
}

// Text of every shape must be read without reading past it.
TEST(FavoriteRecord, DamagedTextIsReadSafely) {
  std::string falls = kFalls;
  for (size_t n = 0; n <= falls.size(); ++n) {
    FavoriteRecord r = ParseRecord(std::string_view(falls).substr(0, n));
    // A cut record keeps every field that ended before the cut.
    if (n > falls.find(",24,")) {
      EXPECT_EQ(r.dimensionality, 3);
    }
  }
  uint32_t state = 12345;
  for (int round = 0; round < 200; ++round) {
    std::string garbage(static_cast<size_t>(round * 3), '\0');
    for (char& c : garbage) {
      state = state * 1103515245u + 12345u;
      c = static_cast<char>(state >> 24);
    }
    FavoriteRecord r = ParseRecord(garbage);
    ParseRecord(FormatRecord(r, RecordForm::kFavorite));
  }
  FavoriteRecord huge = ParseRecord("Big," + std::string(100000, '7') + "," + std::string(10000, ','));
  EXPECT_EQ(huge.dimensionality, std::numeric_limits<int32_t>::max());
  EXPECT_EQ(huge.configuration, 0);
  FavoriteRecord longName = ParseRecord(std::string(5000, 'n') + ",1");
  EXPECT_EQ(longName.name.size(), 5000u);
  EXPECT_EQ(longName.dimensionality, 1);
}

TEST(FavoriteRecord, WildValuesLeaveASoundField) {
  FieldRig rig(64, 48, 100);
  ParticleField& f = *rig.field;
  uint32_t state = 99;
  // Small and huge values of both signs, the int32 ends included.
  auto wild = [&state] {
    state = state * 1103515245u + 12345u;
    uint32_t bits = state ^ (state >> 15);
    uint32_t magnitude = (state >> 28) % 8;
    if (magnitude == 7) return static_cast<int32_t>(bits);
    int32_t v = static_cast<int32_t>(bits % (1u << (magnitude * 4 + 1)));
    return (state & 0x100) ? -v : v;
  };
  for (int round = 0; round < 300; ++round) {
    std::string text = "W";
    for (int k = 0; k < 25; ++k) {
      text += ',';
      text += std::to_string(wild());
    }
    ASSERT_EQ(ApplyRecord(f, ParseRecord(text)), 1);
    ASSERT_GE(f.complexity, 0) << text;
    ASSERT_LE(f.complexity, 15) << text;
    ASSERT_GE(f.trailLength, 0) << text;
    ASSERT_LE(f.trailLength, 100) << text;
    ASSERT_GE(f.styleCount, 0) << text;
    ASSERT_LE(f.styleCount, 4) << text;
    ASSERT_TRUE(std::isfinite(GrainDamping(f.complexity, f.viscosity))) << text;
    ASSERT_LE(f.grainCapacity, kMaxGrains) << text;
    ASSERT_LE(f.reflectionCount, kMaxReflections) << text;
    ASSERT_GE(f.halfGrains, 0) << text;
  }
}

TEST(FavoriteRecord, StyleBlockIsReconciledWithTheTable) {
  struct Case {
    int32_t configuration;
    int32_t count;
    int32_t values[4];
    int32_t wantCount;
    int32_t want[4];
  };
  const Case cases[] = {
      {3, 0, {9, 9, 9, 9}, 4, {1, 40, 7, 5}},          // count 0 takes the table's values
      {3, 4, {1, 40, 31, 5}, 4, {1, 40, 7, 5}},        // "Num Rings" 31 is out of range
      {3, 1, {0, 100, 1, 0}, 4, {0, 100, 1, 0}},       // the count follows the table
      {5, 3, {2, 500, 500, 0}, 1, {2, 500, 500, 0}},   // unused values are kept as read
      {1, 2, {3, -1000, 0, 0}, 2, {2, -1000, 0, 0}},   // "Color" 3 is out of range
      {1, 2, {1, -1001, 0, 0}, 2, {1, 0, 0, 0}},
      {5, 0, {7, 7, 7, 7}, 1, {1, 0, 0, 0}},
      {99, 0, {7, 7, 7, 7}, 0, {0, 0, 0, 0}},          // no row: nothing to take
      {99, 9, {7, 7, 7, 7}, 4, {7, 7, 7, 7}},          // no row: the count is only held to 0..4
      {-1, -3, {7, 7, 7, 7}, 0, {7, 7, 7, 7}},
  };
  for (const Case& c : cases) {
    int32_t count = c.count;
    int32_t values[4] = {c.values[0], c.values[1], c.values[2], c.values[3]};
    ReconcileStyleBlock(c.configuration, count, values);
    EXPECT_EQ(count, c.wantCount) << "configuration " << c.configuration;
    for (int32_t j = 0; j < 4; ++j) EXPECT_EQ(values[j], c.want[j]) << "configuration " << c.configuration << " " << j;
  }
}

TEST(FavoriteRecord, ApplyRecordLoadsEveryField) {
  FieldRig rig;
  ParticleField& f = *rig.field;
  rig.clock.tick = 77777;
  ASSERT_EQ(ApplyRecord(f, ParseRecord(kFalls)), 1);
  EXPECT_EQ(f.favoriteName, "Brindlemar Falls");
  EXPECT_EQ(f.dimensionality, 3);
  EXPECT_EQ(f.configuration, 24);
  EXPECT_EQ(f.grainCapacity, 1600);
  EXPECT_EQ(f.liveGrains, 1600);
  EXPECT_EQ(f.halfGrains, 800);
  EXPECT_EQ(f.activity, 1284 * 0.001);
  EXPECT_EQ(f.activityStep, static_cast<float>(1284 * 0.001 * 0.1 + 0.03));
  EXPECT_EQ(f.viscosity, 241 - 855 * 0.2);
  EXPECT_EQ(f.complexity, 5);
  EXPECT_EQ(f.complexityHalf, 2);
  EXPECT_EQ(f.brightness, 499 * 0.001);
  EXPECT_EQ(f.reflectionCount, 1);
  EXPECT_EQ(f.symmetric, 0);
  EXPECT_EQ(f.extraTwist, 0);
  EXPECT_EQ(f.dotStyle, 4);
  EXPECT_EQ(f.trailLength, 40);
  EXPECT_EQ(f.trails, 1);
  EXPECT_EQ(f.styleCount, 4);
  const int32_t style[4] = {1, 10, 40, 120};
  for (int32_t j = 0; j < 4; ++j) EXPECT_EQ(f.styleValues[j], style[j]);
  EXPECT_EQ(f.colorRate, 692 * 0.001);
  double p = std::pow(692 * 0.001, 0.7);
  EXPECT_EQ(f.channelRate[0], static_cast<float>(0.02 - 0.016 * p));
  EXPECT_EQ(f.dither, 1);
  EXPECT_EQ(f.surface->FadeLevel(), ComputeFade(40, 1).multiplier);
  EXPECT_EQ(f.favoriteTick, 77777u);
}

TEST(FavoriteRecord, ReflectionsCheckBoxOverridesCountAndSymmetry) {
  FieldRig rig;
  ParticleField& f = *rig.field;
  ApplyRecord(f, ParseRecord("On,1,13,1000,3620,925,4,204,12,1,1,1,0,4,0,.252212,92,1,2,2,80,0,0,588,1,0"));
  EXPECT_EQ(f.reflectionCount, 12);
  EXPECT_EQ(f.symmetric, 1);
  ApplyRecord(f, ParseRecord("Off,1,13,1000,3620,925,4,204,12,1,1,1,0,4,0,.252212,92,1,2,2,80,0,0,588,0,0"));
  EXPECT_EQ(f.reflectionCount, 1);
  EXPECT_EQ(f.symmetric, 0);
  EXPECT_FLOAT_EQ(f.reflectionCos[0], 1.0f);
}

TEST(FavoriteRecord, OutOfRangeFieldsAreLimited) {
  struct Case {
    const char* record;
    int32_t complexity;
    int32_t trailLength;
    int32_t grains;
    double viscosity;
  };
  const Case cases[] = {
      {"A,1,13,300000,3620,925,20,204,1,0,1,1,0,4,0,0,0,1,2,2,80,0,0,588,0,0", 15, 30, 200000, 56.0},
      // Viscosity beyond the slider's range is taken as written.
      {"B,1,13,-5,3620,5000,-3,204,1,0,1,1,0,4,0,0,500,1,2,2,80,0,0,588,0,0", 0, 100, 0, -759.0},
      {"C,1,13,50,3620,-100,0,204,1,0,1,1,0,4,0,0,-4,1,2,2,80,0,0,588,0,0", 0, 0, 50, 261.0},
      {"D,1,13,50,3620,1205,0,204,1,0,1,1,0,4,0,0,-4,1,2,2,80,0,0,588,0,0", 0, 0, 50, 0.0},
  };
  for (const Case& c : cases) {
    FieldRig rig;
    ParticleField& f = *rig.field;
    ApplyRecord(f, ParseRecord(c.record));
    EXPECT_EQ(f.complexity, c.complexity) << c.record;
    EXPECT_EQ(f.complexityHalf, std::max(c.complexity / 2, 1)) << c.record;
    EXPECT_EQ(f.trailLength, c.trailLength) << c.record;
    EXPECT_EQ(f.grainCapacity, c.grains) << c.record;
    EXPECT_EQ(f.halfGrains, c.grains / 2) << c.record;
    EXPECT_EQ(f.viscosity, c.viscosity) << c.record;
  }
}

TEST(GrainDamping, FollowsTheViscosityAndGuardsOnlyTheDivisionByZero) {
  struct Case {
    int32_t complexity;
    double viscosity;
    float damping;
  };
  const Case cases[] = {
      {4, 56.0, static_cast<float>(1 - 1 / (5 * 56.0))},
      {4, 261.0, static_cast<float>(1 - 1 / (5 * 261.0))},
      {0, 1.0, 0.0f},
      {4, -759.0, static_cast<float>(1 - 1 / (5 * -759.0))},
      {4, 0.0, 0.0f},
      {-1, 56.0, 0.0f},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(GrainDamping(c.complexity, c.viscosity), c.damping) << c.complexity << " " << c.viscosity;
  }
}

TEST(FavoriteRecord, ColorRateZeroFollowsTheLoadedBrightness) {
  FieldRig rig;
  ApplyRecord(*rig.field, ParseRecord("Dim,1,13,1000,3620,925,4,500,1,0,1,1,0,4,0,0,92,1,2,2,80,0,0,0,0,0"));
  EXPECT_FLOAT_EQ(rig.field->channelRate[0], 0.010125f);
  EXPECT_FLOAT_EQ(rig.field->channelRate[1], 0.010125f);
  EXPECT_FLOAT_EQ(rig.field->channelRate[2], 0.009125f);
}

TEST(FavoriteRecord, RecordWithoutNameAppliesNothing) {
  FieldRig rig;
  ParticleField& f = *rig.field;
  f.favoriteName = "Before";
  EXPECT_EQ(ApplyRecord(f, ParseRecord(",3,24,1600")), 0);
  EXPECT_EQ(f.favoriteName, "");
  EXPECT_EQ(f.configuration, -1);
  EXPECT_EQ(f.grainCapacity, 1000);
}

TEST(FavoriteRecord, DefaultsAndPreviewQuarter) {
  FieldRig rig;
  ParticleField& f = *rig.field;
  ApplyDefaults(f);
  EXPECT_EQ(f.dimensionality, 1);
  EXPECT_EQ(f.configuration, 13);
  EXPECT_EQ(f.grainCapacity, 4700);
  EXPECT_EQ(f.halfGrains, 2350);
  EXPECT_EQ(f.activity, 3.62);
  EXPECT_EQ(f.viscosity, 56.0);
  EXPECT_EQ(f.complexity, 4);
  EXPECT_EQ(f.brightness, 0.204);
  EXPECT_EQ(f.reflectionCount, 1);
  EXPECT_EQ(f.symmetric, 0);
  EXPECT_EQ(f.extraTwist, 1);
  EXPECT_EQ(f.dotStyle, 4);
  EXPECT_EQ(f.trailLength, 92);
  EXPECT_EQ(f.trails, 1);
  EXPECT_EQ(f.styleCount, 2);
  EXPECT_EQ(f.styleValues[0], 2);
  EXPECT_EQ(f.styleValues[1], 80);
  EXPECT_EQ(f.colorRate, 0.588);
  EXPECT_EQ(f.dither, 0);

  f.fullScreen = 0;
  ApplyRecord(f, ParseRecord("P,1,13,1000,3620,925,4,204,1,0,1,1,0,4,0,0,92,1,2,2,80,0,0,588,0,0"));
  EXPECT_EQ(f.liveGrains, 250);
  EXPECT_EQ(f.halfGrains, 500);
}

// The record's slider units and the defaults' engine units describe the
// same animation.
TEST(FavoriteRecord, DefaultRecordMatchesTheDefaults) {
  ParameterSet fromRecord =
      RecordParameters(ParseRecord("D,1,13,4700,3620,925,4,204,1,0,1,1,0,4,0,.252212,92,1,2,2,80,0,0,588,0,0"));
  ParameterSet defaults = DefaultParameters();
  EXPECT_EQ(fromRecord.viscosity, defaults.viscosity);
  EXPECT_DOUBLE_EQ(fromRecord.activity, defaults.activity);
  EXPECT_DOUBLE_EQ(fromRecord.brightness, defaults.brightness);
  EXPECT_DOUBLE_EQ(fromRecord.colorRate, defaults.colorRate);
  EXPECT_EQ(fromRecord.grains, defaults.grains);
  EXPECT_EQ(fromRecord.trailLength, defaults.trailLength);
  EXPECT_EQ(fromRecord.styleCount, defaults.styleCount);
}

}  // namespace
}  // namespace brindlemar
