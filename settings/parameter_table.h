// Every animation parameter once: its command-line option, its kind, its
// range and default in the engine's units, how the parameter record stores
// it, the range of its control in the configuration dialog, and its help
// text. The option parser and --help (shell/render_options.cpp,
// shell/program_help.cpp), the manual pages made from that help, the
// dialogs' ranges and scaling (ui/config_dialog.cpp and the GTK window), the
// web page's link and the check of the xscreensaver dialog
// (apps/saver/brindlemar.xml) all read this table.
//
// The record keeps some parameters as slider positions: such a row's engine
// value is base + slider × step, and its slider position
// (engine − base) × (1 / step), in that order of operations.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "engine/modes.h"
#include "engine/particle_field.h"
#include "engine/style_table.h"
#include "settings/favorite_record.h"
#include "settings/presets.h"

namespace brindlemar {

enum class ParameterKind {
  kNumber,       // a fraction: "--activity 3.62"
  kWhole,        // a whole number: "--grains 900"
  kChoice,       // a name or its number: "--dot-style sparkles"
  kSwitch,       // no value; a negation may set the opposite
  kStyleValues,  // "--style-values 2,80": the configuration's own settings
  kRecord,       // "--record TEXT": a whole record
};

// The rows, in the order --help lists them.
enum class ParameterId : int32_t {
  kConfiguration,
  kDimensionality,
  kGrains,
  kActivity,
  kViscosity,
  kComplexity,
  kBrightness,
  kColorRate,
  kDotStyle,
  kExtraTwist,
  kTrails,
  kTrailLength,
  kDither,
  kReflections,
  kNoReflections,
  kSymmetric,
  kStyleValues,
  kRecord,
  kPreset,
};
inline constexpr int32_t kParameterCount = static_cast<int32_t>(ParameterId::kPreset) + 1;

using ChoiceNames = std::string_view (*)(int32_t index);

struct Parameter {
  ParameterId id = {};
  std::string_view flag = {};      // "--grains"
  std::string_view negation = {};  // a switch's opposite, "--no-trails"; empty for none
  ParameterKind kind = {};
  // What --help shows after the flag ("N", "X", "NAME|N"); for a choice
  // without it, its names in lower case and its numbers.
  std::string_view valueName = {};
  // The help text: "{range}" stands for "MIN to MAX", "{default}" for the
  // default (a choice's name, or its number and name where the names are
  // listed; a switch's on or off).
  std::string_view help = {};
  double min = 0, max = 0;  // kNumber, kWhole, in engine units
  double byDefault = 0;     // kNumber, kWhole, kChoice, kSwitch, in engine units
  // Where the parameter lives in a ParameterSet: whole for kWhole, kChoice
  // and kSwitch, number for kNumber.
  int32_t ParameterSet::*whole = nullptr;
  double ParameterSet::*number = nullptr;
  // A switch's flag sets this value, its negation the other one.
  int32_t flagSets = 1;
  // A field the option turns on besides its own (reflections with a count
  // or symmetry).
  int32_t ParameterSet::*turnsOn = nullptr;
  // kChoice: its names (as users see them) and their number; a refusal
  // lists them unless expected says what stands in their place; listed puts
  // them after the help text, one by one with their numbers. words gives the
  // word of each that --help shows, where the names are not listed.
  ChoiceNames names = nullptr;
  ChoiceNames words = nullptr;
  int32_t count = 0;
  std::string_view expected = {};
  bool listed = false;
  // The record's field, its scale to engine units (kNumber), and the range
  // of the dialog's control of it in record units (0, 0 for none).
  int32_t FavoriteRecord::*record = nullptr;
  double base = 0, step = 1;
  int32_t controlMin = 0, controlMax = 0;
};

namespace parameter_names {
constexpr std::string_view Configuration(int32_t i) { return ConfigurationName(i); }
constexpr std::string_view Dimensionality(int32_t i) { return DimensionalityName(i); }
constexpr std::string_view DotStyle(int32_t i) { return DotStyleName(i); }
constexpr std::string_view DimensionalityWord(int32_t i) { return kDimensionalities[i].name; }
constexpr std::string_view DotStyleWord(int32_t i) { return kDotStyles[i].name; }
}  // namespace parameter_names

inline constexpr Parameter kParameters[kParameterCount] = {
    {.id = ParameterId::kConfiguration, .flag = "--configuration", .kind = ParameterKind::kChoice,
     .valueName = "NAME|N",
     .help = "initial configuration ({default}); names in any case, punctuation and spaces optional:",
     .byDefault = 13, .whole = &ParameterSet::configuration, .names = parameter_names::Configuration,
     .count = kConfigurationCount, .listed = true, .record = &FavoriteRecord::configuration},
    {.id = ParameterId::kDimensionality, .flag = "--dimensionality", .kind = ParameterKind::kChoice,
     .help = "({default})", .byDefault = 1, .whole = &ParameterSet::dimensionality,
     .names = parameter_names::Dimensionality, .words = parameter_names::DimensionalityWord,
     .count = kDimensionalityCount,
     .record = &FavoriteRecord::dimensionality},
    {.id = ParameterId::kGrains, .flag = "--grains", .kind = ParameterKind::kWhole, .valueName = "N",
     .help = "{range} ({default})", .min = 10, .max = kMaxGrains, .byDefault = 4700, .whole = &ParameterSet::grains,
     .record = &FavoriteRecord::grains, .controlMin = 10, .controlMax = kMaxGrains},
    {.id = ParameterId::kActivity, .flag = "--activity", .kind = ParameterKind::kNumber, .valueName = "X",
     .help = "{range} ({default})", .min = 0.1, .max = 5.0, .byDefault = 3.62, .number = &ParameterSet::activity,
     .record = &FavoriteRecord::activity, .step = 0.001, .controlMin = 100, .controlMax = 5000},
    {.id = ParameterId::kViscosity, .flag = "--viscosity", .kind = ParameterKind::kNumber, .valueName = "X",
     .help = "{range} ({default})", .min = 1.0, .max = 241.0, .byDefault = 56, .number = &ParameterSet::viscosity,
     .record = &FavoriteRecord::viscosity, .base = 241, .step = -0.2, .controlMin = 0, .controlMax = 1200},
    {.id = ParameterId::kComplexity, .flag = "--complexity", .kind = ParameterKind::kWhole, .valueName = "N",
     .help = "vortices, {range} ({default})", .min = 1, .max = 15, .byDefault = 4, .whole = &ParameterSet::complexity,
     .record = &FavoriteRecord::complexity, .controlMin = 1, .controlMax = 15},
    {.id = ParameterId::kBrightness, .flag = "--brightness", .kind = ParameterKind::kNumber, .valueName = "X",
     .help = "{range} ({default})", .min = 0.01, .max = 2.0, .byDefault = 0.204, .number = &ParameterSet::brightness,
     .record = &FavoriteRecord::brightness, .step = 0.001, .controlMin = 10, .controlMax = 2000},
    {.id = ParameterId::kColorRate, .flag = "--color-rate", .kind = ParameterKind::kNumber, .valueName = "X",
     .help = "{range} ({default}); 0 ties the rate to the brightness", .min = 0.0, .max = 1.0, .byDefault = 0.588,
     .number = &ParameterSet::colorRate, .record = &FavoriteRecord::colorRate, .step = 0.001, .controlMin = 1,
     .controlMax = 1000},
    {.id = ParameterId::kDotStyle, .flag = "--dot-style", .kind = ParameterKind::kChoice, .help = "({default})",
     .byDefault = 4, .whole = &ParameterSet::dotStyle, .names = parameter_names::DotStyle,
     .words = parameter_names::DotStyleWord, .count = kDotStyleCount,
     .record = &FavoriteRecord::dotStyle},
    {.id = ParameterId::kExtraTwist, .flag = "--extra-twist", .negation = "--no-extra-twist",
     .kind = ParameterKind::kSwitch, .help = "({default})", .byDefault = 1, .whole = &ParameterSet::extraTwist,
     .record = &FavoriteRecord::extraTwist},
    {.id = ParameterId::kTrails, .flag = "--trails", .negation = "--no-trails", .kind = ParameterKind::kSwitch,
     .help = "leave trails ({default})", .byDefault = 1, .whole = &ParameterSet::trails,
     .record = &FavoriteRecord::trails},
    {.id = ParameterId::kTrailLength, .flag = "--trail-length", .kind = ParameterKind::kWhole, .valueName = "N",
     .help = "{range} ({default})", .min = 1, .max = 100, .byDefault = 92, .whole = &ParameterSet::trailLength,
     .record = &FavoriteRecord::trailLength, .controlMin = 1, .controlMax = 100},
    {.id = ParameterId::kDither, .flag = "--dither", .kind = ParameterKind::kSwitch,
     .help = "dither the trails ({default})", .byDefault = 0, .whole = &ParameterSet::dither,
     .record = &FavoriteRecord::dither},
    {.id = ParameterId::kReflections, .flag = "--reflections", .kind = ParameterKind::kWhole, .valueName = "N",
     .help = "turn reflections on with N of them, {range} (off)", .min = 1, .max = kMaxReflections, .byDefault = 1,
     .whole = &ParameterSet::reflectionCount, .turnsOn = &ParameterSet::reflections,
     .record = &FavoriteRecord::reflectionCount, .controlMin = 1, .controlMax = kMaxReflections},
    {.id = ParameterId::kNoReflections, .flag = "--no-reflections", .kind = ParameterKind::kSwitch,
     .help = "turn reflections off", .byDefault = 0, .whole = &ParameterSet::reflections, .flagSets = 0,
     .record = &FavoriteRecord::reflections},
    {.id = ParameterId::kSymmetric, .flag = "--symmetric", .kind = ParameterKind::kSwitch,
     .help = "symmetric reflections; turns reflections on ({default})", .byDefault = 0,
     .whole = &ParameterSet::symmetric, .turnsOn = &ParameterSet::reflections, .record = &FavoriteRecord::symmetric},
    {.id = ParameterId::kStyleValues, .flag = "--style-values", .kind = ParameterKind::kStyleValues,
     .valueName = "A[,B[,C[,D]]]",
     .help = "the configuration's additional settings in order, the first being the initial colour (0 black, "
             "1 white, 2 random); values left out keep the table's. Without it, --configuration takes the "
             "table's values"},
    {.id = ParameterId::kRecord, .flag = "--record", .kind = ParameterKind::kRecord, .valueName = "TEXT",
     .help = "a whole parameter record, \"Name,1,13,4700,...\"; the options above override its fields"},
    {.id = ParameterId::kPreset, .flag = "--preset", .kind = ParameterKind::kChoice, .valueName = "NAME|N",
     .help = "a built-in preset's record, from the fast table, in place of --record; names in any case, "
             "punctuation and spaces optional:",
     .names = PresetName, .count = kPresetCount, .expected = "a preset name (see --help)", .listed = true},
};

constexpr const Parameter& ParameterRow(ParameterId id) { return kParameters[static_cast<int32_t>(id)]; }

// The row whose flag or negation is option ("--no-trails"); null for none.
const Parameter* FindParameter(std::string_view option);

// A kNumber row's engine value of a record's slider position, and back: the
// position nearest to value.
double EngineValue(const Parameter& row, int32_t slider);
int32_t SliderPosition(const Parameter& row, double value);

// The row's help text with its range and default written in.
std::string ParameterHelp(const Parameter& row);

// The row's option names as --help shows them: "--trails, --no-trails",
// "--grains N", "--dot-style dots|sparkles|...|0..4".
std::string ParameterUsage(const Parameter& row);

}  // namespace brindlemar
