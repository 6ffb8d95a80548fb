// Fuzz target: any text as a parameter record, read the way a stored
// favorite or "Settings" value is: the record reader and writer, and the
// configuration dialog's loading and saving of the same text. The load of a
// record onto a field is record_field_fuzz's (together, each input took the
// time of both).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "engine/style_table.h"
#include "settings/dialog_settings.h"
#include "settings/favorite_list.h"
#include "settings/favorite_record.h"
#include "settings/memory_store.h"
#include "settings/settings_store.h"
#include "surfaces/display_modes.h"

namespace {

using namespace brindlemar;

constexpr int32_t kMaxFav = 4;

void Require(bool condition) {
  if (!condition) std::abort();
}

// Writing a record and reading it back keeps its name and every integer
// field that the settings form writes as held.
void CheckRoundTrip(const FavoriteRecord& r) {
  FavoriteRecord settings = ParseRecord(FormatRecord(r, RecordForm::kSettings));
  FavoriteRecord expected = r;
  expected.name = "*";
  expected.field11 = 1;
  expected.field12 = 0;
  expected.field14 = 0;
  expected.field15 = settings.field15;
  Require(settings == expected);
  Require(ParseRecord(FormatRecord(r, RecordForm::kFavorite)).name == r.name);
}

void CheckDialog(std::string_view text) {
  MemoryStore store;
  store.CreateKey(kConfigKey, nullptr);
  store.CreateKey(kFavoritesKey, nullptr);
  WriteString(store, kConfigKey, "Settings", text);
  WriteString(store, kFavoritesKey, "Fav000", text);
  WriteString(store, kFavoritesKey, "Fav001", text);
  WriteDword(store, kConfigKey, "MaxFav", kMaxFav);

  DialogSettings settings;
  FavoriteList list(kMaxFav);
  DialogLoad(store, NoDisplayModes(), settings, list);
  FavoriteListing listing = LoadFavorites(store, list);
  LoadSelectionFlags(store, list);
  int32_t current = FindCurrentFavorite(list, listing, settings.parameters);
  Require(current >= -1 && current < static_cast<int32_t>(listing.lines.size()));
  if (HasRoomForFavorite(list)) ReplaceFavorite(store, list, listing, ParseRecord(text).name, settings.parameters);
  RemoveFavorite(store, list, listing, 0);
  DialogBackup backup;
  SaveBackup(store, backup);
  DialogSave(store, settings, list, RandomChoice{{}, {0, 1}});
  RestoreBackup(store, backup, settings.written);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ResetStyleTable();
  std::string_view text(reinterpret_cast<const char*>(data), size);

  FavoriteRecord record = ParseRecord(text);
  CheckRoundTrip(record);
  CheckDialog(text);
  return 0;
}
