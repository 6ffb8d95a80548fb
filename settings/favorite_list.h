// The configuration dialog's favorites: the FavoriteList of MaxFav entries
// with its selection flags, its loading from the store, the sorted listing
// that the "Favorites" drop-down list shows, and the add, replace and remove
// operations, each of which rewrites the whole Favorites key at once.
//
// The favorites are the values "Fav000", "Fav001", ... as long as they
// follow each other. One that cannot be read (empty, longer than a record
// buffer, without a name) costs only itself: it keeps its place and its
// number, is shown nowhere and never taken into the rotation, and every
// rewrite keeps it as stored. Add, replace, remove and the rotation flags
// work on the favorites as they are stored at that moment, not on the
// list's copy, so that two dialogs open at once never undo each other: a
// change is made only while the store still holds what it was worked out
// from (ApplyAsStored), and the list is loaded afresh after it.
//
// No window here: the dialogs call these and copy the listing into their
// controls. The listing orders names without regard to ASCII case and finds
// them the same way, as the sorted list control does.
#pragma once

#include <cstdint>
#include <optional>
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
// characters. An empty name marks a favorite that cannot be read.
using Favorite = FavoriteRecord;

struct FavoriteList {
  // maxFav is taken as MaxFav comes from the store: 0 gives kDefaultMaxFav,
  // and values beyond kMaxFavLimit, negative ones included, give the limit.
  explicit FavoriteList(int32_t maxFav = kDefaultMaxFav);

  // Whether the entry at index is a favorite the saver can load.
  bool Readable(int32_t index) const;

  int32_t maxFav;
  std::vector<Favorite> entries;       // maxFav entries
  int32_t favoriteCount = 0;
  std::vector<uint8_t> selectionFlags;  // maxFav bytes, nonzero = in rotation
  // Each of the first favoriteCount entries as it was stored when loaded:
  // what tells it among the favorites stored later.
  std::vector<StoredValue> stored;
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

// The favorites as they are stored now, each value whole.
std::vector<StoredValue> ReadStoredFavorites(SettingsStore& store);

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
  // The position of the line of the entry at index, else -1.
  int32_t FindIndex(int32_t index) const;

  std::vector<ListedFavorite> lines;
};

// Fills the list from the Favorites key, at most maxFav of them; entries
// past the last one read are emptied. A favorite that cannot be read keeps
// its entry with an empty name and is not listed. An entry whose field 1
// lies outside 0..200 keeps only its name and that field and is not listed;
// a listed one is read whole, with fields 11 and 12 as 1 and 0, field 14 as
// 0, a trail length of 0 as 30, a colour rate of 0 as 500 and its style
// block reconciled with the style table.
FavoriteListing LoadFavorites(SettingsStore& store, FavoriteList& list);

// The stored favorites as the saver sees them: the built-in presets
// installed first where the store has none, then the list loaded with the
// stored "MaxFav".
FavoriteListing StoredFavorites(SettingsStore& store, FavoriteList& list);

// A stored favorite by its name in any case, else a built-in preset by its
// exact name; nothing when neither has it.
std::optional<FavoriteRecord> FindFavorite(SettingsStore& store, std::string_view name);

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

// Stores the controls' record under a name the listing does not show, after
// the favorites stored now, and loads the list afresh. An empty name is
// only listed (it could not be read back). kNoMoreRoom when the stored
// favorites leave no room.
int32_t AddFavorite(SettingsStore& store, FavoriteList& list, FavoriteListing& listing, std::string_view name,
                    const FavoriteRecord& controls);
// Stores the controls' record under a name the listing shows (ignoring
// case), after the user confirmed: over the stored favorite whose name is
// exactly the same, else after the others; then loads the list afresh.
int32_t ReplaceFavorite(SettingsStore& store, FavoriteList& list, FavoriteListing& listing, std::string_view name,
                        const FavoriteRecord& controls);

// Deletes the stored favorite that the entry at index was loaded from (where
// it is now), moves the stored selection flags after it one place down, and
// loads the list and its flags afresh. 0 when index names no entry.
int32_t RemoveFavorite(SettingsStore& store, FavoriteList& list, FavoriteListing& listing, int32_t index);

// The rotation flags of the list's entries as they are stored now, each
// entry taking the flag of its favorite: "RanArray" over zeros, every flag
// set when it is missing or longer than the favorites (as the saver reads
// it). An entry no longer stored keeps its flag.
void LoadSelectionFlags(SettingsStore& store, FavoriteList& list);

// The Random page's list box, which lists the readable entries: those it
// showed selected, and those the user left selected.
struct RandomChoice {
  std::vector<int32_t> shown;
  std::vector<int32_t> selected;
};

// Stores the flags of the entries whose selection the user changed, into
// "RanArray" as it is stored now: their favorites take them, every other
// favorite keeps its flag. Where none was stored as selected the list
// showed them all selected, and those become the flags first. Nothing
// happens without a selected entry or without a change. 1 when written;
// flagged then receives the stored favorites whose flags it set.
int32_t SaveRandomSelection(SettingsStore& store, FavoriteList& list, const RandomChoice& choice,
                            std::vector<StoredValue>* flagged = nullptr);

// What taking a selection set.
struct RandomSelection {
  std::vector<uint8_t> entryFlags;   // the list's entries' flags, for the list once the set is made
  std::vector<StoredValue> flagged;  // the stored favorites whose flags it set
};
// The same as a part of a larger set worked out from the store as it is now
// (ApplyAsStored): adds the write of "RanArray", with what it was worked out
// from, to changes; false, with nothing added, when nothing is to be
// written.
bool TakeRandomSelection(SettingsStore& store, const FavoriteList& list, const RandomChoice& choice,
                         ChangeSet& changes, RandomSelection& taken);

// The favorites and their rotation flags as stored at one moment, read for
// a change worked out from them (ApplyAsStored).
struct StoredRotation {
  // Reads both and adds to changes the expectation that they stay so.
  static StoredRotation Read(SettingsStore& store, ChangeSet& changes);

  // One flag for each favorite, as the saver reads "RanArray": its bytes
  // over zeros, every flag set when it is longer than the favorites; none
  // when it is missing.
  std::optional<std::vector<uint8_t>> Flags() const;
  // Adds to changes the write of flags as "RanArray" where it differs.
  void WriteFlags(ChangeSet& changes, const std::vector<uint8_t>& flags) const;
  // Adds to changes the rewrite of the Favorites key with these favorites,
  // numbered from "Fav000".
  static void WriteFavorites(ChangeSet& changes, const std::vector<StoredValue>& favorites);

  std::vector<StoredValue> favorites;
  std::optional<StoredValue> ranArray;
};

// For each favorite of now, the one of then (the favorites as stored at
// another moment) that it is: the same value, in the same order; -1 for a
// favorite stored since.
std::vector<int32_t> MatchFavorites(const std::vector<StoredValue>& then, const std::vector<StoredValue>& now);

}  // namespace brindlemar
