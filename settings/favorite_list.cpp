#include "settings/favorite_list.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <optional>

#include "settings/change_set.h"
#include "settings/settings_store.h"

namespace brindlemar {
namespace {

char Fold(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return Fold(x) == Fold(y); });
}

bool LessIgnoringCase(std::string_view a, std::string_view b) {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return static_cast<unsigned char>(Fold(x)) < static_cast<unsigned char>(Fold(y));
  });
}

std::string TruncatedName(std::string_view name) { return std::string(name.substr(0, kFavoriteNameLength)); }

// The record a favorite is compared by: the favorite form without its name.
std::string Unnamed(FavoriteRecord record) {
  record.name.clear();
  return FormatRecord(record, RecordForm::kFavorite);
}

void StoreAt(SettingsStore& store, FavoriteList& list, int32_t index, std::string_view name,
             const FavoriteRecord& controls) {
  Favorite& entry = list.entries[static_cast<size_t>(index)];
  entry = controls;
  entry.field11 = 1;
  entry.field12 = 0;
  entry.field14 = 0;
  entry.field15 = kRecordField15;
  entry.name = TruncatedName(name);
  RewriteFavorites(store, list);
}

}  // namespace

int32_t EffectiveMaxFav(int32_t stored) {
  uint32_t capacity = static_cast<uint32_t>(stored);
  if (capacity == 0) return kDefaultMaxFav;
  return static_cast<int32_t>(std::min<uint32_t>(capacity, kMaxFavLimit));
}

FavoriteList::FavoriteList(int32_t stored)
    : maxFav(EffectiveMaxFav(stored)),
      entries(static_cast<size_t>(maxFav)),
      selectionFlags(static_cast<size_t>(maxFav), 0) {}

std::string FavoriteValueName(int32_t index) {
  char name[16];
  std::snprintf(name, sizeof name, "Fav%03d", index);
  return name;
}

bool IsReadableFavorite(const StoredValue& value, std::string* text) {
  if (value.data.size() > kFavoriteRecordBytes) return false;
  // The text ends at the first NUL, as a string read from the store does.
  const auto end = std::find(value.data.begin(), value.data.end(), 0);
  if (end == value.data.begin() || value.data.front() == ',') return false;
  if (text) text->assign(value.data.begin(), end);
  return true;
}

FavoriteRead ReadFavorite(SettingsStore& store, int32_t index, std::string& text) {
  const std::optional<StoredValue> value = ReadStoredValue(store, kFavoritesKey, FavoriteValueName(index));
  if (!value) return FavoriteRead::kMissing;
  return IsReadableFavorite(*value, &text) ? FavoriteRead::kReadable : FavoriteRead::kUnreadable;
}

int32_t FavoriteListing::Insert(std::string name, int32_t index) {
  auto at = std::upper_bound(lines.begin(), lines.end(), name, [](const std::string& n, const ListedFavorite& line) {
    return LessIgnoringCase(n, line.name);
  });
  at = lines.insert(at, ListedFavorite{std::move(name), index});
  return static_cast<int32_t>(at - lines.begin());
}

int32_t FavoriteListing::Find(std::string_view name) const {
  auto it = std::find_if(lines.begin(), lines.end(),
                         [&](const ListedFavorite& line) { return SameIgnoringCase(line.name, name); });
  return it == lines.end() ? -1 : static_cast<int32_t>(it - lines.begin());
}

FavoriteListing LoadFavorites(SettingsStore& store, FavoriteList& list) {
  FavoriteListing listing;
  list.favoriteCount = 0;
  if (store.OpenKey(kFavoritesKey)) {
    while (list.favoriteCount < list.maxFav) {
      std::string text;
      if (!ReadString(store, kFavoritesKey, FavoriteValueName(list.favoriteCount), 256, text) || text.empty() ||
          text[0] == ',') {
        break;
      }
      FavoriteRecord read = ParseRecord(text);
      Favorite& entry = list.entries[static_cast<size_t>(list.favoriteCount)];
      entry = Favorite{};
      entry.name = TruncatedName(read.name);
      if (!entry.name.empty()) {
        entry.dimensionality = read.dimensionality;
        if (read.dimensionality >= 0 && read.dimensionality <= 200) {
          entry = read;
          entry.name = TruncatedName(read.name);
          entry.field11 = 1;
          entry.field12 = 0;
          if (entry.trailLength == 0) entry.trailLength = 30;
          ReconcileStyleBlock(entry.configuration, entry.styleCount, entry.styleValues);
          listing.Insert(entry.name, list.favoriteCount);
          entry.field14 = 0;
          if (entry.colorRate == 0) entry.colorRate = 500;
        }
      }
      ++list.favoriteCount;
    }
  }
  // Slots past the favorites read must not carry older entries into the
  // next rewrite.
  for (size_t i = static_cast<size_t>(list.favoriteCount); i < list.entries.size(); ++i) list.entries[i] = Favorite{};
  return listing;
}

int32_t FindCurrentFavorite(const FavoriteList& list, const FavoriteListing& listing, const FavoriteRecord& current) {
  // The controls have no field 15: the current settings carry the constant.
  FavoriteRecord settings = current;
  settings.field15 = kRecordField15;
  std::string wanted = Unnamed(settings);
  int32_t match = -1;
  for (const ListedFavorite& line : listing.lines) {
    if (line.index < 0 || line.index >= list.favoriteCount) continue;
    if (line.index > match && SameIgnoringCase(Unnamed(list.entries[static_cast<size_t>(line.index)]), wanted)) {
      match = line.index;
    }
  }
  return match < 0 ? -1 : listing.Find(list.entries[static_cast<size_t>(match)].name);
}

int32_t RewriteFavorites(SettingsStore& store, const FavoriteList& list) {
  // One change: no reader, and no start installing the presets, ever sees
  // the key deleted or half written.
  ChangeSet rewrite;
  rewrite.DeleteKey(kFavoritesKey);
  rewrite.CreateKey(kFavoritesKey);
  int32_t number = 0;
  for (const Favorite& entry : list.entries) {
    if (entry.name.empty()) continue;
    rewrite.SetString(kFavoritesKey, FavoriteValueName(number++), FormatRecord(entry, RecordForm::kFavorite));
  }
  return store.ApplyChanges(rewrite) == ChangeResult::kMade ? 1 : 0;
}

bool HasRoomForFavorite(const FavoriteList& list) { return list.favoriteCount < list.maxFav - 1; }

int32_t AddFavorite(SettingsStore& store, FavoriteList& list, FavoriteListing& listing, std::string_view name,
                    const FavoriteRecord& controls) {
  if (!HasRoomForFavorite(list)) return kNoMoreRoom;
  int32_t index = list.favoriteCount++;
  int32_t position = listing.Insert(TruncatedName(name), index);
  StoreAt(store, list, index, name, controls);
  return position;
}

int32_t ReplaceFavorite(SettingsStore& store, FavoriteList& list, FavoriteListing& listing, std::string_view name,
                        const FavoriteRecord& controls) {
  if (!HasRoomForFavorite(list)) return kNoMoreRoom;
  std::string stored = TruncatedName(name);
  auto first = list.entries.begin();
  auto exact = std::find_if(first, first + list.favoriteCount, [&](const Favorite& f) { return f.name == stored; });
  int32_t index = exact != first + list.favoriteCount ? static_cast<int32_t>(exact - first) : list.favoriteCount++;
  int32_t position = listing.Find(stored);
  if (position < 0) {
    position = listing.Insert(stored, index);
  } else {
    listing.lines[static_cast<size_t>(position)].index = index;
  }
  StoreAt(store, list, index, stored, controls);
  return position;
}

int32_t RemoveFavorite(SettingsStore& store, FavoriteList& list, FavoriteListing& listing, int32_t index) {
  if (index < 0 || index >= list.maxFav) return 0;
  list.entries[static_cast<size_t>(index)].name.clear();
  RewriteFavorites(store, list);
  listing = LoadFavorites(store, list);
  uint8_t* flags = list.selectionFlags.data();
  std::memmove(flags + index, flags + index + 1, static_cast<size_t>(list.maxFav - index - 1));
  return 1;
}

void LoadSelectionFlags(SettingsStore& store, FavoriteList& list) {
  std::vector<uint8_t> stored;
  if (ReadBinary(store, kConfigKey, "RanArray", static_cast<size_t>(list.maxFav), stored)) {
    std::fill(list.selectionFlags.begin(), list.selectionFlags.end(), 0);
    std::copy(stored.begin(), stored.end(), list.selectionFlags.begin());
  } else {
    std::fill(list.selectionFlags.begin(), list.selectionFlags.end(), 1);
  }
}

bool TakeRandomSelection(FavoriteList& list, const std::vector<int32_t>& selectedLines, ChangeSet& changes) {
  if (selectedLines.empty()) return false;
  size_t taken = std::min(selectedLines.size(), static_cast<size_t>(list.favoriteCount));
  std::fill(list.selectionFlags.begin(), list.selectionFlags.end(), 0);
  for (size_t i = 0; i < taken; ++i) {
    int32_t line = selectedLines[i];
    if (line >= 0 && line < list.maxFav) list.selectionFlags[static_cast<size_t>(line)] = 1;
  }
  if (taken == 0) std::fill(list.selectionFlags.begin(), list.selectionFlags.end(), 1);
  std::vector<uint8_t> flags(list.selectionFlags.begin(), list.selectionFlags.begin() + list.favoriteCount);
  changes.CreateKey(kConfigKey).SetValue(kConfigKey, "RanArray", StoredValue{ValueType::kBinary, std::move(flags)});
  return true;
}

int32_t SaveRandomSelection(SettingsStore& store, FavoriteList& list, const std::vector<int32_t>& selectedLines) {
  ChangeSet changes;
  if (!TakeRandomSelection(list, selectedLines, changes)) return 0;
  return store.ApplyChanges(changes) == ChangeResult::kMade ? 1 : 0;
}

}  // namespace brindlemar
