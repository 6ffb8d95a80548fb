#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "settings/presets.h"
#include "shell/render_options.h"

namespace brindlemar {
namespace {

using Args = std::vector<std::string>;

bool Parse(Args args, RenderOptions& o, std::string& error) {
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
  EXPECT_FALSE(o.bitmapFont);
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
                     "frames", "--progress", "--bitmap-font", "--configuration", "rings!", "--dimensionality", "Recursive",
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
  EXPECT_TRUE(o.bitmapFont);
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

TEST(RenderOptions, PresetGivesItsFastRecordByNameOrNumber) {
  // Every name finds its own preset, in any case and without punctuation.
  for (int32_t k = 0; k < kPresetCount; ++k) {
    std::string name(PresetName(k));
    std::string shouted;
    for (char c : name) shouted += static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    for (const std::string& given : {name, shouted, std::to_string(k)}) {
      RenderOptions o;
      std::string error;
      ASSERT_TRUE(Parse({"--preset", given, "--out", "p.png"}, o, error)) << error;
      EXPECT_EQ(o.recordName, name) << given;
      EXPECT_EQ(o.parameters.grains, ParseRecord(FastPreset(k)).grains) << given;
    }
  }

  RenderOptions o;
  std::string error;
  ASSERT_TRUE(Parse({"--preset", "will o the wisp", "--out", "p.png"}, o, error)) << error;
  EXPECT_EQ(o.recordName, "Will-O'-The-Wisp");
  // Other options override the preset's fields whatever their order.
  ASSERT_TRUE(Parse({"--grains", "700", "--preset", "Brindlemar Falls", "--out", "p.png"}, o, error)) << error;
  EXPECT_EQ(o.parameters.grains, 700);
  EXPECT_EQ(o.parameters.configuration, 24);
  EXPECT_EQ(o.parameters.brightness, 499 * 0.001);
}

TEST(RenderOptions, GalleryTakesTileSizeFramesAndSeedOnly) {
  RenderOptions o;
  std::string error;
  ASSERT_TRUE(Parse({"--gallery", "all.png"}, o, error)) << error;
  EXPECT_EQ(o.gallery, "all.png");
  EXPECT_EQ(o.width, kGalleryTileWidth);
  EXPECT_EQ(o.height, kGalleryTileHeight);
  EXPECT_EQ(o.frames, 300);
  ASSERT_TRUE(Parse({"--size", "100x80", "--frames", "20", "--seed", "3", "--fps", "12", "--gallery", "all.png"}, o,
                    error))
      << error;
  EXPECT_EQ(o.width, 100);
  EXPECT_EQ(o.height, 80);
  EXPECT_EQ(o.frames, 20);
  EXPECT_EQ(o.seed, 3);
}

TEST(RenderOptions, GalleryGrainsFollowTheTileArea) {
  struct Case {
    int32_t grains, width, height, expected;
  };
  const Case cases[] = {
      {1600, 240, 180, 225}, {8000, 640, 480, 8000}, {4700, 320, 240, 1175},
      {50, 240, 180, 10},    {777, 240, 180, 109},   {200000, 640, 480, 200000},
  };
  for (const Case& c : cases) EXPECT_EQ(GalleryGrains(c.grains, c.width, c.height), c.expected) << c.grains;
}

TEST(RenderOptions, HelpAndVersionNeedNothingElse) {
  for (const char* flag : {"--help", "-h", "--version"}) {
    RenderOptions o;
    std::string error;
    ASSERT_TRUE(Parse({flag}, o, error)) << error;
    EXPECT_EQ(o.help, std::string(flag) != "--version") << flag;
    EXPECT_EQ(o.version, std::string(flag) == "--version") << flag;
  }
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
      {{"--preset", "Nowhere Falls"}, "--preset"},
      {{"--preset", "51"}, "--preset"},
      {{"--preset", ""}, "--preset"},
      {{"--preset", "Rain", "--record", "R,1,13"}, "--record and --preset"},
      {{"--gallery", "g.png"}, "--gallery"},                                      // with --out
      {{"--gallery", "g.png", "--every", "2", "--out-dir", "d"}, "--gallery", true},
      {{"--gallery", "g.png", "--preset", "Rain"}, "--gallery", true},
      {{"--gallery", "g.png", "--grains", "100"}, "--gallery", true},
      {{"--gallery", "g.png", "--no-trails"}, "--gallery", true},
      {{"--gallery", "g.png", "--size", "641x100"}, "--size", true},
      {{"--gallery="}, "--gallery", true},
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

TEST(RenderOptions, NoReflectionsTurnsTheRecordsReflectionsOff) {
  RenderOptions o;
  std::string error;
  ASSERT_TRUE(Parse({"--preset", "Crystalline Snowflake", "--no-reflections", "--out", "c.png"}, o, error)) << error;
  EXPECT_EQ(o.parameters.reflections, 0);
  EXPECT_FALSE(Parse({"--no-reflections", "--reflections", "4", "--out", "c.png"}, o, error));
  EXPECT_NE(error.find("--no-reflections"), std::string::npos) << error;
}

bool ParseSaver(Args args, SaverOptions& o, std::string& error) {
  return ParseSaverOptions(args, o, error);
}

TEST(SaverOptions, DefaultsLeaveEverythingToTheSettings) {
  SaverOptions o;
  std::string error;
  ASSERT_TRUE(ParseSaver({}, o, error)) << error;
  EXPECT_EQ(o.target, SaverTarget::kOwnWindow);
  EXPECT_EQ(o.width, kSaverWindowWidth);
  EXPECT_EQ(o.height, kSaverWindowHeight);
  EXPECT_FALSE(o.GivesRecord());
  EXPECT_FALSE(o.show.Any());
  EXPECT_FALSE(o.stats);
}

TEST(SaverOptions, TargetsAndTheirOneDashForms) {
  struct Case {
    Args args;
    SaverTarget target;
    uint64_t windowId;
  };
  const Case cases[] = {
      {{"--root"}, SaverTarget::kRoot, 0},
      {{"-root"}, SaverTarget::kRoot, 0},
      {{"--fullscreen"}, SaverTarget::kFullScreen, 0},
      {{"-window"}, SaverTarget::kOwnWindow, 0},
      {{"--window-id", "0x1e00005"}, SaverTarget::kWindowId, 0x1e00005},
      {{"-window-id", "31457285"}, SaverTarget::kWindowId, 31457285},
      {{"--window-id=0X2A"}, SaverTarget::kWindowId, 42},
      // The last target counts: daemons add theirs to the user's command line.
      {{"--root", "-root"}, SaverTarget::kRoot, 0},
      {{"--root", "--window-id", "0x400CEC"}, SaverTarget::kWindowId, 0x400CEC},
      {{"--window-id", "5", "--window"}, SaverTarget::kOwnWindow, 5},
      {{"--root", "--fullscreen"}, SaverTarget::kFullScreen, 0},
      {{"--fullscreen", "-root"}, SaverTarget::kRoot, 0},
  };
  for (const Case& c : cases) {
    SaverOptions o;
    std::string error;
    ASSERT_TRUE(ParseSaver(c.args, o, error)) << c.args[0] << ": " << error;
    EXPECT_EQ(o.target, c.target) << c.args[0];
    EXPECT_EQ(o.windowId, c.windowId) << c.args[0];
  }
}

TEST(SaverOptions, MonitorsTakeTheirNamesOrTheStoredNumbers) {
  struct Case {
    Args args;
    int32_t monitors;
  };
  const Case cases[] = {
      {{"--monitors", "primary"}, 0}, {{"-monitors", "0"}, 0},         {{"--monitors=each"}, 1},
      {{"--monitors", "1"}, 1},       {{"--monitors", "Across"}, 2},   {{"--monitors", "2"}, 2},
      {{"--monitors", "0", "--monitors", "across"}, 2},
  };
  for (const Case& c : cases) {
    SaverOptions o;
    std::string error;
    ASSERT_TRUE(ParseSaver(c.args, o, error)) << c.args.back() << ": " << error;
    EXPECT_EQ(o.monitors, c.monitors) << c.args.back();
  }
  SaverOptions o;
  std::string error;
  ASSERT_TRUE(ParseSaver({"--fullscreen"}, o, error)) << error;
  EXPECT_FALSE(o.monitors.has_value());
}

// --settings hands over to the settings window whatever else the command
// line says (a daemon's -root included); what cannot be read is still refused.
TEST(SaverOptions, SettingsOpensTheSettingsWindowInstead) {
  struct Case {
    Args args;
    bool accepted;
  };
  const Case cases[] = {
      {{"--settings"}, true},
      {{"-settings", "-root"}, true},
      {{"--random", "--grains", "500", "--settings"}, true},
      {{"--settings", "--no-such-option"}, false},
  };
  for (const Case& c : cases) {
    SaverOptions o;
    std::string error;
    EXPECT_EQ(ParseSaver(c.args, o, error), c.accepted) << c.args.back() << ": " << error;
    if (c.accepted) {
      EXPECT_TRUE(o.settings) << c.args.back();
    }
  }
  SaverOptions plain;
  std::string error;
  ASSERT_TRUE(ParseSaver({"--root"}, plain, error)) << error;
  EXPECT_FALSE(plain.settings);
}

TEST(SaverOptions, ShowAndParameterOptionsLandInTheirPlaces) {
  SaverOptions o;
  std::string error;
  ASSERT_TRUE(ParseSaver({"-geometry", "320x240", "-fps", "-zodiac", "--no-messages", "--no-random", "--stats",
                          "-grains", "900", "--dot-style", "dots", "--message", "Hello", "--max-time", "5"},
                         o, error))
      << error;
  EXPECT_EQ(o.width, 320);
  EXPECT_EQ(o.height, 240);
  EXPECT_TRUE(o.show.showFps);
  EXPECT_EQ(o.show.showClock, 1);
  EXPECT_EQ(o.show.overlayStyle, 1);
  // --message after --no-messages turns them on again: the last word counts.
  EXPECT_EQ(o.show.showMessages, 1);
  EXPECT_EQ(o.show.messages, std::vector<std::string>{"Hello"});
  EXPECT_EQ(o.show.maxTime, 5);
  EXPECT_EQ(o.show.randomFavorites, 0);
  EXPECT_TRUE(o.stats);
  EXPECT_EQ(o.parameters[ParameterId::kGrains], 900);
  EXPECT_EQ(o.parameters[ParameterId::kDotStyle], 0);
  EXPECT_TRUE(o.GivesRecord());

  ASSERT_TRUE(ParseSaver({"--no-clock", "--random"}, o, error)) << error;
  EXPECT_EQ(o.show.showClock, 0);
  EXPECT_EQ(o.show.randomFavorites, 1);
}

TEST(SaverOptions, BadOptionsAreRefusedWithTheReasonNamed) {
  struct Case {
    Args args;
    const char* mentions;
  };
  const Case cases[] = {
      {{"--window-id", "0"}, "--window-id"},
      {{"--window-id", "0x"}, "--window-id"},
      {{"--window-id", "12ab"}, "--window-id"},
      {{"--window-id", "0x100000000"}, "--window-id"},
      {{"--window-id"}, "--window-id"},
      {{"-window-id", "-root"}, "-window-id"},  // an option is no value
      {{"--geometry", "10x10"}, "--geometry"},
      {{"--favorite", ""}, "--favorite"},
      {{"--favorite", "Corona", "--preset", "Rain"}, "--favorite"},
      {{"--random", "--grains", "500"}, "--random"},
      {{"--random", "--favorite", "Corona"}, "--random"},
      {{"--min-time", "9", "--max-time", "3"}, "--min-time"},
      {{"--start-time", "2026-01-01 00:00:00"}, "--start-time"},  // the renderer's alone
      {{"--out", "x.png"}, "--out"},
      {{"--frames", "3"}, "--frames"},
      {{"-fps=1"}, "--fps"},
      {{"-"}, "'-'"},
      {{"stray"}, "stray"},
      {{"--configuration", "3", "--style-values", "1,40,31"}, "--style-values"},
      {{"--grains", "5"}, "--grains"},
      {{"--monitors", "3"}, "--monitors"},
      {{"--monitors", "all"}, "--monitors"},
      {{"--monitors"}, "--monitors"},
  };
  for (const Case& c : cases) {
    SaverOptions o;
    std::string error;
    EXPECT_FALSE(ParseSaver(c.args, o, error)) << c.args[0];
    EXPECT_NE(error.find(c.mentions), std::string::npos) << c.args[0] << ": " << error;
  }
}

TEST(SaverOptions, RunRecordLaysTheOptionsOverTheBase) {
  const FavoriteRecord base =
      ParseRecord("Corona,3,23,1200,2540,1135,7,284,1,0,0,1,0,4,0,.252212,75,1,3,1,20,-30,0,401,0,1");
  SaverOptions o;
  std::string error;
  FavoriteRecord record;

  // Without options the run shows the base itself.
  ASSERT_TRUE(ParseSaver({"--root"}, o, error)) << error;
  ASSERT_TRUE(SaverRunRecord(o, base, record, error)) << error;
  FavoriteRecord expected = base;
  expected.field15 = kRecordField15;
  EXPECT_EQ(record, expected);

  // Engine units go back to the record's slider positions.
  ASSERT_TRUE(ParseSaver({"--grains", "900", "--activity", "1.5", "--viscosity", "100", "--brightness", "0.5",
                          "--color-rate", "0.25", "--no-trails", "--reflections", "6"},
                         o, error))
      << error;
  ASSERT_TRUE(SaverRunRecord(o, base, record, error)) << error;
  EXPECT_EQ(record.name, "Corona");
  EXPECT_EQ(record.grains, 900);
  EXPECT_EQ(record.activity, 1500);
  EXPECT_EQ(record.viscosity, 705);  // 241 - 705 x 0.2 = 100
  EXPECT_EQ(record.brightness, 500);
  EXPECT_EQ(record.colorRate, 250);
  EXPECT_EQ(record.trails, 0);
  EXPECT_EQ(record.reflectionCount, 6);
  EXPECT_EQ(record.reflections, 1);
  EXPECT_EQ(record.configuration, 23);
  EXPECT_EQ(record.styleValues[2], -30);

  // No stored settings: the engine defaults; a preset replaces the base and
  // names the record.
  ASSERT_TRUE(ParseSaver({"--dot-style", "fuzzies"}, o, error)) << error;
  ASSERT_TRUE(SaverRunRecord(o, std::nullopt, record, error)) << error;
  EXPECT_EQ(record.name, "*");
  EXPECT_EQ(record.configuration, DefaultParameters().configuration);
  EXPECT_EQ(record.dotStyle, 2);
  ASSERT_TRUE(ParseSaver({"--preset", "Brindlemar Falls"}, o, error)) << error;
  ASSERT_TRUE(SaverRunRecord(o, base, record, error)) << error;
  EXPECT_EQ(record.name, "Brindlemar Falls");
  EXPECT_EQ(record.configuration, 24);

  // Style values are checked against the configuration of the stored record.
  EXPECT_FALSE(ParseSaver({"--style-values", "1,2,3,4,5"}, o, error));
  ASSERT_TRUE(ParseSaver({"--style-values", "1,9999"}, o, error)) << error;
  EXPECT_FALSE(SaverRunRecord(o, base, record, error));
  EXPECT_NE(error.find("--style-values"), std::string::npos) << error;
}

TEST(SaverOptions, EveryPresetSurvivesTheWayBackToARecord) {
  for (int32_t k = 0; k < kPresetCount; ++k) {
    const ParameterSet p = RecordParameters(ParseRecord(FastPreset(k)));
    const ParameterSet back = RecordParameters(RecordOfParameters(p, "x"));
    EXPECT_EQ(back.activity, p.activity) << k;
    EXPECT_EQ(back.viscosity, p.viscosity) << k;
    EXPECT_EQ(back.brightness, p.brightness) << k;
    EXPECT_EQ(back.colorRate, p.colorRate) << k;
    EXPECT_EQ(back.trailLength, p.trailLength) << k;
    EXPECT_EQ(back.styleCount, p.styleCount) << k;
    EXPECT_EQ(back.reflections, p.reflections) << k;
  }
}

}  // namespace
}  // namespace brindlemar
