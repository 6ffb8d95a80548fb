#include "settings/presets.h"

#include <cstdint>
#include <cstdio>
#include <vector>

#include "settings/change_set.h"
#include "settings/settings_store.h"

namespace brindlemar {
namespace {

constexpr const char* kFastTable[kPresetCount] = {
    "Butterflies,1,18,1800,3011,1149,14,1710,1,1,1,1,0,0,0,.252212,34,1,4,1,7,50,38,371,1,0",
    "Celebration,3,19,2100,1617,1019,6,859,1,0,1,1,0,0,0,.252212,42,1,4,1,10,0,40,500,0,1",
    "Clouds of Color,1,17,5200,2847,845,10,541,1,0,1,1,0,0,0,.252212,65,1,2,2,-18,0,0,509,0,1",
    "Clouds of Light,1,13,4700,3620,925,5,204,1,0,1,1,0,4,0,.252212,92,1,2,2,80,0,0,588,0,0",
    "Corona,3,23,1200,2540,1135,7,284,1,0,0,1,0,4,0,.252212,75,1,3,1,20,-30,0,401,0,1",
    "Crystalline Snowflake,1,11,2200,4066,1125,8,582,6,1,1,1,0,0,0,.252212,45,1,3,2,5,100,0,800,1,0",
    "Dancing Flames,3,12,1100,2171,1044,7,202,1,0,0,1,0,2,0,.252212,60,1,2,1,12,0,0,500,0,1",
    "Deep Field Galaxies,1,19,3000,1305,110,14,607,1,1,1,1,0,0,0,.252212,0,0,4,1,80,0,2,172,0,0",
    "Deep Space Bloom,0,12,2200,3736,1113,10,1171,5,0,1,1,0,0,0,.252212,50,1,2,0,240,0,0,1000,1,0",
    "Digital Revolution,1,11,2200,3432,1064,7,410,2,1,0,1,0,3,0,.252212,58,1,3,0,25,100,0,500,1,1",
    "Dueling Galaxies,0,20,2000,2862,1004,10,690,2,0,0,1,0,0,0,.252212,60,1,3,1,5,75,0,459,1,0",
    "Evolution,2,6,4500,3795,1010,7,309,1,1,0,1,0,0,0,.252212,90,1,3,2,3,250,0,500,1,0",
    "Evolving Nebula,1,0,3500,2775,949,13,839,1,0,0,1,0,2,0,.252212,0,0,2,2,40,0,0,501,0,0",
    "Feathers,3,1,3300,2827,1069,8,535,1,0,1,1,0,0,0,.252212,50,1,2,2,0,0,0,500,0,1",
    "Fireflies On Parade,1,16,850,2918,900,11,1262,1,0,1,1,0,2,0,.252212,0,0,2,2,0,0,0,813,0,0",
    "Flourescent Neon Tile,3,7,4000,3387,1090,11,1403,4,1,1,1,0,0,0,.252212,0,0,3,1,8,0,0,151,1,0",
    "Fractal Star,3,11,1444,3285,1040,8,184,10,1,1,1,0,0,0,.252212,68,1,3,1,4,100,0,230,1,1",
    "Will-O'-The-Wisp,3,2,8000,3073,864,6,85,1,0,1,1,0,0,0,.252212,86,1,2,0,100,0,0,613,0,1",
    "Grand Finale,3,19,2700,1843,979,6,881,1,0,1,1,0,0,0,.252212,42,1,4,1,55,2,40,93,0,1",
    "Ice Crystals,3,19,210,428,994,2,1742,1,0,1,1,0,0,0,.252212,70,1,4,1,4,0,40,500,0,1",
    "Impressionism,1,9,5000,2130,859,6,818,1,0,1,1,0,0,0,.252212,90,1,1,1,0,0,0,613,0,1",
    "Iridescent Dust,1,1,5000,3489,1030,7,1098,12,1,1,1,0,0,0,.252212,0,0,2,2,0,0,0,696,0,0",
    "Jellyfish Dance,1,13,2300,4490,1147,10,1063,7,0,1,1,0,0,0,.252212,0,0,2,1,30,0,0,646,1,0",
    "Liquid Space,1,1,6300,1638,850,7,1279,1,0,1,1,0,0,0,.252212,0,0,2,2,0,0,0,913,0,0",
    "Living Kaleidoscope,3,11,1444,4102,1145,8,847,7,1,1,1,0,0,0,.252212,38,1,3,2,4,100,0,546,1,0",
    "Living Strands,3,6,4100,4057,1095,9,968,1,0,1,1,0,0,0,.252212,0,0,3,1,3,0,0,500,0,0",
    "Magic Fountain,3,15,2200,2150,1034,12,843,1,0,0,1,0,0,0,.252212,0,0,4,1,5,30,120,500,0,0",
    "Magic Smoke,2,19,8000,4510,1110,2,1700,1,0,0,1,0,0,0,.252212,0,0,4,1,8,0,40,101,0,0",
    "Metamorphosizing Super-Strings,3,1,5100,3734,1100,11,657,1,0,1,1,0,0,0,.252212,0,0,2,2,0,0,0,663,0,0",
    "Magnetic Fields,1,7,4200,2007,450,9,84,1,0,0,1,0,2,0,.252212,80,1,3,0,10,2,0,704,0,0",
    "Northern Comet,1,15,2000,3755,970,5,143,2,0,1,1,0,4,0,.252212,68,1,4,1,7,33,255,500,0,1",
    "Northern Lights,1,14,4500,3040,655,8,168,1,0,0,1,0,4,0,.252212,85,1,3,0,70,800,0,459,0,0",
    "Oort Cloud,1,3,2500,2897,833,4,897,1,0,1,1,0,0,0,.252212,42,1,4,1,60,7,0,958,0,0",
    "Opal Flame,1,22,5800,4551,1035,7,367,1,0,1,1,0,0,0,.252212,45,1,3,0,8,0,0,509,0,1",
    "Particulate Kaleidoscope,3,13,2000,3142,1081,11,980,7,1,1,1,0,0,0,.252212,0,0,2,2,5,0,0,609,1,0",
    "Plasma Fields,1,1,2500,4183,875,8,168,1,0,0,1,0,2,0,.252212,70,1,2,2,0,0,0,326,0,1",
    "Rain,3,24,1600,842,1013,5,499,1,0,0,1,0,4,0,.252212,40,1,4,1,10,40,1000,692,0,1",
    "Rainbow Strings,1,6,4400,3995,1033,7,731,1,0,1,1,0,0,0,.252212,0,0,3,2,5,2,0,451,0,0",
    "Scribble,3,1,50,2264,1099,15,1527,1,0,1,1,0,2,0,.252212,95,1,2,2,0,0,0,471,0,1",
    "Brindlemar Falls,3,24,1600,1284,855,5,499,1,0,0,1,0,4,0,.252212,40,1,4,1,10,40,120,692,0,1",
    "Stellar Nursery,3,11,3000,1999,1050,8,1080,1,0,0,1,0,0,0,.252212,0,0,3,1,7,100,0,309,0,0",
    "Swirling Sparkles,1,13,1800,2897,995,15,1245,1,0,1,1,0,1,0,.252212,0,0,2,1,120,0,0,409,0,0",
    "Tile of Mystery,3,18,1000,4939,1162,4,1245,4,1,0,1,0,1,0,.252212,60,1,4,0,7,8,40,617,1,0",
    "Total Chaos,1,0,777,3326,748,14,1337,1,0,1,1,0,3,0,.252212,25,1,2,1,50,0,0,355,0,0",
    "Lumaflora,3,13,1800,2458,1024,8,410,3,1,1,1,0,0,0,.252212,78,1,2,1,50,0,0,646,1,1",
    "Turbulent Galaxies,2,8,6000,5000,1065,1,897,1,0,1,1,0,0,0,.252212,0,0,2,1,180,0,0,525,0,0",
    "Dolphin Spirits,3,24,1800,1509,835,6,499,12,1,0,1,0,4,0,.252212,50,1,4,1,2,35,85,692,0,0",
    "Fire in the Sky,3,23,2500,1876,860,4,607,12,1,0,1,0,4,0,.252212,70,1,3,0,8,15,0,734,0,0",
    "Twinkle Twinkle,1,22,120,937,945,11,1950,1,0,1,1,0,2,0,.252212,0,0,3,1,1,0,0,38,0,0",
    "Quantum Realities,1,19,200,937,1010,5,1950,1,0,1,1,0,2,0,.252212,0,0,4,1,2,0,40,1,0,0",
    "The Big One,1,19,1000,1121,1085,5,673,12,1,0,1,0,3,0,.252212,40,1,4,1,500,3,200,9,0,0",
};

// A field of a preset that the slow table holds otherwise.
struct SlowField {
  int8_t row;
  int8_t field;
  int32_t value;
};

constexpr SlowField kSlowFields[] = {
    {1, 3, 1900}, {1, 4, 2652},  // Celebration
    {2, 3, 4000}, {2, 4, 3122},  // Clouds of Color
    {3, 3, 3000}, {3, 4, 3959}, {3, 6, 4}, {3, 7, 582},  // Clouds of Light
    {4, 4, 2897},  // Corona
    {5, 3, 1700}, {5, 7, 1080}, {5, 23, 875},  // Crystalline Snowflake
    {6, 3, 950}, {6, 4, 3183},  // Dancing Flames
    {7, 3, 2500}, {7, 4, 1897}, {7, 23, 47},  // Deep Field Galaxies
    {8, 3, 1800}, {8, 4, 4408},  // Deep Space Bloom
    {9, 3, 1900}, {9, 4, 4000},  // Digital Revolution
    {10, 3, 1900},  // Dueling Galaxies
    {11, 3, 3000}, {11, 4, 4449}, {11, 23, 717},  // Evolution
    {12, 3, 3000}, {12, 4, 3408},  // Evolving Nebula
    {14, 4, 3224},  // Fireflies On Parade
    {15, 3, 3100}, {15, 4, 3612},  // Flourescent Neon Tile
    {16, 3, 1222}, {16, 4, 3795},  // Fractal Star
    {17, 3, 7000}, {17, 4, 3877},  // Will-O'-The-Wisp
    {18, 3, 2200}, {18, 4, 1938},  // Grand Finale
    {20, 4, 2734},  // Impressionism
    {21, 3, 4500}, {21, 4, 3571},  // Iridescent Dust
    {24, 3, 1222},  // Living Kaleidoscope
    {28, 3, 4100},  // Metamorphosizing Super-Strings
    {29, 3, 2000}, {29, 4, 3795}, {29, 5, 370}, {29, 7, 358},  // Magnetic Fields
    {30, 3, 1800}, {30, 4, 3836}, {30, 7, 226},  // Northern Comet
    {31, 3, 3000}, {31, 4, 3122}, {31, 5, 1000}, {31, 7, 483}, {31, 16, 53}, {31, 23, 342}, {31, 25, 1},  // Northern Lights
    {33, 3, 5000}, {33, 7, 483}, {33, 18, 4}, {33, 22, 40},  // Opal Flame
    {35, 3, 2000},  // Plasma Fields
    {37, 3, 4000},  // Rainbow Strings
    {38, 4, 2652},  // Scribble
    {39, 3, 1300}, {39, 4, 1754}, {39, 7, 1129}, {39, 23, 725},  // Brindlemar Falls
    {42, 3, 900},  // Tile of Mystery
    {43, 4, 4367},  // Total Chaos
    {44, 3, 900}, {44, 5, 1175},  // Lumaflora
    {46, 3, 1500}, {46, 4, 2060},  // Dolphin Spirits
    {47, 3, 2000}, {47, 4, 2285},  // Fire in the Sky
    {48, 18, 4}, {48, 22, 40},  // Twinkle Twinkle
    {50, 3, 900}, {50, 4, 1264}, {50, 7, 765}, {50, 23, 122},  // The Big One
};

// Value names longer than this do not fit the enumeration's name buffer
// (8 characters with the terminator), and records longer than kMaxRecord
// bytes not its data buffer; such values are passed over.
constexpr size_t kMaxValueName = 7;
constexpr size_t kMaxRecord = 512;

std::vector<std::string> BuildSlowTable() {
  std::vector<std::string> table;
  table.reserve(kPresetCount);
  for (int32_t row = 0; row < kPresetCount; ++row) {
    // Replaced as text, so that every other field (the fraction of field 15
    // too) keeps the fast table's exact spelling.
    std::vector<std::string> fields(1);
    for (const char* c = kFastTable[row]; *c; ++c) {
      if (*c == ',') {
        fields.emplace_back();
      } else {
        fields.back() += *c;
      }
    }
    for (const SlowField& s : kSlowFields) {
      if (s.row == row) fields[static_cast<size_t>(s.field)] = std::to_string(s.value);
    }
    std::string record = fields[0];
    for (size_t k = 1; k < fields.size(); ++k) record += "," + fields[k];
    table.push_back(std::move(record));
  }
  return table;
}

const std::vector<std::string>& SlowTable() {
  static const std::vector<std::string> table = BuildSlowTable();
  return table;
}

bool InRange(int32_t index) { return index >= 0 && index < kPresetCount; }

bool EqualIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t k = 0; k < a.size(); ++k) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    if (lower(a[k]) != lower(b[k])) return false;
  }
  return true;
}

std::string_view RecordName(std::string_view record) { return record.substr(0, record.find(',')); }

std::string FavoriteValueName(int32_t index) {
  char name[16];
  std::snprintf(name, sizeof name, "Fav%03d", index);
  return name;
}

}  // namespace

std::string FastPreset(int32_t index) { return InRange(index) ? kFastTable[index] : ""; }

std::string SlowPreset(int32_t index) { return InRange(index) ? SlowTable()[static_cast<size_t>(index)] : ""; }

std::string_view PresetName(int32_t index) { return InRange(index) ? RecordName(kFastTable[index]) : ""; }

int32_t PresetIndexByName(std::string_view name) {
  for (int32_t k = 0; k < kPresetCount; ++k) {
    if (RecordName(kFastTable[k]) == name) return k;
  }
  return -1;
}

bool InstallPresets(SettingsStore& store) {
  bool request = false;
  bool slow = false;
  if (store.OpenKey(kConfigKey)) {
    StoredValue value;
    if (store.QueryValue(kConfigKey, "CPUSpeed", SIZE_MAX, value)) {
      request = true;
      // Read as into a 15-byte buffer: a longer text, or one of another
      // type, is "any other text" and asks for the fast table.
      std::string text;
      if (ReadString(store, kConfigKey, "CPUSpeed", 15, text)) slow = EqualIgnoringCase(text, "slow");
    }
  }
  auto preset = [slow](int32_t index) { return slow ? SlowPreset(index) : FastPreset(index); };

  // The first start's favorites are one change: a start that ends half-way
  // leaves no Favorites key, and the next start installs them all.
  ChangeSet install;
  install.unlessKeyExists = kFavoritesKey;
  install.CreateKey(kFavoritesKey);
  for (int32_t k = 0; k < kPresetCount; ++k) install.SetString(kFavoritesKey, FavoriteValueName(k), preset(k));
  // The request goes with the change that answers it, so that a failed
  // change leaves it for the next start.
  if (request) install.DeleteValue(kConfigKey, "CPUSpeed");
  ChangeResult installed = store.ApplyChanges(install);
  if (installed != ChangeResult::kKeyExisted) return installed == ChangeResult::kMade;
  if (!request) return false;

  ChangeSet answer;
  for (const std::string& name : store.EnumerateValues(kFavoritesKey)) {
    std::string record;
    if (name.size() > kMaxValueName || !ReadString(store, kFavoritesKey, name, kMaxRecord, record)) continue;
    int32_t index = PresetIndexByName(RecordName(record));
    if (index >= 0) answer.SetString(kFavoritesKey, name, preset(index));
  }
  answer.DeleteValue(kConfigKey, "CPUSpeed");
  store.ApplyChanges(answer);
  return false;
}

}  // namespace brindlemar
