// The configuration dialog's favorites list against every kind of store:
// loading, the listing and the current favorite, the rewrite, and adding,
// replacing and removing favorites with their selection flags, on the
// favorites as they are stored at that moment.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "engine/style_table.h"
#include "settings/favorite_list.h"
#include "settings/favorite_record.h"
#include "settings/settings_store.h"
#include "support/product_store.h"

namespace brindlemar {
namespace {

using testing::ProductStoreTest;

constexpr const char* kCorona = "Corona,3,23,1200,2540,1135,7,284,1,0,0,1,0,4,0,.252212,75,1,3,1,20,-30,0,401,0,1";
constexpr const char* kRain = "Rain,3,24,1600,842,1013,5,499,1,0,0,1,0,4,0,.252212,40,1,4,1,10,40,1000,692,0,1";
constexpr const char* kScribble = "Scribble,3,1,50,2264,1099,15,1527,1,0,1,1,0,2,0,.252212,95,1,2,2,0,0,0,471,0,1";
constexpr const char* kTotalChaos = "Total Chaos,1,0,777,3326,748,14,1337,1,0,1,1,0,3,0,.252212,25,1,2,1,50,0,0,355,0,0";
constexpr const char* kEvolution = "Evolution,2,6,4500,3795,1010,7,309,1,1,0,1,0,0,0,.252212,90,1,3,2,3,250,0,500,1,0";

std::string ValueName(int32_t index) {
  char name[16];
  std::snprintf(name, sizeof name, "Fav%03d", index);
  return name;
}

void PutFavorites(SettingsStore& store, const std::vector<std::string>& records) {
  ASSERT_TRUE(store.CreateKey(kFavoritesKey, nullptr));
  for (size_t i = 0; i < records.size(); ++i) {
    ASSERT_TRUE(WriteString(store, kFavoritesKey, ValueName(static_cast<int32_t>(i)), records[i]));
  }
}

// Every "Fav%03d" value from Fav000 on, as long as they follow each other.
std::vector<std::string> StoredFavorites(SettingsStore& store) {
  std::vector<std::string> records;
  for (std::string text; ReadString(store, kFavoritesKey, ValueName(static_cast<int32_t>(records.size())), 4096, text);)
    records.push_back(text);
  return records;
}

std::vector<std::string> ListedNames(const FavoriteListing& listing) {
  std::vector<std::string> names;
  for (const ListedFavorite& line : listing.lines) names.push_back(line.name);
  return names;
}

class FavoriteListTest : public ProductStoreTest {};

TEST_P(FavoriteListTest, LoadingReadsListsAndGoesOnToTheLastStored) {
  const std::string longName(150, 'n');
  PutFavorites(Store(), {
                            // Trails off with odd constants, colour rate 0, style block 0.
                            "trails off,1,13,2300,4490,1147,10,1063,7,0,1,7,7,0,9,.5,0,0,0,0,0,0,0,0,1,0",
                            kCorona,
                            "Hidden,201,5,100",
                            longName + ",1,1,100,100,100,1,100,1,0,0,1,0,0,0,.252212,10,1,2,2,0,0,0,100,0,0",
                            "",
                            kRain,
                        });
  FavoriteList list(kDefaultMaxFav);
  FavoriteListing listing = LoadFavorites(Other(), list);

  EXPECT_EQ(list.favoriteCount, 6);  // past the empty value
  EXPECT_EQ(ListedNames(listing),
            (std::vector<std::string>{"Corona", longName.substr(0, 127), "Rain", "trails off"}));
  EXPECT_EQ(listing.lines[0].index, 1);
  EXPECT_EQ(listing.lines[1].index, 3);
  EXPECT_EQ(listing.lines[2].index, 5);
  EXPECT_EQ(listing.lines[3].index, 0);

  const Favorite& off = list.entries[0];
  EXPECT_EQ(off.trailLength, 30);
  EXPECT_EQ(off.field11, 1);
  EXPECT_EQ(off.field12, 0);
  EXPECT_EQ(off.field14, 0);
  EXPECT_EQ(off.field15, 0.5);
  EXPECT_EQ(off.colorRate, 500);
  int32_t count = 0, values[4] = {};
  GetStyleParams(13, count, values);
  EXPECT_EQ(off.styleCount, count);
  EXPECT_EQ(std::vector<int32_t>(off.styleValues, off.styleValues + 4), std::vector<int32_t>(values, values + 4));

  EXPECT_EQ(FormatRecord(list.entries[1], RecordForm::kFavorite), kCorona);
  EXPECT_EQ(list.entries[2].name, "Hidden");  // kept for numbering, not listed
  EXPECT_EQ(list.entries[2].dimensionality, 201);
  EXPECT_EQ(list.entries[3].name.size(), 127u);
  EXPECT_TRUE(list.entries[4].name.empty());
  EXPECT_FALSE(list.Readable(4));
  EXPECT_TRUE(list.Readable(5));
}

// A favorite that cannot be read costs only itself: it keeps its place and
// number, is not listed, and those after it are read.
TEST_P(FavoriteListTest, AnUnreadableFavoriteCostsOnlyItself) {
  struct Case {
    const char* name;
    StoredValue second;
    int32_t maxFav;
    int32_t count;
    std::vector<std::string> listed;
  };
  auto text = [](const std::string& t) {
    StoredValue v{ValueType::kString, std::vector<uint8_t>(t.begin(), t.end())};
    v.data.push_back(0);
    return v;
  };
  const std::vector<std::string> both = {"Corona", "Scribble"};
  const Case cases[] = {
      {"leading comma", text(",1,2,3"), kDefaultMaxFav, 3, both},
      {"empty", text(""), kDefaultMaxFav, 3, both},
      {"empty binary", StoredValue{ValueType::kBinary, {}}, kDefaultMaxFav, 3, both},
      {"255 bytes and its NUL", text(std::string(255, 'L')), kDefaultMaxFav, 3, both},
      {"254 bytes and its NUL", text(std::string(254, 'L')), kDefaultMaxFav, 3,
       {"Corona", std::string(127, 'L'), "Scribble"}},
      {"capacity", text(kRain), 2, 2, {"Corona", "Rain"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Store().DeleteKey(kFavoritesKey);
    PutFavorites(Store(), {kCorona, "placeholder", kScribble});
    ASSERT_TRUE(Store().SetValue(kFavoritesKey, "Fav001", c.second));
    FavoriteList list(c.maxFav);
    EXPECT_EQ(ListedNames(LoadFavorites(Other(), list)), c.listed);
    EXPECT_EQ(list.favoriteCount, c.count);
  }
  FavoriteList list;
  Store().DeleteKey(kFavoritesKey);
  EXPECT_TRUE(LoadFavorites(Other(), list).lines.empty());
  EXPECT_EQ(list.favoriteCount, 0);
}

// Adding and removing rewrite the favorites as stored: one that cannot be
// read is kept as it is, in its place, and the rotation flags stay with
// their favorites.
TEST_P(FavoriteListTest, RewritesKeepAnUnreadableFavoriteAndTheFlagsAligned) {
  const std::string tooLong = std::string(300, 'T') + ",1,1";
  PutFavorites(Store(), {kCorona, "", kRain, tooLong, kScribble});
  ASSERT_TRUE(Store().CreateKey(kConfigKey, nullptr));
  ASSERT_TRUE(WriteBinary(Store(), kConfigKey, "RanArray", {0, 1, 1, 1, 0}));
  FavoriteList list;
  FavoriteListing listing = LoadFavorites(Store(), list);
  ASSERT_EQ(ListedNames(listing), (std::vector<std::string>{"Corona", "Rain", "Scribble"}));

  ASSERT_GE(AddFavorite(Store(), list, listing, "Mine", ParseRecord(kEvolution)), 0);
  std::vector<std::string> stored = StoredFavorites(Other());
  ASSERT_EQ(stored.size(), 6u);
  EXPECT_EQ(stored[1], "");
  EXPECT_EQ(stored[3], tooLong);
  EXPECT_EQ(stored[5].substr(0, 5), "Mine,");

  ASSERT_EQ(RemoveFavorite(Store(), list, listing, 2), 1);  // Rain
  EXPECT_EQ(StoredFavorites(Other()), (std::vector<std::string>{kCorona, "", tooLong, kScribble, stored[5]}));
  std::vector<uint8_t> flags;
  ASSERT_TRUE(ReadBinary(Other(), kConfigKey, "RanArray", 100, flags));
  EXPECT_EQ(flags, (std::vector<uint8_t>{0, 1, 1, 0, 0}));
  EXPECT_EQ(ListedNames(listing), (std::vector<std::string>{"Corona", "Mine", "Scribble"}));
}

TEST_P(FavoriteListTest, CapacityComesFromMaxFav) {
  struct Case {
    int32_t stored;
    int32_t capacity;
  };
  const Case cases[] = {{0, 256}, {1, 1}, {12, 12}, {256, 256}, {kMaxFavLimit + 1, kMaxFavLimit}, {-1, kMaxFavLimit}};
  for (const Case& c : cases) {
    FavoriteList list(c.stored);
    EXPECT_EQ(list.maxFav, c.capacity) << c.stored;
    EXPECT_EQ(list.entries.size(), static_cast<size_t>(c.capacity));
    EXPECT_EQ(list.selectionFlags.size(), static_cast<size_t>(c.capacity));
  }
}

TEST_P(FavoriteListTest, ListingSortsAndFindsIgnoringCase) {
  FavoriteListing listing;
  for (const char* name : {"beta", "Alpha", "gamma", "ALPHA", "Beta2"}) listing.Insert(name, 0);
  EXPECT_EQ(ListedNames(listing), (std::vector<std::string>{"Alpha", "ALPHA", "beta", "Beta2", "gamma"}));
  EXPECT_EQ(listing.Find("alpha"), 0);
  EXPECT_EQ(listing.Find("BETA"), 2);
  EXPECT_EQ(listing.Find("bet"), -1);
}

TEST_P(FavoriteListTest, CurrentFavoriteIsTheLastEqualOne) {
  FavoriteRecord current = ParseRecord(kRain);
  current.name.clear();
  current.field15 = 0.9;  // the current settings always carry the constant

  PutFavorites(Store(), {kCorona, kRain, kScribble, std::string("Zed") + (kRain + 4)});
  FavoriteList list;
  FavoriteListing listing = LoadFavorites(Store(), list);
  int32_t position = FindCurrentFavorite(list, listing, current);
  ASSERT_GE(position, 0);
  EXPECT_EQ(listing.lines[static_cast<size_t>(position)].name, "Zed");

  current.grains = 1601;
  EXPECT_EQ(FindCurrentFavorite(list, listing, current), -1);

  // With trails off, trail length and dither do not count.
  FavoriteRecord off = ParseRecord(kScribble);
  off.trails = 0;
  Store().DeleteKey(kFavoritesKey);
  PutFavorites(Store(), {FormatRecord(off, RecordForm::kFavorite)});
  listing = LoadFavorites(Store(), list);
  off.trailLength = 77;
  off.dither = 1;
  EXPECT_EQ(FindCurrentFavorite(list, listing, off), 0);
}

TEST_P(FavoriteListTest, RewriteRenumbersFromZeroAndDropsWhatElseTheKeyHeld) {
  PutFavorites(Store(), {kCorona, kRain, kScribble});
  ASSERT_TRUE(WriteString(Store(), kFavoritesKey, "Fav009", kTotalChaos));
  ASSERT_TRUE(WriteDword(Store(), kFavoritesKey, "Other", 5));
  FavoriteList list;
  LoadFavorites(Store(), list);
  list.entries[0].name.clear();

  EXPECT_EQ(RewriteFavorites(Store(), list), 1);
  EXPECT_EQ(StoredFavorites(Other()), (std::vector<std::string>{kRain, kScribble}));
  EXPECT_EQ(Other().EnumerateValues(kFavoritesKey).size(), 2u);
}

TEST_P(FavoriteListTest, FavoriteWithTrailsOffStoresZerosAndReadsBackThirty) {
  FavoriteList list;
  FavoriteListing listing = LoadFavorites(Store(), list);
  FavoriteRecord controls = ParseRecord(kCorona);
  controls.trails = 0;
  controls.trailLength = 64;
  controls.dither = 1;
  controls.field14 = 3;
  ASSERT_EQ(AddFavorite(Store(), list, listing, "No Trails", controls), 0);

  std::vector<std::string> stored = StoredFavorites(Other());
  ASSERT_EQ(stored.size(), 1u);
  EXPECT_EQ(stored[0], "No Trails,3,23,1200,2540,1135,7,284,1,0,0,1,0,4,0,.252212,0,0,3,1,20,-30,0,401,0,0");

  LoadFavorites(Other(), list);
  EXPECT_EQ(list.entries[0].trailLength, 30);
  EXPECT_EQ(list.entries[0].dither, 0);
}

TEST_P(FavoriteListTest, AddIsRefusedOnceTheListIsFull) {
  PutFavorites(Store(), {kCorona, kRain, kScribble, kTotalChaos});
  FavoriteList list(6);
  FavoriteListing listing = LoadFavorites(Store(), list);
  ASSERT_TRUE(HasRoomForFavorite(list));
  EXPECT_EQ(AddFavorite(Store(), list, listing, "Fifth", ParseRecord(kEvolution)), 1);
  EXPECT_EQ(list.favoriteCount, 5);

  EXPECT_FALSE(HasRoomForFavorite(list));
  EXPECT_EQ(AddFavorite(Store(), list, listing, "Sixth", ParseRecord(kEvolution)), kNoMoreRoom);
  EXPECT_EQ(ReplaceFavorite(Store(), list, listing, "Corona", ParseRecord(kEvolution)), kNoMoreRoom);
  EXPECT_EQ(list.favoriteCount, 5);
  std::vector<std::string> stored = StoredFavorites(Other());
  ASSERT_EQ(stored.size(), 5u);
  EXPECT_EQ(stored[0], kCorona);
  EXPECT_EQ(stored[4].substr(0, 6), "Fifth,");
  EXPECT_STREQ(kNoMoreRoomTitle, "No More Room");
}

TEST_P(FavoriteListTest, AddedFavoriteTakesTheControlsAndTheConstants) {
  PutFavorites(Store(), {kCorona, kRain});
  FavoriteList list;
  FavoriteListing listing = LoadFavorites(Store(), list);
  FavoriteRecord controls = ParseRecord(kEvolution);
  controls.name = "ignored";
  controls.field11 = 5;
  controls.field12 = 5;
  controls.field14 = 5;
  controls.field15 = 5.5;
  EXPECT_EQ(AddFavorite(Store(), list, listing, "Mine", controls), 1);  // between Corona and Rain
  EXPECT_EQ(ListedNames(listing), (std::vector<std::string>{"Corona", "Mine", "Rain"}));
  EXPECT_EQ(listing.lines[1].index, 2);
  EXPECT_EQ(StoredFavorites(Other()),
            (std::vector<std::string>{kCorona, kRain, std::string("Mine") + (kEvolution + 9)}));
}

TEST_P(FavoriteListTest, ReplaceOverwritesTheExactNameOrAddsBesideACaseVariant) {
  PutFavorites(Store(), {kCorona, kRain, kScribble});
  FavoriteList list;
  FavoriteListing listing = LoadFavorites(Store(), list);
  FavoriteRecord controls = ParseRecord(kEvolution);

  // Exactly the same name: the favorite keeps its place and number.
  ASSERT_GE(listing.Find("Rain"), 0);
  EXPECT_EQ(ReplaceFavorite(Store(), list, listing, "Rain", controls), 1);
  EXPECT_EQ(list.favoriteCount, 3);
  std::vector<std::string> stored = StoredFavorites(Other());
  ASSERT_EQ(stored.size(), 3u);
  EXPECT_EQ(stored[1], std::string("Rain") + (kEvolution + 9));

  // Differing only in case: stored as one more favorite, listed after the
  // other.
  ASSERT_EQ(listing.Find("corona"), 0);
  EXPECT_EQ(ReplaceFavorite(Store(), list, listing, "corona", controls), 1);
  EXPECT_EQ(list.favoriteCount, 4);
  stored = StoredFavorites(Other());
  ASSERT_EQ(stored.size(), 4u);
  EXPECT_EQ(stored[0], kCorona);
  EXPECT_EQ(stored[3], std::string("corona") + (kEvolution + 9));

  FavoriteList reopened;
  EXPECT_EQ(ListedNames(LoadFavorites(Other(), reopened)),
            (std::vector<std::string>{"Corona", "corona", "Rain", "Scribble"}));
}

TEST_P(FavoriteListTest, EmptyNameIsListedButNotStored) {
  PutFavorites(Store(), {kCorona});
  FavoriteList list;
  FavoriteListing listing = LoadFavorites(Store(), list);
  EXPECT_EQ(AddFavorite(Store(), list, listing, "", ParseRecord(kRain)), 0);
  EXPECT_EQ(ListedNames(listing), (std::vector<std::string>{"", "Corona"}));
  EXPECT_EQ(StoredFavorites(Other()), (std::vector<std::string>{kCorona}));
}

TEST_P(FavoriteListTest, RemovingRenumbersAndMovesTheSelectionFlags) {
  const std::vector<std::string> five{kCorona, kRain, kScribble, kTotalChaos, kEvolution};
  PutFavorites(Store(), five);
  ASSERT_TRUE(Store().CreateKey(kConfigKey, nullptr));
  ASSERT_TRUE(WriteBinary(Store(), kConfigKey, "RanArray", {1, 1, 0, 0, 1}));
  FavoriteList list(8);
  FavoriteListing listing = LoadFavorites(Store(), list);
  LoadSelectionFlags(Store(), list);

  ASSERT_EQ(RemoveFavorite(Store(), list, listing, 2), 1);  // "Fav002", Scribble
  EXPECT_EQ(StoredFavorites(Other()), (std::vector<std::string>{kCorona, kRain, kTotalChaos, kEvolution}));
  EXPECT_EQ(list.favoriteCount, 4);
  EXPECT_EQ(ListedNames(listing), (std::vector<std::string>{"Corona", "Evolution", "Rain", "Total Chaos"}));
  EXPECT_EQ(listing.lines[1].index, 3);
  std::vector<uint8_t> stored;
  ASSERT_TRUE(ReadBinary(Other(), kConfigKey, "RanArray", 100, stored));
  EXPECT_EQ(stored, (std::vector<uint8_t>{1, 1, 0, 1}));
  EXPECT_EQ(list.selectionFlags, (std::vector<uint8_t>{1, 1, 0, 1, 0, 0, 0, 0}));

  // A second removal right after must not bring back a favorite the first
  // one renumbered.
  ASSERT_EQ(RemoveFavorite(Store(), list, listing, 0), 1);
  EXPECT_EQ(StoredFavorites(Other()), (std::vector<std::string>{kRain, kTotalChaos, kEvolution}));
  ASSERT_TRUE(ReadBinary(Other(), kConfigKey, "RanArray", 100, stored));
  EXPECT_EQ(stored, (std::vector<uint8_t>{1, 0, 1}));

  EXPECT_EQ(RemoveFavorite(Store(), list, listing, -1), 0);
  EXPECT_EQ(RemoveFavorite(Store(), list, listing, 3), 0);
  EXPECT_EQ(StoredFavorites(Other()).size(), 3u);
}

// A list loaded earlier changes the favorites as they are stored now: what
// another dialog added or removed meanwhile stays so.
TEST_P(FavoriteListTest, ChangesApplyToTheFavoritesAsStoredNow) {
  PutFavorites(Store(), {kCorona, kRain, kScribble});
  ASSERT_TRUE(Store().CreateKey(kConfigKey, nullptr));
  ASSERT_TRUE(WriteBinary(Store(), kConfigKey, "RanArray", {1, 0, 1}));
  FavoriteList mine;
  FavoriteListing mineListing = LoadFavorites(Store(), mine);
  FavoriteList theirs;
  FavoriteListing theirsListing = LoadFavorites(Other(), theirs);

  // They remove Corona and add Evolution; then I add Mine and remove Scribble
  // by the places my list had.
  ASSERT_EQ(RemoveFavorite(Other(), theirs, theirsListing, 0), 1);
  ASSERT_GE(AddFavorite(Other(), theirs, theirsListing, "Evolution", ParseRecord(kEvolution)), 0);
  ASSERT_GE(AddFavorite(Store(), mine, mineListing, "Mine", ParseRecord(kTotalChaos)), 0);
  EXPECT_EQ(ListedNames(mineListing), (std::vector<std::string>{"Evolution", "Mine", "Rain", "Scribble"}));
  ASSERT_EQ(RemoveFavorite(Store(), mine, mineListing, mineListing.lines[3].index), 1);

  std::vector<std::string> names;
  for (const std::string& record : StoredFavorites(Other())) names.push_back(ParseRecord(record).name);
  EXPECT_EQ(names, (std::vector<std::string>{"Rain", "Evolution", "Mine"}));
  std::vector<uint8_t> flags;
  ASSERT_TRUE(ReadBinary(Other(), kConfigKey, "RanArray", 100, flags));
  EXPECT_EQ(flags, (std::vector<uint8_t>{0, 0, 0}));

  // My list showed Evolution alone selected, and I add Mine; meanwhile they
  // added Theirs and put Rain and Theirs in the rotation. Only my change is
  // made, on the favorite it was made on.
  ASSERT_TRUE(WriteBinary(Store(), kConfigKey, "RanArray", {0, 1, 0}));
  FavoriteList stale;
  LoadFavorites(Store(), stale);
  ASSERT_GE(AddFavorite(Other(), theirs, theirsListing, "Theirs", ParseRecord(kCorona)), 0);
  ASSERT_TRUE(WriteBinary(Other(), kConfigKey, "RanArray", {1, 1, 0, 1}));
  ASSERT_EQ(SaveRandomSelection(Store(), stale, RandomChoice{{1}, {1, 2}}), 1);
  ASSERT_TRUE(ReadBinary(Other(), kConfigKey, "RanArray", 100, flags));
  EXPECT_EQ(flags, (std::vector<uint8_t>{1, 1, 1, 1}));
  EXPECT_EQ(SaveRandomSelection(Store(), stale, RandomChoice{{1, 2}, {1, 2}}), 0);
}

// A "RanArray" longer than the favorites, which the saver reads as all
// selected, is never left to give the new favorite one of its stale bytes:
// adding writes it as read, the new one out of the rotation.
TEST_P(FavoriteListTest, AddingCutsARotationLongerThanTheFavorites) {
  const std::vector<uint8_t> tooLong[] = {{0, 0, 0, 1}, {0, 0, 0, 1, 1, 1}};
  for (const std::vector<uint8_t>& stored : tooLong) {
    SCOPED_TRACE(stored.size());
    Store().DeleteKey(kFavoritesKey);
    PutFavorites(Store(), {kCorona, kRain, kScribble});
    ASSERT_TRUE(Store().CreateKey(kConfigKey, nullptr));
    ASSERT_TRUE(WriteBinary(Store(), kConfigKey, "RanArray", stored));
    FavoriteList list;
    FavoriteListing listing = LoadFavorites(Store(), list);
    ASSERT_GE(AddFavorite(Store(), list, listing, "Mine", ParseRecord(kEvolution)), 0);
    std::vector<uint8_t> flags;
    ASSERT_TRUE(ReadBinary(Other(), kConfigKey, "RanArray", 100, flags));
    EXPECT_EQ(flags, (std::vector<uint8_t>{1, 1, 1, 0}));
  }
}

TEST_P(FavoriteListTest, RemovingTheOnlyFavoriteLeavesAnEmptyKey) {
  PutFavorites(Store(), {kCorona});
  FavoriteList list;
  FavoriteListing listing = LoadFavorites(Store(), list);
  ASSERT_EQ(RemoveFavorite(Store(), list, listing, 0), 1);
  EXPECT_TRUE(Other().OpenKey(kFavoritesKey));
  EXPECT_TRUE(Other().EnumerateValues(kFavoritesKey).empty());
  EXPECT_TRUE(listing.lines.empty());
  EXPECT_EQ(list.favoriteCount, 0);
}

TEST_P(FavoriteListTest, SelectionFlagsComeFromRanArrayOrAreAllSet) {
  struct Case {
    const char* name;
    std::vector<uint8_t> stored;  // empty: no value
    std::vector<uint8_t> flags;
  };
  const Case cases[] = {
      {"missing", {}, {1, 1, 1, 1, 0}},
      {"shorter", {0, 1}, {0, 1, 0, 0, 0}},
      {"as long", {1, 0, 2, 0}, {1, 0, 2, 0, 0}},
      {"longer than the favorites", {1, 0, 1, 0, 1}, {1, 1, 1, 1, 0}},
  };
  PutFavorites(Store(), {kCorona, kRain, kScribble, kTotalChaos});
  ASSERT_TRUE(Store().CreateKey(kConfigKey, nullptr));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Store().DeleteValue(kConfigKey, "RanArray");
    if (!c.stored.empty()) {
      ASSERT_TRUE(WriteBinary(Store(), kConfigKey, "RanArray", c.stored));
    }
    FavoriteList list(5);
    LoadFavorites(Other(), list);
    list.selectionFlags = {7, 7, 7, 7, 7};
    LoadSelectionFlags(Other(), list);
    EXPECT_EQ(list.selectionFlags, c.flags);
  }
}

TEST_P(FavoriteListTest, RandomSelectionIsSavedForTheFavoritesThereAre) {
  PutFavorites(Store(), {kCorona, kRain, kScribble});
  ASSERT_TRUE(Store().CreateKey(kConfigKey, nullptr));
  ASSERT_TRUE(WriteBinary(Store(), kConfigKey, "RanArray", {1, 1, 1}));
  FavoriteList list(6);
  LoadFavorites(Store(), list);
  list.selectionFlags = {1, 1, 1, 1, 1, 1};

  // Nothing selected, or nothing changed: the stored selection stays.
  std::vector<int32_t> shown = {0, 1, 2};
  EXPECT_EQ(SaveRandomSelection(Store(), list, RandomChoice{shown, {}}), 0);
  EXPECT_EQ(SaveRandomSelection(Store(), list, RandomChoice{shown, shown}), 0);
  std::vector<uint8_t> stored;
  ASSERT_TRUE(ReadBinary(Other(), kConfigKey, "RanArray", 100, stored));
  EXPECT_EQ(stored, (std::vector<uint8_t>{1, 1, 1}));

  struct Case {
    std::vector<int32_t> selected;
    std::vector<uint8_t> flags;
  };
  const Case cases[] = {
      {{2}, {0, 0, 1, 1, 1, 1}},
      {{0, 2}, {1, 0, 1, 1, 1, 1}},
      {{0, 1, 2, 4}, {1, 1, 1, 1, 1, 1}},  // only the favorites there are
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SaveRandomSelection(Store(), list, RandomChoice{shown, c.selected}), 1);
    EXPECT_EQ(list.selectionFlags, c.flags);
    ASSERT_TRUE(ReadBinary(Other(), kConfigKey, "RanArray", 100, stored));
    EXPECT_EQ(stored, std::vector<uint8_t>(c.flags.begin(), c.flags.begin() + 3));
    shown = c.selected;
  }

  // Stored as none selected, the list showed them all: deselecting one
  // keeps the others.
  ASSERT_TRUE(WriteBinary(Store(), kConfigKey, "RanArray", {0, 0, 0}));
  EXPECT_EQ(SaveRandomSelection(Store(), list, RandomChoice{{0, 1, 2}, {0, 2}}), 1);
  ASSERT_TRUE(ReadBinary(Other(), kConfigKey, "RanArray", 100, stored));
  EXPECT_EQ(stored, (std::vector<uint8_t>{1, 0, 1}));
}

INSTANTIATE_TEST_SUITE_P(Stores, FavoriteListTest, ::testing::ValuesIn(testing::kProductStoreKinds),
                         testing::ProductStoreKindName);

}  // namespace
}  // namespace brindlemar
