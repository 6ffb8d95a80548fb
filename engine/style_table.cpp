#include "engine/style_table.h"

#include <algorithm>
#include <cstddef>
#include <iterator>

namespace brindlemar {
namespace {

constexpr StyleSetting Color(int32_t defaultValue) {
  return {2, "Color", 0, 2, defaultValue, defaultValue};
}

template <size_t N>
constexpr StyleSetting Int(const char (&label)[N], int32_t min, int32_t max, int32_t defaultValue) {
  static_assert(N <= 32, "labels hold 31 characters");
  StyleSetting s{1, {}, min, max, defaultValue, defaultValue};
  for (size_t i = 0; i < N; ++i) s.label[i] = label[i];
  return s;
}

constexpr StyleSetting kUnused{};

constexpr StyleParams kDefaults[kConfigurationCount] = {
    {2, {Color(1), Int("Explode Power", 0, 100, 50), kUnused, kUnused}},
    {2, {Color(2), Int("Gravity", -1000, 1000, 0), kUnused, kUnused}},
    {2, {Color(1), Int("Concentration", 20, 800, 100), kUnused, kUnused}},
    {4, {Color(1), Int("Explode Power", 0, 100, 40), Int("Num Rings", 1, 30, 7), Int("Diffusion", 0, 100, 5)}},
    {3, {Color(1), Int("Width", 1, 200, 16), Int("Diffusion", 0, 4000, 5), kUnused}},
    {1, {Color(1), kUnused, kUnused, kUnused}},
    {3, {Color(1), Int("Num Lines", 1, 30, 3), Int("Diffusion", 0, 500, 15), kUnused}},
    {3, {Color(1), Int("Num Bars", 1, 30, 12), Int("Diffusion", 0, 500, 5), kUnused}},
    {2, {Color(1), Int("Concentration", 20, 800, 100), kUnused, kUnused}},
    {1, {Color(1), kUnused, kUnused, kUnused}},
    {2, {Color(1), Int("New Dots/Group", 1, 250, 7), kUnused, kUnused}},
    {3, {Color(1), Int("New Dots/Group", 1, 250, 7), Int("Energy", 1, 1000, 100), kUnused}},
    {2, {Color(1), Int("New Dots/Group", 1, 250, 7), kUnused, kUnused}},
    {2, {Color(1), Int("Diffusion", 0, 200, 87), kUnused, kUnused}},
    {3, {Color(0), Int("Gravity", -1000, 1000, 51), Int("Horz Squish", 0, 1000, 744), kUnused}},
    {4, {Color(1), Int("New Dots/Group", 1, 250, 7), Int("Gravity", -1000, 1000, 33), Int("Spray Spread", 0, 1000, 200)}},
    {2, {Color(2), Int("Gravity", -1000, 1000, -7), kUnused, kUnused}},
    {2, {Color(2), Int("Gravity", -1000, 1000, -65), kUnused, kUnused}},
    {4, {Color(1), Int("New Dots/Group", 1, 250, 7), Int("Spinning Rate", 0, 300, 50), Int("Spray Spread", 1, 500, 38)}},
    {4, {Color(1), Int("New Dots/Group", 1, 500, 10), Int("Gravity", -1000, 1000, 0), Int("Energy", 1, 400, 40)}},
    {3, {Color(1), Int("New Dots/Group", 1, 250, 7), Int("Energy", 1, 500, 60), kUnused}},
    {3, {Color(1), Int("New Dots/Group", 1, 250, 7), Int("Spinning Rate", 1, 300, 50), kUnused}},
    {4, {Color(0), Int("New Dots/Group", 1, 250, 8), Int("Gravity", -1000, 1000, 0), Int("Energy", 1, 400, 40)}},
    {3, {Color(0), Int("New Dots/Group", 1, 250, 8), Int("Gravity", -1000, 1000, -42), kUnused}},
    {4, {Color(1), Int("New Dots/Group", 1, 250, 8), Int("Gravity", -1000, 1000, 75), Int("Width", 1, 1000, 210)}},
    {4, {Color(1), Int("New Dots/Group", 1, 250, 8), Int("Energy", -1000, 1000, -10), Int("Radius", 1, 1500, 950)}},
};

StyleParams table[kConfigurationCount] = {};
bool tableReady = false;

StyleParams* Table() {
  if (!tableReady) ResetStyleTable();
  return table;
}

bool Valid(int32_t index) { return index >= 0 && index < kConfigurationCount; }

bool InRange(const StyleSetting& s, int32_t v) { return v >= s.min && v <= s.max; }

}  // namespace

bool IsSourceConfiguration(int32_t index) {
  switch (ModeOf<Configuration>(index)) {
    case Configuration::kShootingStars:
    case Configuration::kWhiteHole:
    case Configuration::kEventHorizon:
    case Configuration::kFountain:
    case Configuration::kSpinningSprayer:
    case Configuration::kRegenerating:
    case Configuration::kFloatingSparkler:
    case Configuration::kRadarSweep:
    case Configuration::kFromTheEther:
    case Configuration::kRising:
    case Configuration::kFalls:
    case Configuration::kCircular:
      return true;
    default:
      return false;
  }
}

StyleParams& StyleRecord(int32_t index) { return Table()[index]; }

void ResetStyleTable() {
  std::copy(std::begin(kDefaults), std::end(kDefaults), table);
  tableReady = true;
}

int32_t GetStyleParams(int32_t index, int32_t& count, int32_t values[4]) {
  count = 0;
  if (!Valid(index)) {
    std::fill(values, values + 4, 0);
    return 0;
  }
  const StyleParams& r = Table()[index];
  count = r.count;
  for (int32_t j = 0; j < 4; ++j) values[j] = j < r.count ? r.settings[j].value : 0;
  return 1;
}

int32_t ValidateStyleValues(int32_t index, int32_t& count, int32_t values[]) {
  if (!Valid(index)) return 0;
  const StyleParams& r = Table()[index];
  count = r.count;
  for (int32_t j = 0; j < r.count; ++j) {
    if (!InRange(r.settings[j], values[j])) values[j] = r.settings[j].value;
  }
  return 1;
}

int32_t StoreStyleValues(int32_t index, int32_t count, int32_t values[]) {
  if (!Valid(index)) return 0;
  StyleParams& r = Table()[index];
  int32_t n = std::min(count, r.count);
  for (int32_t j = 0; j < n; ++j) {
    if (!InRange(r.settings[j], values[j])) values[j] = r.settings[j].value;
    r.settings[j].value = values[j];
  }
  return 1;
}

int32_t StyleCount(int32_t index) { return Valid(index) ? Table()[index].count : 0; }

}  // namespace brindlemar
