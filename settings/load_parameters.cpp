#include "settings/load_parameters.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <string_view>

#include "engine/particle_field.h"
#include "settings/favorite_record.h"
#include "settings/settings_store.h"

namespace brindlemar {
namespace {

constexpr size_t kRecordBuffer = 255;
constexpr std::string_view kFirstFavorite = "Brindlemar Falls";

bool EqualIgnoringCase(std::string_view a, std::string_view b) {
  auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) {
           return lower(x) == lower(y);
         });
}

std::string FavoriteValueName(int32_t index) {
  char name[16];
  std::snprintf(name, sizeof name, "Fav%03d", index);
  return name;
}

// Whether a record (or the defaults) has been applied: a field starts
// without a configuration.
bool HasParameters(const ParticleField& field) { return field.configuration >= 0; }

// The first favorite named "Brindlemar Falls" in any case, or -1.
int32_t FindFirstFavorite(const ParticleField& field, SettingsStore& store) {
  for (int32_t k = 0; k < field.favoriteCount; ++k) {
    std::string record;
    if (!ReadString(store, kFavoritesKey, FavoriteValueName(k), kRecordBuffer, record)) continue;
    if (EqualIgnoringCase(ParseRecord(record).name, kFirstFavorite)) return k;
  }
  return -1;
}

}  // namespace

int32_t PickRandomFavorite(ParticleField& field) {
  int32_t k = 0;
  for (int32_t draw = 0; draw < 10; ++draw) {
    k = static_cast<int32_t>(field.random.Next() * field.selectedCount);
    if (k != field.lastFavorite) break;
  }
  field.lastFavorite = k;
  int32_t flags = std::min(field.favoriteCount, static_cast<int32_t>(field.selectionFlags.size()));
  for (int32_t index = 0, seen = 0; index < flags; ++index) {
    if (field.selectionFlags[static_cast<size_t>(index)] == 0) continue;
    if (seen++ == k) return index;
  }
  return field.favoriteCount;
}

int32_t LoadParameters(ParticleField& field, SettingsStore& store, bool useRandomFavorite) {
  // Settings that cannot be opened (a registry key without read access, a
  // settings file that cannot be read) hold no record: a field that has
  // none yet draws the defaults rather than nothing, one that has keeps it.
  if (!store.OpenKey(kProductKey)) {
    if (HasParameters(field)) return 0;
    ApplyDefaults(field);
    return 1;
  }
  ReadDword(store, kConfigKey, "TargetFPS", field.targetFps);

  std::string record;
  if (!useRandomFavorite) {
    ReadString(store, kConfigKey, "Settings", kRecordBuffer, record);
  } else {
    int32_t index = -1;
    if (field.presetsInstalled) {
      index = FindFirstFavorite(field, store);
      field.presetsInstalled = 0;
    }
    // Without the installed "Brindlemar Falls" the first load draws like
    // every later one.
    if (index < 0) index = PickRandomFavorite(field);
    ReadString(store, kFavoritesKey, FavoriteValueName(index), kRecordBuffer, record);
  }

  if (record.empty()) {
    ApplyDefaults(field);
    return 1;
  }
  const int32_t applied = ApplyRecord(field, ParseRecord(record));
  // A record without a name applies none of its fields: the first load
  // then draws the defaults, a later one keeps the picture.
  if (!applied && !HasParameters(field)) ApplyDefaults(field);
  return applied;
}

}  // namespace brindlemar
