#include "settings/favorite_list.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include "settings/change_set.h"
#include "settings/presets.h"
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

StoredValue StringValue(std::string_view text) {
  StoredValue value{ValueType::kString, std::vector<uint8_t>(text.begin(), text.end())};
  value.data.push_back(0);
  return value;
}

// The controls' record as a new favorite stores it.
StoredValue NewFavorite(std::string_view name, const FavoriteRecord& controls) {
  Favorite entry = controls;
  entry.field11 = 1;
  entry.field12 = 0;
  entry.field14 = 0;
  entry.field15 = kRecordField15;
  entry.name = TruncatedName(name);
  return StringValue(FormatRecord(entry, RecordForm::kFavorite));
}

// Where the stored favorite named exactly name is, else -1.
int32_t FindStoredName(const std::vector<StoredValue>& favorites, std::string_view name) {
  for (size_t i = 0; i < favorites.size(); ++i) {
    std::string text;
    if (IsReadableFavorite(favorites[i], &text) && TruncatedName(ParseRecord(text).name) == name) {
      return static_cast<int32_t>(i);
    }
  }
  return -1;
}

// Stores a favorite at index (over the one there) or after the others,
// worked out from the favorites as they are stored at that moment; at
// receives where it went, or kNoMoreRoom. A stored "RanArray" longer than
// the favorites is cut to them, as the saver reads it.
void StoreFavorite(SettingsStore& store, const FavoriteList& list, std::string_view replacing, const StoredValue& value,
                   int32_t& at) {
  ApplyAsStored(store, [&](ChangeSet& changes) {
    StoredRotation stored = StoredRotation::Read(store, changes);
    const auto count = static_cast<int32_t>(stored.favorites.size());
    if (count >= list.maxFav - 1) {
      at = kNoMoreRoom;
      return false;
    }
    std::optional<std::vector<uint8_t>> flags = stored.Flags();
    // Longer than the favorites, the saver reads it as all selected: it is
    // written so, with the new favorite's flag, which would otherwise be a
    // stale byte of it.
    const bool cut = flags && stored.ranArray->data.size() > stored.favorites.size();
    at = replacing.empty() ? -1 : FindStoredName(stored.favorites, replacing);
    if (at >= 0) {
      stored.favorites[static_cast<size_t>(at)] = value;
    } else {
      at = count;
      stored.favorites.push_back(value);
      if (flags) flags->push_back(0);
    }
    StoredRotation::WriteFavorites(changes, stored.favorites);
    if (cut) stored.WriteFlags(changes, *flags);
    return true;
  });
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

bool FavoriteList::Readable(int32_t index) const {
  return index >= 0 && static_cast<size_t>(index) < stored.size() && IsReadableFavorite(stored[static_cast<size_t>(index)]);
}

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

std::vector<StoredValue> ReadStoredFavorites(SettingsStore& store) {
  std::vector<StoredValue> favorites;
  if (!store.OpenKey(kFavoritesKey)) return favorites;
  while (std::optional<StoredValue> value =
             ReadStoredValue(store, kFavoritesKey, FavoriteValueName(static_cast<int32_t>(favorites.size())))) {
    favorites.push_back(std::move(*value));
  }
  return favorites;
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

int32_t FavoriteListing::FindIndex(int32_t index) const {
  auto it = std::find_if(lines.begin(), lines.end(), [&](const ListedFavorite& line) { return line.index == index; });
  return it == lines.end() ? -1 : static_cast<int32_t>(it - lines.begin());
}

FavoriteListing LoadFavorites(SettingsStore& store, FavoriteList& list) {
  FavoriteListing listing;
  list.stored = ReadStoredFavorites(store);
  if (list.stored.size() > static_cast<size_t>(list.maxFav)) list.stored.resize(static_cast<size_t>(list.maxFav));
  list.favoriteCount = static_cast<int32_t>(list.stored.size());
  for (int32_t index = 0; index < list.favoriteCount; ++index) {
    Favorite& entry = list.entries[static_cast<size_t>(index)];
    entry = Favorite{};
    std::string text;
    if (!IsReadableFavorite(list.stored[static_cast<size_t>(index)], &text)) continue;
    FavoriteRecord read = ParseRecord(text);
    entry.name = TruncatedName(read.name);
    entry.dimensionality = read.dimensionality;
    if (read.dimensionality < 0 || read.dimensionality > 200) continue;
    entry = read;
    entry.name = TruncatedName(read.name);
    entry.field11 = 1;
    entry.field12 = 0;
    if (entry.trailLength == 0) entry.trailLength = 30;
    ReconcileStyleBlock(entry.configuration, entry.styleCount, entry.styleValues);
    listing.Insert(entry.name, index);
    entry.field14 = 0;
    if (entry.colorRate == 0) entry.colorRate = 500;
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
  std::vector<StoredValue> favorites;
  for (const Favorite& entry : list.entries) {
    if (!entry.name.empty()) favorites.push_back(StringValue(FormatRecord(entry, RecordForm::kFavorite)));
  }
  ChangeSet rewrite;
  StoredRotation::WriteFavorites(rewrite, favorites);
  return store.ApplyChanges(rewrite) == ChangeResult::kMade ? 1 : 0;
}

bool HasRoomForFavorite(const FavoriteList& list) { return list.favoriteCount < list.maxFav - 1; }

int32_t AddFavorite(SettingsStore& store, FavoriteList& list, FavoriteListing& listing, std::string_view name,
                    const FavoriteRecord& controls) {
  if (!HasRoomForFavorite(list)) return kNoMoreRoom;
  // A favorite without a name could not be read back: it is only listed.
  if (name.empty()) return listing.Insert("", list.favoriteCount);
  int32_t at = kNoMoreRoom;
  StoreFavorite(store, list, "", NewFavorite(name, controls), at);
  listing = LoadFavorites(store, list);
  return at == kNoMoreRoom ? kNoMoreRoom : listing.FindIndex(at);
}

int32_t ReplaceFavorite(SettingsStore& store, FavoriteList& list, FavoriteListing& listing, std::string_view name,
                        const FavoriteRecord& controls) {
  if (!HasRoomForFavorite(list)) return kNoMoreRoom;
  const std::string stored = TruncatedName(name);
  int32_t at = kNoMoreRoom;
  StoreFavorite(store, list, stored, NewFavorite(stored, controls), at);
  listing = LoadFavorites(store, list);
  return at == kNoMoreRoom ? kNoMoreRoom : listing.FindIndex(at);
}

int32_t RemoveFavorite(SettingsStore& store, FavoriteList& list, FavoriteListing& listing, int32_t index) {
  if (index < 0 || index >= list.favoriteCount) return 0;
  const StoredValue removed = list.stored[static_cast<size_t>(index)];
  ApplyAsStored(store, [&](ChangeSet& changes) {
    StoredRotation stored = StoredRotation::Read(store, changes);
    std::vector<StoredValue>& favorites = stored.favorites;
    // Where the favorite is now: at its place, unless another dialog moved
    // it; a favorite removed meanwhile is left removed.
    auto at = favorites.begin() + std::min<ptrdiff_t>(index, static_cast<ptrdiff_t>(favorites.size()));
    if (at == favorites.end() || !SameStoredValue(*at, removed)) {
      at = std::find_if(favorites.begin(), favorites.end(),
                        [&](const StoredValue& v) { return SameStoredValue(v, removed); });
    }
    if (at == favorites.end()) return false;
    const size_t position = static_cast<size_t>(at - favorites.begin());
    std::optional<std::vector<uint8_t>> flags = stored.Flags();
    favorites.erase(at);
    StoredRotation::WriteFavorites(changes, favorites);
    if (flags) {
      flags->erase(flags->begin() + static_cast<ptrdiff_t>(position));
      stored.WriteFlags(changes, *flags);
    }
    return true;
  });
  listing = LoadFavorites(store, list);
  LoadSelectionFlags(store, list);
  return 1;
}

void LoadSelectionFlags(SettingsStore& store, FavoriteList& list) {
  ChangeSet ignored;
  const StoredRotation stored = StoredRotation::Read(store, ignored);
  const std::vector<uint8_t> flags = stored.Flags().value_or(std::vector<uint8_t>(stored.favorites.size(), 1));
  const std::vector<int32_t> entries = MatchFavorites(list.stored, stored.favorites);
  for (size_t k = 0; k < entries.size(); ++k) {
    if (entries[k] >= 0) list.selectionFlags[static_cast<size_t>(entries[k])] = flags[k];
  }
  std::fill(list.selectionFlags.begin() + list.favoriteCount, list.selectionFlags.end(), 0);
}

bool TakeRandomSelection(SettingsStore& store, const FavoriteList& list, const RandomChoice& choice,
                         ChangeSet& changes, RandomSelection& taken) {
  std::vector<int32_t> shownSorted = choice.shown, selectedSorted = choice.selected;
  std::sort(shownSorted.begin(), shownSorted.end());
  std::sort(selectedSorted.begin(), selectedSorted.end());
  if (selectedSorted.empty() || selectedSorted == shownSorted) return false;
  const auto count = static_cast<size_t>(list.favoriteCount);
  std::vector<uint8_t> shown(count, 0);
  taken.entryFlags.assign(list.selectionFlags.begin(), list.selectionFlags.begin() + list.favoriteCount);
  for (int32_t entry : choice.shown) {
    if (list.Readable(entry)) shown[static_cast<size_t>(entry)] = 1;
  }
  for (size_t i = 0; i < count; ++i) {
    if (list.Readable(static_cast<int32_t>(i))) taken.entryFlags[i] = 0;
  }
  for (int32_t entry : choice.selected) {
    if (list.Readable(entry)) taken.entryFlags[static_cast<size_t>(entry)] = 1;
  }

  StoredRotation stored = StoredRotation::Read(store, changes);
  std::vector<uint8_t> flags = stored.Flags().value_or(std::vector<uint8_t>(stored.favorites.size(), 0));
  const std::vector<int32_t> entries = MatchFavorites(list.stored, stored.favorites);
  auto listed = [&](size_t k) { return list.Readable(entries[k]); };
  // No favorite of the list stored as selected: the list showed them all
  // selected, which is what the user changed.
  bool any = false;
  for (size_t k = 0; k < entries.size(); ++k) any = any || (listed(k) && flags[k] != 0);
  taken.flagged.clear();
  for (size_t k = 0; k < entries.size(); ++k) {
    if (!listed(k)) continue;
    const auto entry = static_cast<size_t>(entries[k]);
    if (any && shown[entry] == taken.entryFlags[entry]) continue;
    flags[k] = taken.entryFlags[entry];
    taken.flagged.push_back(stored.favorites[k]);
  }
  if (taken.flagged.empty()) return false;
  changes.CreateKey(kConfigKey);
  stored.WriteFlags(changes, flags);
  return true;
}

int32_t SaveRandomSelection(SettingsStore& store, FavoriteList& list, const RandomChoice& choice,
                            std::vector<StoredValue>* flagged) {
  RandomSelection taken;
  bool wrote = false;
  const ChangeResult result = ApplyAsStored(store, [&](ChangeSet& changes) {
    wrote = TakeRandomSelection(store, list, choice, changes, taken);
    return wrote;
  });
  if (!wrote || result != ChangeResult::kMade) return 0;
  std::copy(taken.entryFlags.begin(), taken.entryFlags.end(), list.selectionFlags.begin());
  if (flagged) *flagged = std::move(taken.flagged);
  return 1;
}

StoredRotation StoredRotation::Read(SettingsStore& store, ChangeSet& changes) {
  StoredRotation stored;
  stored.favorites = ReadStoredFavorites(store);
  for (size_t i = 0; i <= stored.favorites.size(); ++i) {
    const int32_t index = static_cast<int32_t>(i);
    changes.Expect(kFavoritesKey, FavoriteValueName(index),
                   i < stored.favorites.size() ? std::optional<StoredValue>(stored.favorites[i]) : std::nullopt);
  }
  stored.ranArray = ReadStoredValue(store, kConfigKey, "RanArray");
  changes.Expect(kConfigKey, "RanArray", stored.ranArray);
  return stored;
}

std::optional<std::vector<uint8_t>> StoredRotation::Flags() const {
  if (!ranArray) return std::nullopt;
  const std::vector<uint8_t>& bytes = ranArray->data;
  if (bytes.size() > favorites.size()) return std::vector<uint8_t>(favorites.size(), 1);
  std::vector<uint8_t> flags(bytes);
  flags.resize(favorites.size(), 0);
  return flags;
}

void StoredRotation::WriteFlags(ChangeSet& changes, const std::vector<uint8_t>& flags) const {
  if (ranArray && ranArray->type == ValueType::kBinary && ranArray->data == flags) return;
  changes.SetValue(kConfigKey, "RanArray", StoredValue{ValueType::kBinary, flags});
}

void StoredRotation::WriteFavorites(ChangeSet& changes, const std::vector<StoredValue>& favorites) {
  // One change: no reader, and no start installing the presets, ever sees
  // the key deleted or half written.
  changes.DeleteKey(kFavoritesKey).CreateKey(kFavoritesKey);
  for (size_t i = 0; i < favorites.size(); ++i) {
    changes.SetValue(kFavoritesKey, FavoriteValueName(static_cast<int32_t>(i)), favorites[i]);
  }
}

std::vector<int32_t> MatchFavorites(const std::vector<StoredValue>& then, const std::vector<StoredValue>& now) {
  // Favorites are added after the others, replaced in place and removed,
  // never moved: the same value in the same order is the same favorite.
  std::vector<int32_t> match(now.size(), -1);
  size_t from = 0;
  for (size_t k = 0; k < now.size(); ++k) {
    for (size_t i = from; i < then.size(); ++i) {
      if (SameStoredValue(then[i], now[k])) {
        match[k] = static_cast<int32_t>(i);
        from = i + 1;
        break;
      }
    }
  }
  return match;
}

FavoriteListing StoredFavorites(SettingsStore& store, FavoriteList& list) {
  InstallPresets(store);
  int32_t maxFav = 0;
  ReadDword(store, kConfigKey, "MaxFav", maxFav);
  list = FavoriteList(EffectiveMaxFav(maxFav));
  return LoadFavorites(store, list);
}

std::optional<FavoriteRecord> FindFavorite(SettingsStore& store, std::string_view name) {
  FavoriteList list;
  FavoriteListing listing = StoredFavorites(store, list);
  const int32_t line = listing.Find(name);
  if (line >= 0) return list.entries[static_cast<size_t>(listing.lines[static_cast<size_t>(line)].index)];
  const int32_t preset = PresetIndexByName(name);
  if (preset >= 0) return ParseRecord(FastPreset(preset));
  return std::nullopt;
}

}  // namespace brindlemar
