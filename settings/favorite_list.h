// The configuration dialog's favorites: the FavoriteList of MaxFav entries
// with its selection flags, its loading from the store, the sorted listing
// that the "Favorites" drop-down list shows, and the add, replace and remove
// operations, each of which rewrites the whole Favorites key at once.
//
// No window here: the dialogs call these and copy the listing into their
// controls. The listing orders names without regard to ASCII case and finds
// them the same way, as the sorted list control does.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "settings/favorite_record.h"
#include "settings/settings_store.h"

namespace brindlemar {

struct ChangeSet;

inline constexpr const char* kNoMoreRoomText =
    "Sorry, but you already have too many favorites.  Please delete some old settings you never look at anymore.";
inline constexpr const char* kNoMoreRoomTitle = "No More Room";

// The capacity when "MaxFav" is missing or 0.
inline constexpr int32_t kDefaultMaxFav = 256;
// The largest capacity taken from "MaxFav": "Fav%03d" then stays within
// seven characters, the longest value name the preset installation reads.
inline constexpr int32_t kMaxFavLimit = 10000;
// A favorite's name as the list keeps it, at most this many characters.
inline constexpr size_t kFavoriteNameLength = 127;
// A stored favorite is read into a buffer of this many bytes, its
// terminating NUL included, by the saver and the dialog alike.
inline constexpr size_t kFavoriteRecordBytes = 255;

// Add and replace return the list position of the stored favorite, or this
// when the list is full; the dialog then shows kNoMoreRoomText.
inline constexpr int32_t kNoMoreRoom = -1;

// One entry of the list: a record with a name of at most kFavoriteNameLength
// characters. An empty name marks a deleted slot.
using Favorite = FavoriteRecord;

struct FavoriteList {
  // maxFav is taken as MaxFav comes from the store: 0 gives kDefaultMaxFav,
  // and values beyond kMaxFavLimit, negative ones included, give the limit.
  explicit FavoriteList(int32_t maxFav = kDefaultMaxFav);

  int32_t maxFav;
  std::vector<Favorite> entries;       // maxFav entries
  int32_t favoriteCount = 0;
  std::vector<uint8_t> selectionFlags;  // maxFav bytes, nonzero = in rotation
};

// The capacity a stored "MaxFav" gives (see FavoriteList).
int32_t EffectiveMaxFav(int32_t stored);

// The value name of the favorite at index: "Fav%03d".
std::string FavoriteValueName(int32_t index);

// Reads the favorite at index. kMissing ends the favorites; kUnreadable is
// one that is there but cannot be loaded: longer than kFavoriteRecordBytes,
// or a text that is empty or begins with ",".
enum class FavoriteRead { kMissing, kUnreadable, kReadable };
FavoriteRead ReadFavorite(SettingsStore& store, int32_t index, std::string& text);
// The same for a stored value.
bool IsReadableFavorite(const StoredValue& value, std::string* text = nullptr);

// One line of the "Favorites" list: the name shown and its entry index.
struct ListedFavorite {
  std::string name;
  int32_t index = 0;
};

// The "Favorites" list as the sorted control holds it.
class FavoriteListing {
 public:
  // Inserts after every name that sorts before it or equal to it; returns
  // the position.
  int32_t Insert(std::string name, int32_t index);
  // The first position whose name equals name ignoring case, else -1.
  int32_t Find(std::string_view name) const;

  std::vector<ListedFavorite> lines;
};

// Fills the list from the Favorites key: "Fav000", "Fav001", ... while the
// value (at most 256 bytes) exists, is not empty and does not begin with ","
// and fewer than maxFav have been read. Entries past the last one read are
// emptied. An entry whose field 1 lies outside 0..200 keeps only its name and
// that field and is not listed; a listed one is read whole, with fields 11
// and 12 as 1 and 0, field 14 as 0, a trail length of 0 as 30, a colour rate
// of 0 as 500 and its style block reconciled with the style table.
FavoriteListing LoadFavorites(SettingsStore& store, FavoriteList& list);

// The list position of the favorite whose record (favorite form, name left
// out) equals that of the current settings ignoring case, the last such
// entry counting; -1 when there is none. The current settings take field 15
// as kRecordField15, whatever current holds.
int32_t FindCurrentFavorite(const FavoriteList& list, const FavoriteListing& listing, const FavoriteRecord& current);

// Deletes the Favorites key and writes every entry with a name, in array
// order, as "Fav000", "Fav001", ... in the favorite form, all as one change
// of the store. 1 when it was made, else 0.
int32_t RewriteFavorites(SettingsStore& store, const FavoriteList& list);

// Whether the list takes another favorite: it needs favoriteCount below
// maxFav - 1.
bool HasRoomForFavorite(const FavoriteList& list);

// Stores the controls' record under a name the listing does not show: at
// index favoriteCount, which grows by 1, listed by name, then rewritten.
int32_t AddFavorite(SettingsStore& store, FavoriteList& list, FavoriteListing& listing, std::string_view name,
                    const FavoriteRecord& controls);
// Stores the controls' record under a name the listing shows (ignoring
// case), after the user confirmed: over the entry whose name is exactly the
// same, else at index favoriteCount, which grows by 1. The listed line found
// takes the index; then the list is rewritten.
int32_t ReplaceFavorite(SettingsStore& store, FavoriteList& list, FavoriteListing& listing, std::string_view name,
                        const FavoriteRecord& controls);

// Deletes the favorite at index, rewrites the key, loads the list afresh
// into listing and moves the selection flags after index one place down.
// 0 when index names no entry.
int32_t RemoveFavorite(SettingsStore& store, FavoriteList& list, FavoriteListing& listing, int32_t index);

// The selection flags as the dialog opens: "RanArray" (at most maxFav bytes)
// over zeros, or every flag set when it cannot be read.
void LoadSelectionFlags(SettingsStore& store, FavoriteList& list);

// Stores the selection of the Random page's list box, whose lines are the
// entries in index order. Nothing happens without a selected line;
// otherwise the first favoriteCount positions selected become the flags
// (every flag when none of them counts) and "RanArray" is written with
// favoriteCount bytes. 1 when it was written.
int32_t SaveRandomSelection(SettingsStore& store, FavoriteList& list, const std::vector<int32_t>& selectedLines);
// The same as a part of a larger set of changes: sets the flags and adds
// the write of "RanArray" to changes; false, with nothing added, without a
// selected line.
bool TakeRandomSelection(FavoriteList& list, const std::vector<int32_t>& selectedLines, ChangeSet& changes);

}  // namespace brindlemar
