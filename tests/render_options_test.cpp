#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/style_table.h"
#include "shell/render_options.h"

namespace brindlemar {
namespace {

using Args = std::vector<std::string>;

bool Parse(Args args, RenderOptions& o, std::string& error) {
  ResetStyleTable();
  return ParseRenderOptions(args, o, error);
}

TEST(RenderOptions, DefaultsAreTheEngineDefaults) {
  RenderOptions o;
  std::string error;
  ASSERT_TRUE(Parse({"--out", "a.png"}, o, error)) << error;
  EXPECT_EQ(o.width, 640);
  EXPECT_EQ(o.height, 480);
  EXPECT_EQ(o.frames, 300);
  EXPECT_EQ(o.fps, 30);
  EXPECT_EQ(o.seed, 1);
  EXPECT_EQ(o.every, 0);
  EXPECT_EQ(o.out, "a.png");
  EXPECT_FALSE(o.progress);
  EXPECT_TRUE(o.recordName.empty());
  const ParameterSet d = DefaultParameters();
  EXPECT_EQ(o.parameters.configuration, d.configuration);
  EXPECT_EQ(o.parameters.activity, d.activity);
  EXPECT_EQ(o.parameters.styleCount, 2);
  EXPECT_EQ(o.parameters.styleValues[1], 80);
}

TEST(RenderOptions, EveryOptionLandsInItsPlace) {
  RenderOptions o;
  std::string error;
  ASSERT_TRUE(Parse({"--size", "800x600", "--frames=12", "--fps", "60", "--seed", "0", "--every", "3", "--out-dir",
                     "frames", "--progress", "--configuration", "rings!", "--dimensionality", "Recursive",
                     "--grains", "9000", "--activity", "1.5", "--viscosity", "100", "--complexity", "15",
                     "--brightness", "0.5", "--color-rate", "0", "--dot-style", "Large-Dots", "--no-extra-twist",
                     "--no-trails", "--trail-length", "7", "--dither", "--reflections", "6", "--symmetric",
                     "--style-values", "0,100,30"},
                    o, error))
      << error;
  EXPECT_EQ(o.width, 800);
  EXPECT_EQ(o.height, 600);
  EXPECT_EQ(o.frames, 12);
  EXPECT_EQ(o.fps, 60);
  EXPECT_EQ(o.seed, 0);
  EXPECT_EQ(o.every, 3);
  EXPECT_EQ(o.outDir, "frames");
  EXPECT_TRUE(o.progress);
  const ParameterSet& p = o.parameters;
  EXPECT_EQ(p.configuration, 3);
  EXPECT_EQ(p.dimensionality, 3);
  EXPECT_EQ(p.grains, 9000);
  EXPECT_EQ(p.activity, 1.5);
  EXPECT_EQ(p.viscosity, 100.0);
  EXPECT_EQ(p.complexity, 15);
  EXPECT_EQ(p.brightness, 0.5);
  EXPECT_EQ(p.colorRate, 0.0);
  EXPECT_EQ(p.dotStyle, 3);
  EXPECT_EQ(p.extraTwist, 0);
  EXPECT_EQ(p.trails, 0);
  EXPECT_EQ(p.trailLength, 7);
  EXPECT_EQ(p.dither, 1);
  EXPECT_EQ(p.reflectionCount, 6);
  EXPECT_EQ(p.symmetric, 1);
  EXPECT_EQ(p.reflections, 1);
  // "Rings!": the three given values, the fourth from the table.
  EXPECT_EQ(p.styleCount, 4);
  const int32_t style[4] = {0, 100, 30, 5};
  for (int32_t j = 0; j < 4; ++j) EXPECT_EQ(p.styleValues[j], style[j]);
}

TEST(RenderOptions, NamesAndNumbersSelectTheSameChoice) {
  struct Case {
    Args args;
    int32_t configuration, dimensionality, dotStyle;
  };
  const Case cases[] = {
      {{"--configuration", "The Big Bang"}, 0, 1, 4},
      {{"--configuration", "the-big-bang"}, 0, 1, 4},
      {{"--configuration", "25"}, 25, 1, 4},
      {{"--configuration", "FROM THE ETHER"}, 22, 1, 4},
      {{"--dimensionality", "aurora", "--dot-style", "dots"}, 13, 0, 0},
      {{"--dimensionality", "2", "--dot-style", "vertical-bars"}, 13, 2, 4},
      {{"--dot-style", "4", "--dot-style", "sparkles"}, 13, 1, 1},  // the last one counts
  };
  for (const Case& c : cases) {
    Args args = c.args;
    args.insert(args.end(), {"--out", "x.png"});
    RenderOptions o;
    std::string error;
    ASSERT_TRUE(Parse(args, o, error)) << error;
    EXPECT_EQ(o.parameters.configuration, c.configuration) << args[1];
    EXPECT_EQ(o.parameters.dimensionality, c.dimensionality) << args[1];
    EXPECT_EQ(o.parameters.dotStyle, c.dotStyle) << args[1];
  }
}

TEST(RenderOptions, RecordIsTheBaseWhateverTheOrder) {
  RenderOptions o;
  std::string error;
  ASSERT_TRUE(Parse({"--grains", "500", "--record",
                     "Brindlemar Falls,3,24,1600,1284,855,5,499,1,0,0,1,0,4,0,.252212,40,1,4,1,10,40,120,692,0,1",
                     "--out", "f.png"},
                    o, error))
      << error;
  EXPECT_EQ(o.recordName, "Brindlemar Falls");
  EXPECT_EQ(o.parameters.grains, 500);
  EXPECT_EQ(o.parameters.configuration, 24);
  EXPECT_EQ(o.parameters.activity, 1284 * 0.001);
  EXPECT_EQ(o.parameters.styleCount, 4);
  EXPECT_EQ(o.parameters.styleValues[3], 120);

  // A new configuration takes the table's settings, not the record's.
  ASSERT_TRUE(Parse({"--record", "R,3,24,1600,1284,855,5,499,1,0,0,1,0,4,0,0,40,1,4,1,10,40,120,692,0,1",
                     "--configuration", "Fountain", "--out", "f.png"},
                    o, error));
  EXPECT_EQ(o.parameters.configuration, 15);
  EXPECT_EQ(o.parameters.styleCount, 0);
}

TEST(RenderOptions, HelpNeedsNothingElse) {
  for (const char* flag : {"--help", "-h"}) {
    RenderOptions o;
    std::string error;
    ASSERT_TRUE(Parse({flag}, o, error));
    EXPECT_TRUE(o.help);
  }
  EXPECT_NE(RenderUsage("brindlemar-render").find("--style-values"), std::string::npos);
}

TEST(RenderOptions, BadOptionsAreRefusedWithTheOptionNamed) {
  struct Case {
    Args args;
    const char* mentions;
    bool asGiven = false;  // otherwise "--out x.png" is added, so the fault is the case's own
  };
  const Case cases[] = {
      {{"--frobnicate"}, "--frobnicate"},
      {{"stray"}, "stray"},
      {{"-x"}, "-x"},
      {{"--"}, "--"},
      {{"--grains"}, "--grains", true},              // missing value at the end
      {{"--grains", "--out", "a.png"}, "--grains"},  // missing value before the next option
      {{"--out"}, "--out", true},
      {{"--out="}, "--out", true},
      {{"--dither=1"}, "--dither"},
      {{"--grains", "many"}, "--grains"},
      {{"--grains", "12x"}, "--grains"},
      {{"--grains", "5"}, "--grains"},
      {{"--grains", "200001"}, "--grains"},
      {{"--grains", "99999999999"}, "--grains"},
      {{"--frames", "0"}, "--frames"},
      {{"--fps", "0"}, "--fps"},
      {{"--fps", "2.5"}, "--fps"},
      {{"--seed", "-1"}, "--seed"},
      {{"--every", "0", "--out-dir", "d"}, "--every"},
      {{"--activity", "abc"}, "--activity"},
      {{"--activity", "nan"}, "--activity"},
      {{"--activity", "inf"}, "--activity"},
      {{"--activity", "5.01"}, "--activity"},
      {{"--activity", "1e999"}, "--activity"},
      {{"--viscosity", "0"}, "--viscosity"},
      {{"--brightness", "3"}, "--brightness"},
      {{"--color-rate", "-0.1"}, "--color-rate"},
      {{"--complexity", "16"}, "--complexity"},
      {{"--complexity", "0"}, "--complexity"},
      {{"--trail-length", "101"}, "--trail-length"},
      {{"--reflections", "61"}, "--reflections"},
      {{"--configuration", "26"}, "--configuration"},
      {{"--configuration", "Nowhere"}, "--configuration"},
      {{"--configuration", "!!"}, "--configuration"},
      {{"--dimensionality", "4"}, "--dimensionality"},
      {{"--dimensionality", "flat"}, "--dimensionality"},
      {{"--dot-style", "stars"}, "--dot-style"},
      {{"--size", "640"}, "--size"},
      {{"--size", "640x"}, "--size"},
      {{"--size", "x480"}, "--size"},
      {{"--size", "0x480"}, "--size"},
      {{"--size", "640x-480"}, "--size"},
      {{"--size", "9000x480"}, "--size"},
      {{"--size", "640x480x3"}, "--size"},
      {{"--style-values", ""}, "--style-values"},
      {{"--style-values", "1,,2"}, "--style-values"},
      {{"--style-values", "1,2,3,4,5"}, "--style-values"},
      {{"--style-values", "a"}, "--style-values"},
      {{"--style-values", "1,2,3"}, "--style-values"},             // "Expanding Line" has 2
      {{"--style-values", "3"}, "--style-values"},                 // "Color" is 0..2
      {{"--configuration", "3", "--style-values", "1,40,31"}, "--style-values"},  // "Num Rings" 1..30
      {{"--record", "R,1,99", "--style-values", "1"}, "--style-values"},          // no table row
      {{"--record", ",1,13,4700"}, "--record"},
      {{"--every", "5"}, "--every", true},
      {{"--out-dir", "d"}, "--out-dir", true},
      {{}, "nothing to write", true},
      {{"--seed", "4"}, "nothing to write", true},
  };
  for (const Case& c : cases) {
    Args args = c.args;
    if (!c.asGiven) args.insert(args.end(), {"--out", "x.png"});
    RenderOptions o;
    std::string error;
    EXPECT_FALSE(Parse(args, o, error)) << (args.empty() ? "(none)" : args[0]);
    EXPECT_NE(error.find(c.mentions), std::string::npos) << "error: " << error;
  }
}

}  // namespace
}  // namespace brindlemar
