// The mode tables against the option parser that reads them: every name and
// every label selects its own mode, so no two rows of a table read alike and
// a row's name and label never drift apart.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "engine/modes.h"
#include "shell/render_options.h"

namespace brindlemar {
namespace {

template <class Mode, size_t N>
void ExpectEveryWordSelectsItsRow(const char* option, const ModeName<Mode> (&table)[N],
                                  int32_t ParameterSet::*field) {
  for (const ModeName<Mode>& row : table) {
    for (const char* word : {row.name, row.label}) {
      SCOPED_TRACE(std::string(option) + " " + word);
      RenderOptions o;
      std::string error;
      ASSERT_TRUE(ParseRenderOptions({option, word, "--out", "x.png"}, o, error)) << error;
      EXPECT_EQ(o.parameters.*field, Stored(row.value));
    }
  }
}

TEST(Modes, EveryNameAndLabelSelectsItsMode) {
  ExpectEveryWordSelectsItsRow("--configuration", kConfigurations, &ParameterSet::configuration);
  ExpectEveryWordSelectsItsRow("--dimensionality", kDimensionalities, &ParameterSet::dimensionality);
  ExpectEveryWordSelectsItsRow("--dot-style", kDotStyles, &ParameterSet::dotStyle);
}

TEST(Modes, OverlayNamesAreTheirFlags) {
  for (const ModeName<OverlayStyle>& row : kOverlayStyles) {
    SCOPED_TRACE(row.name);
    RenderOptions o;
    std::string error;
    ASSERT_TRUE(ParseRenderOptions({std::string("--") + row.name, "--out", "x.png"}, o, error)) << error;
    EXPECT_EQ(o.show.showClock, 1);
    EXPECT_EQ(o.show.overlayStyle, Stored(row.value));
  }
}

// Numbers outside the lists have no label: the layout only a stored record
// selects among them.
TEST(Modes, UnlistedNumbersHaveNoLabel) {
  struct Case {
    const char* label;
    const char* expected;
  };
  const Case cases[] = {
      {ConfigurationName(Stored(Configuration::kBrightPixels)), ""},
      {ConfigurationName(-1), ""},
      {ConfigurationName(kConfigurationCount), ""},
      {ConfigurationName(Stored(Configuration::kCircular)), "Circular"},
      {DimensionalityName(kDimensionalityCount), ""},
      {DotStyleName(-1), ""},
      {DotStyleName(Stored(DotStyle::kVerticalBars)), "Vertical Bars"},
  };
  for (const Case& c : cases) EXPECT_STREQ(c.label, c.expected);
}

}  // namespace
}  // namespace brindlemar
