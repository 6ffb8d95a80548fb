// The closed sets of modes of an animation, by name: initial configurations,
// dimensionalities, dot styles, overlay styles and message phases. Each
// enumerator's value is the number stored in parameter records and settings
// (those fields stay int32_t; they become a mode where they are compared,
// through ModeOf). Each set that users see has one table of value, name (the
// command line's and the web page link's word) and label (as the dialogs,
// --help and the page show it), in stored order; every front end reads it.
// Depends on nothing but the standard library.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>

namespace brindlemar {

enum class Configuration : int32_t {
  kTheBigBang = 0,
  kFullField = 1,
  kGlobular = 2,
  kRings = 3,
  kRibbon = 4,
  kTheLine = 5,
  kParallelLines = 6,
  kBars = 7,
  kDualGlobular = 8,
  kPureWhite = 9,
  kShootingStars = 10,
  kWhiteHole = 11,
  kEventHorizon = 12,
  kExpandingLine = 13,
  kAurora = 14,
  kFountain = 15,
  kPhasing = 16,
  kOvercast = 17,
  kSpinningSprayer = 18,
  kRegenerating = 19,
  kFloatingSparkler = 20,
  kRadarSweep = 21,
  kFromTheEther = 22,
  kRising = 23,
  kFalls = 24,
  kCircular = 25,
  // Not one of the initial configurations and in no list: only a stored
  // record selects it. It places every grain on a bright pixel of the
  // current picture inside messageRect (the last pop-up message's box),
  // so the picture's bright shapes are drawn again in grains.
  kBrightPixels = 99,
};

// How the vortices move from frame to frame.
enum class Dimensionality : int32_t {
  kAurora = 0,     // a small random walk
  kClouds = 1,     // drift, bouncing off the screen's edges
  kOrganic = 2,    // vortex 0 follows the crowd, the others wander
  kRecursive = 3,  // each vortex chases a grain
};

// The pattern each grain is drawn in (engine/dot_patterns.h).
enum class DotStyle : int32_t {
  kDots = 0,
  kSparkles = 1,
  kFuzzies = 2,
  kLargeDots = 3,
  kVerticalBars = 4,
};

// What the clock overlay ("Style" in the settings) draws when it is on.
enum class OverlayStyle : int32_t {
  kClockFace = 0,
  kZodiac = 1,
};

// Where a pop-up message is in its show; a running value, never stored.
enum class MessagePhase : int32_t {
  kNone = 0,
  kSeeding = 1,  // grains are being seeded onto the message's letters
  kHolding = 2,  // the message stays until its hold time is over
};

template <class Mode>
struct ModeName {
  Mode value;
  const char* name;   // command line and link word
  const char* label;  // as users see it
};

inline constexpr ModeName<Configuration> kConfigurations[] = {
    {Configuration::kTheBigBang, "the-big-bang", "The Big Bang"},
    {Configuration::kFullField, "full-field", "Full Field"},
    {Configuration::kGlobular, "globular", "Globular"},
    {Configuration::kRings, "rings", "Rings!"},
    {Configuration::kRibbon, "ribbon", "Ribbon"},
    {Configuration::kTheLine, "the-line", "The Line"},
    {Configuration::kParallelLines, "parallel-lines", "Parallel Lines"},
    {Configuration::kBars, "bars", "Bars"},
    {Configuration::kDualGlobular, "dual-globular", "Dual Globular"},
    {Configuration::kPureWhite, "pure-white", "Pure White"},
    {Configuration::kShootingStars, "shooting-stars", "Shooting Stars"},
    {Configuration::kWhiteHole, "white-hole", "White Hole"},
    {Configuration::kEventHorizon, "event-horizon", "Event Horizon"},
    {Configuration::kExpandingLine, "expanding-line", "Expanding Line"},
    {Configuration::kAurora, "aurora", "Aurora"},
    {Configuration::kFountain, "fountain", "Fountain"},
    {Configuration::kPhasing, "phasing", "Phasing"},
    {Configuration::kOvercast, "overcast", "Overcast"},
    {Configuration::kSpinningSprayer, "spinning-sprayer", "Spinning Sprayer"},
    {Configuration::kRegenerating, "regenerating", "Regenerating"},
    {Configuration::kFloatingSparkler, "floating-sparkler", "Floating Sparkler"},
    {Configuration::kRadarSweep, "radar-sweep", "Radar Sweep"},
    {Configuration::kFromTheEther, "from-the-ether", "From the Ether"},
    {Configuration::kRising, "rising", "Rising"},
    {Configuration::kFalls, "falls", "Falls"},
    {Configuration::kCircular, "circular", "Circular"},
};

inline constexpr ModeName<Dimensionality> kDimensionalities[] = {
    {Dimensionality::kAurora, "aurora", "Aurora"},
    {Dimensionality::kClouds, "clouds", "Clouds"},
    {Dimensionality::kOrganic, "organic", "Organic"},
    {Dimensionality::kRecursive, "recursive", "Recursive"},
};

inline constexpr ModeName<DotStyle> kDotStyles[] = {
    {DotStyle::kDots, "dots", "Dots"},
    {DotStyle::kSparkles, "sparkles", "Sparkles"},
    {DotStyle::kFuzzies, "fuzzies", "Fuzzies"},
    {DotStyle::kLargeDots, "large-dots", "Large Dots"},
    {DotStyle::kVerticalBars, "vertical-bars", "Vertical Bars"},
};

inline constexpr ModeName<OverlayStyle> kOverlayStyles[] = {
    {OverlayStyle::kClockFace, "clock", "Clock face"},
    {OverlayStyle::kZodiac, "zodiac", "Zodiac"},
};

inline constexpr int32_t kConfigurationCount = static_cast<int32_t>(std::size(kConfigurations));
inline constexpr int32_t kDimensionalityCount = static_cast<int32_t>(std::size(kDimensionalities));
inline constexpr int32_t kDotStyleCount = static_cast<int32_t>(std::size(kDotStyles));
inline constexpr int32_t kOverlayStyleCount = static_cast<int32_t>(std::size(kOverlayStyles));

// The number a mode is stored as, and the mode a stored number stands for
// (any number, listed or not: a switch over it keeps its default branch).
template <class Mode>
constexpr int32_t Stored(Mode mode) {
  return static_cast<int32_t>(mode);
}
template <class Mode>
constexpr Mode ModeOf(int32_t stored) {
  return static_cast<Mode>(stored);
}

// The table's row for a stored number; null when the table has none.
template <class Mode, size_t N>
constexpr const ModeName<Mode>* FindMode(const ModeName<Mode> (&table)[N], int32_t stored) {
  for (const ModeName<Mode>& row : table) {
    if (Stored(row.value) == stored) return &row;
  }
  return nullptr;
}

template <class Mode, size_t N>
constexpr const char* ModeLabel(const ModeName<Mode> (&table)[N], int32_t stored) {
  const ModeName<Mode>* row = FindMode(table, stored);
  return row ? row->label : "";
}

// The labels by stored number, "" for a number not in the list.
constexpr const char* ConfigurationName(int32_t index) { return ModeLabel(kConfigurations, index); }
constexpr const char* DimensionalityName(int32_t index) { return ModeLabel(kDimensionalities, index); }
constexpr const char* DotStyleName(int32_t index) { return ModeLabel(kDotStyles, index); }

// Each table lists its modes in stored order from 0, so that a list filled
// from it in order gives each entry its stored number as its position.
template <class Mode, size_t N>
constexpr bool InStoredOrder(const ModeName<Mode> (&table)[N]) {
  for (size_t i = 0; i < N; ++i) {
    if (Stored(table[i].value) != static_cast<int32_t>(i)) return false;
  }
  return true;
}
static_assert(InStoredOrder(kConfigurations) && InStoredOrder(kDimensionalities) && InStoredOrder(kDotStyles) &&
              InStoredOrder(kOverlayStyles));

}  // namespace brindlemar
