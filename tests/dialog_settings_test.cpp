// The configuration dialog's load and save of the settings and the backup
// behind Cancel, against every kind of store.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "engine/style_table.h"
#include "settings/dialog_settings.h"
#include "settings/favorite_list.h"
#include "settings/favorite_record.h"
#include "settings/presets.h"
#include "settings/settings_store.h"
#include "support/product_store.h"
#include "support/watched_store.h"
#include "surfaces/display_modes.h"

namespace brindlemar {
namespace {

using testing::ProductStoreTest;

constexpr const char* kExample = "*,3,24,1600,1284,855,5,499,1,0,0,1,0,4,0,.252212,40,1,4,1,10,40,120,692,0,1";
constexpr const char* kOther = "*,1,13,4700,3620,925,5,204,1,0,1,1,0,4,0,.252212,92,1,2,2,80,0,0,588,1,0";

class OneMode final : public DisplayModeSource {
 public:
  int32_t EnumerateModes(DisplayModeList& list) const override {
    list.Offer(800, 600, 16);
    return list.count;
  }
};

struct Display {
  int32_t directDraw, x, y, bits;
  bool operator==(const Display&) const = default;
};

Display StoredDisplay(SettingsStore& store) {
  Display d{-7, -7, -7, -7};
  ReadDword(store, kConfigKey, "DirectDraw", d.directDraw);
  ReadDword(store, kConfigKey, "ScreenResX", d.x);
  ReadDword(store, kConfigKey, "ScreenResY", d.y);
  ReadDword(store, kConfigKey, "ScreenResBits", d.bits);
  return d;
}

std::string StoredText(SettingsStore& store, const char* key, const char* name) {
  std::string text = "(none)";
  ReadString(store, key, name, 4096, text);
  return text;
}

FavoriteRecord Falls() {
  FavoriteRecord r = ParseRecord(FastPreset(PresetIndexByName("Brindlemar Falls")));
  r.name.clear();
  return r;
}

class DialogSettingsTest : public ProductStoreTest {
 protected:
  // Config with a stored display mode, so that loading stores none.
  void PutConfig(const std::string& settings) {
    ASSERT_TRUE(Store().CreateKey(kConfigKey, nullptr));
    ASSERT_TRUE(WriteString(Store(), kConfigKey, "Settings", settings));
    ASSERT_TRUE(WriteDword(Store(), kConfigKey, "ScreenResX", 1024));
    ASSERT_TRUE(WriteDword(Store(), kConfigKey, "ScreenResY", 768));
    ASSERT_TRUE(WriteDword(Store(), kConfigKey, "ScreenResBits", 24));
  }

  DialogSettings Load(SettingsStore& store) {
    DialogSettings settings;
    DialogLoad(store, OneMode(), settings, list_);
    return settings;
  }

  FavoriteList list_;
};

TEST_P(DialogSettingsTest, CurrentSettingsRoundTrip) {
  for (const char* record : {kExample, kOther}) {
    SCOPED_TRACE(record);
    PutConfig(record);
    DialogSettings settings = Load(Other());
    ASSERT_EQ(DialogSave(Store(), settings, list_, {}), 1);
    EXPECT_EQ(StoredText(Other(), kConfigKey, "Settings"), record);
  }
}

TEST_P(DialogSettingsTest, EmptyStoreGivesTheDefaultsAndStoresADisplayMode) {
  DialogSettings settings = Load(Store());
  EXPECT_EQ(settings.parameters, Falls());
  EXPECT_EQ(settings.randomChosen, 1);
  EXPECT_EQ(settings.showClock, 0);
  EXPECT_EQ(settings.overlayStyle, 0);
  EXPECT_EQ(settings.showMessages, 0);
  EXPECT_EQ(settings.useDirectDraw, 1);
  EXPECT_EQ((Display{settings.useDirectDraw, settings.screenResX, settings.screenResY, settings.screenResBits}),
            (Display{1, 800, 600, 16}));
  EXPECT_EQ(StoredDisplay(Other()), (Display{1, 800, 600, 16}));
  EXPECT_EQ(list_.maxFav, 256);

  Store().DeleteKey(kProductKey);
  DialogLoad(Store(), NoDisplayModes(), settings, list_);
  EXPECT_EQ(settings.useDirectDraw, 0);
  EXPECT_EQ(StoredDisplay(Other()), (Display{0, -7, -7, -7}));
}

TEST_P(DialogSettingsTest, StoredValuesAreTaken) {
  PutConfig(kOther);
  const std::pair<const char*, int32_t> dwords[] = {{"Random", 0}, {"Clock", 1}, {"Style", 1},
                                                    {"Messages", 1}, {"DirectDraw", 0}, {"MaxFav", 12}};
  for (const auto& [name, value] : dwords) ASSERT_TRUE(WriteDword(Store(), kConfigKey, name, value));
  DialogSettings settings = Load(Other());
  EXPECT_EQ(settings.randomChosen, 0);
  EXPECT_EQ(settings.showClock, 1);
  EXPECT_EQ(settings.overlayStyle, 1);
  EXPECT_EQ(settings.showMessages, 1);
  EXPECT_EQ(settings.useDirectDraw, 0);
  EXPECT_EQ((Display{0, settings.screenResX, settings.screenResY, settings.screenResBits}), (Display{0, 1024, 768, 24}));
  EXPECT_EQ(settings.maxFav, 12);
  EXPECT_EQ(list_.entries.size(), 12u);
  EXPECT_EQ(list_.favoriteCount, 0);
  EXPECT_EQ(settings.parameters.grains, 4700);
}

TEST_P(DialogSettingsTest, MaxFavOfZeroBehavesAs256) {
  struct Case {
    const char* name;
    bool stored;
    int32_t value;
    int32_t maxFav;
  };
  const Case cases[] = {{"missing", false, 0, 256}, {"zero", true, 0, 256}, {"twelve", true, 12, 12}};
  PutConfig(kExample);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Store().DeleteValue(kConfigKey, "MaxFav");
    if (c.stored) {
      ASSERT_TRUE(WriteDword(Store(), kConfigKey, "MaxFav", c.value));
    }
    DialogSettings settings = Load(Other());
    EXPECT_EQ(settings.maxFav, c.maxFav);
    EXPECT_EQ(list_.maxFav, c.maxFav);
    EXPECT_EQ(list_.entries.size(), static_cast<size_t>(c.maxFav));
  }
}

TEST_P(DialogSettingsTest, RecordIsTakenWithoutTheConstantFields) {
  // Fields 11, 12, 14 and 15 odd, trail length 0, style block 0.
  PutConfig("*,2,6,3000,2000,1000,7,900,5,1,1,7,7,3,9,.5,0,1,0,0,0,0,0,333,1,1");
  DialogSettings settings = Load(Other());
  const FavoriteRecord& p = settings.parameters;
  EXPECT_EQ(p.field11, 1);
  EXPECT_EQ(p.field12, 0);
  EXPECT_EQ(p.field14, 0);
  EXPECT_EQ(p.field15, Falls().field15);
  EXPECT_EQ(p.trailLength, 30);
  int32_t count = 0, values[4] = {};
  GetStyleParams(6, count, values);
  EXPECT_EQ(p.styleCount, count);
  EXPECT_EQ(std::vector<int32_t>(p.styleValues, p.styleValues + 4), std::vector<int32_t>(values, values + 4));
  EXPECT_EQ(p.dimensionality, 2);
  EXPECT_EQ(p.configuration, 6);
  EXPECT_EQ(p.dotStyle, 3);
  EXPECT_EQ(p.colorRate, 333);
  EXPECT_EQ(p.reflections, 1);
  EXPECT_EQ(p.dither, 1);
}

TEST_P(DialogSettingsTest, UnusableRecordsGiveTheFallsPreset) {
  const std::string records[] = {
      ",2,6,3000,2000,1000,7,900,5,1,1,1,0,3,0,.252212,50,1,2,0,0,0,0,333,1,1",  // no name
      std::string(kOther) + std::string(200, '0'),                                  // beyond 256 bytes
  };
  for (const std::string& record : records) {
    SCOPED_TRACE(record);
    PutConfig(record);
    EXPECT_EQ(Load(Other()).parameters, Falls());
  }
}

TEST_P(DialogSettingsTest, ValuesAreHeldToTheirRanges) {
  struct Case {
    const char* record;
    int32_t FavoriteRecord::*field;
    int32_t shown;
  };
  const Case cases[] = {
      {"*,3,24,5,1284,855,5,499,1,0,0,1,0,4,0,.252212,40,1,4,1,10,40,120,692,0,1", &FavoriteRecord::grains, 10},
      {"*,3,24,10,1284,855,5,499,1,0,0,1,0,4,0,.252212,40,1,4,1,10,40,120,692,0,1", &FavoriteRecord::grains, 10},
      {"*,3,24,200000,1284,855,5,499,1,0,0,1,0,4,0,.252212,40,1,4,1,10,40,120,692,0,1", &FavoriteRecord::grains,
       200000},
      {"*,3,24,300000,1284,855,5,499,1,0,0,1,0,4,0,.252212,40,1,4,1,10,40,120,692,0,1", &FavoriteRecord::grains,
       200000},
      {"*,3,24,1600,1284,855,5,499,0,0,0,1,0,4,0,.252212,40,1,4,1,10,40,120,692,0,1",
       &FavoriteRecord::reflectionCount, 1},
      {"*,3,24,1600,1284,855,5,499,61,0,0,1,0,4,0,.252212,40,1,4,1,10,40,120,692,0,1",
       &FavoriteRecord::reflectionCount, 60},
      {"*,3,24,1600,1284,855,5,499,1,0,0,1,0,4,0,.252212,-3,1,4,1,10,40,120,692,0,1", &FavoriteRecord::trailLength,
       1},
      {"*,3,24,1600,1284,855,5,499,1,0,0,1,0,4,0,.252212,101,1,4,1,10,40,120,692,0,1", &FavoriteRecord::trailLength,
       100},
      {"*,3,24,1600,1284,855,0,499,1,0,0,1,0,4,0,.252212,40,1,4,1,10,40,120,692,0,1", &FavoriteRecord::complexity, 1},
      {"*,3,24,1600,1284,855,16,499,1,0,0,1,0,4,0,.252212,40,1,4,1,10,40,120,692,0,1", &FavoriteRecord::complexity,
       15},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.record);
    PutConfig(c.record);
    DialogSettings settings = Load(Other());
    EXPECT_EQ(settings.parameters.*c.field, c.shown);
  }

  // What the controls hold is limited again on saving.
  DialogSettings settings = Load(Store());
  settings.parameters.grains = 3;
  settings.parameters.complexity = 40;
  ASSERT_EQ(DialogSave(Store(), settings, list_, {}), 1);
  FavoriteRecord saved = ParseRecord(StoredText(Other(), kConfigKey, "Settings"));
  EXPECT_EQ(saved.grains, 10);
  EXPECT_EQ(saved.complexity, 15);
}

TEST_P(DialogSettingsTest, SaveWritesTheSettingsAndTheSelection) {
  PutConfig(kExample);
  ASSERT_TRUE(WriteBinary(Store(), kConfigKey, "RanArray", {1, 1, 1}));
  ASSERT_TRUE(Store().CreateKey(kFavoritesKey, nullptr));
  for (int32_t k = 0; k < 3; ++k) {
    ASSERT_TRUE(WriteString(Store(), kFavoritesKey, FavoriteValueName(k), FastPreset(k)));
  }
  DialogSettings settings = Load(Store());
  LoadFavorites(Store(), list_);
  settings.parameters = ParseRecord(kOther);
  settings.randomChosen = 0;
  settings.showClock = 1;
  settings.overlayStyle = 1;
  settings.showMessages = 1;
  settings.useDirectDraw = 0;
  settings.screenResX = 640;
  settings.screenResY = 480;
  settings.screenResBits = 16;
  settings.monitors = 2;

  // No line selected: the stored selection stays.
  ASSERT_EQ(DialogSave(Store(), settings, list_, {}), 1);
  std::vector<uint8_t> flags;
  ASSERT_TRUE(ReadBinary(Other(), kConfigKey, "RanArray", 100, flags));
  EXPECT_EQ(flags, (std::vector<uint8_t>{1, 1, 1}));

  ASSERT_EQ(DialogSave(Store(), settings, list_, RandomChoice{{0, 1, 2}, {1}}), 1);
  EXPECT_EQ(StoredText(Other(), kConfigKey, "Settings"), kOther);
  const std::pair<const char*, int32_t> dwords[] = {{"Random", 0},     {"Clock", 1},        {"Style", 1},
                                                    {"Messages", 1},   {"DirectDraw", 0},   {"ScreenResX", 640},
                                                    {"ScreenResY", 480}, {"ScreenResBits", 16}, {"Monitors", 2}};
  for (const auto& [name, value] : dwords) {
    int32_t read = -7;
    EXPECT_TRUE(ReadDword(Other(), kConfigKey, name, read)) << name;
    EXPECT_EQ(read, value) << name;
  }
  ASSERT_TRUE(ReadBinary(Other(), kConfigKey, "RanArray", 100, flags));
  EXPECT_EQ(flags, (std::vector<uint8_t>{0, 1, 0}));
}

TEST_P(DialogSettingsTest, PreviewThenCancelRestoresConfigButKeepsNewFavorites) {
  PutConfig(kExample);
  ASSERT_TRUE(WriteDword(Store(), kConfigKey, "Random", 1));
  ASSERT_TRUE(WriteDword(Store(), kConfigKey, "DirectDraw", 1));
  ASSERT_TRUE(WriteDword(Store(), kConfigKey, "Monitors", 0));
  ASSERT_TRUE(WriteBinary(Store(), kConfigKey, "RanArray", {1, 0}));
  ASSERT_TRUE(Store().CreateKey(kFavoritesKey, nullptr));
  ASSERT_TRUE(WriteString(Store(), kFavoritesKey, "Fav000", FastPreset(0)));
  ASSERT_TRUE(WriteString(Store(), kFavoritesKey, "Fav001", FastPreset(1)));

  // Opening.
  DialogBackup backup;
  ASSERT_EQ(SaveBackup(Store(), backup), 1);
  DialogSettings settings = Load(Store());
  FavoriteListing listing = LoadFavorites(Store(), list_);
  LoadSelectionFlags(Store(), list_);

  // A favorite added, then Preview with other settings.
  ASSERT_EQ(AddFavorite(Store(), list_, listing, "Added", settings.parameters), 0);
  settings.parameters = ParseRecord(kOther);
  settings.randomChosen = 0;
  settings.useDirectDraw = 0;
  settings.screenResX = 640;
  settings.screenResY = 480;
  settings.screenResBits = 16;
  settings.monitors = 2;
  ASSERT_EQ(DialogSave(Store(), settings, list_, RandomChoice{{0}, {2}}), 1);
  ASSERT_EQ(StoredText(Other(), kConfigKey, "Settings"), kOther);

  // Cancel.
  ASSERT_EQ(RestoreBackup(Store(), backup, settings.written), 1);
  EXPECT_EQ(StoredText(Other(), kConfigKey, "Settings"), kExample);
  int32_t random = -7;
  EXPECT_TRUE(ReadDword(Other(), kConfigKey, "Random", random));
  EXPECT_EQ(random, 1);
  int32_t monitors = -7;
  EXPECT_TRUE(ReadDword(Other(), kConfigKey, "Monitors", monitors));
  EXPECT_EQ(monitors, 0);
  EXPECT_EQ(StoredDisplay(Other()), (Display{1, 1024, 768, 24}));
  // The favorite added stays, out of the rotation as a new one is.
  std::vector<uint8_t> flags;
  ASSERT_TRUE(ReadBinary(Other(), kConfigKey, "RanArray", 100, flags));
  EXPECT_EQ(flags, (std::vector<uint8_t>{1, 0, 0}));
  EXPECT_EQ(StoredText(Other(), kFavoritesKey, "Fav002").substr(0, 6), "Added,");

  FavoriteList reopened;
  EXPECT_EQ(LoadFavorites(Other(), reopened).lines.size(), 3u);
}

TEST_P(DialogSettingsTest, SettingsBeyond124BytesIsNotBackedUp) {
  std::string base = kExample;
  // A 26th field, which readers pass over, only lengthens the text.
  std::string fits = base + "," + std::string(122 - base.size(), '0');
  std::string tooLong = fits + "0";
  ASSERT_EQ(fits.size() + 1, kBackupSettingsBytes);

  for (const std::string& stored : {fits, tooLong}) {
    SCOPED_TRACE(stored.size());
    PutConfig(stored);
    DialogBackup backup;
    ASSERT_EQ(SaveBackup(Store(), backup), 1);
    bool kept = stored.size() < kBackupSettingsBytes;
    EXPECT_EQ(StoredText(Other(), kBackupKey, "Settings"), kept ? stored : "(none)");

    // Preview with other settings, then Cancel.
    DialogSettings settings = Load(Store());
    settings.parameters = ParseRecord(kOther);
    ASSERT_EQ(DialogSave(Store(), settings, list_, {}), 1);
    ASSERT_EQ(StoredText(Other(), kConfigKey, "Settings"), kOther);
    ASSERT_EQ(RestoreBackup(Store(), backup, settings.written), 1);
    EXPECT_EQ(StoredText(Other(), kConfigKey, "Settings"), kept ? kExample : kOther);
  }
}

TEST_P(DialogSettingsTest, BackupCopiesWhatCanBeReadAndRanArrayOfAnySize) {
  PutConfig(kExample);
  ASSERT_TRUE(WriteBinary(Store(), kConfigKey, "Clock", {1, 0}));  // not a DWORD
  ASSERT_TRUE(WriteDword(Store(), kConfigKey, "Style", 1));
  const std::vector<uint8_t> big(300, 1);
  ASSERT_TRUE(WriteBinary(Store(), kConfigKey, "RanArray", big));
  ASSERT_TRUE(WriteDword(Store(), kConfigKey, "MaxFav", 40));  // not the dialog's to restore

  DialogBackup backup;
  ASSERT_EQ(SaveBackup(Store(), backup), 1);
  std::vector<std::string> names = Other().EnumerateValues(kBackupKey);
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"RanArray", "ScreenResBits", "ScreenResX", "ScreenResY", "Settings",
                                             "Style"}));
  std::vector<uint8_t> copied;
  ASSERT_TRUE(ReadBinary(Other(), kBackupKey, "RanArray", 1000, copied));
  EXPECT_EQ(copied, big);

  // Cancel puts back only what the dialog wrote: here "Style", not
  // "RanArray", which someone else changed.
  ASSERT_TRUE(WriteBinary(Store(), kConfigKey, "RanArray", {0}));
  ASSERT_TRUE(WriteDword(Store(), kConfigKey, "Style", 0));
  DialogWrites written;
  written.dwords = 1u << 2;
  ASSERT_STREQ(kSavedDwords[2], "Style");
  ASSERT_EQ(RestoreBackup(Store(), backup, written), 1);
  ASSERT_TRUE(ReadBinary(Other(), kConfigKey, "RanArray", 1000, copied));
  EXPECT_EQ(copied, std::vector<uint8_t>{0});
  int32_t style = -7;
  EXPECT_TRUE(ReadDword(Other(), kConfigKey, "Style", style));
  EXPECT_EQ(style, 1);
}

TEST_P(DialogSettingsTest, BackupNeedsConfigAndRestoreNeedsBoth) {
  ASSERT_TRUE(Store().CreateKey(kBackupKey, nullptr));
  ASSERT_TRUE(WriteDword(Store(), kBackupKey, "Random", 0));
  DialogBackup backup;
  EXPECT_EQ(SaveBackup(Store(), backup), 0);
  EXPECT_FALSE(Other().OpenKey(kBackupKey));  // the stale backup is gone all the same

  DialogWrites written;
  written.dwords = ~0u;
  EXPECT_EQ(RestoreBackup(Store(), backup, written), 0);
  PutConfig(kExample);
  EXPECT_EQ(RestoreBackup(Store(), backup, written), 0);
  EXPECT_EQ(StoredText(Other(), kConfigKey, "Settings"), kExample);
}

// What a saver starting at some moment reads of Config and the backup.
std::string ConfigAndBackup(SettingsStore& store) {
  std::string state = StoredText(store, kConfigKey, "Settings") + "|" + StoredText(store, kBackupKey, "Settings");
  for (const char* name : {"Random", "Clock", "DirectDraw", "ScreenResX"}) {
    int32_t value = -7;
    ReadDword(store, kConfigKey, name, value);
    state += "|" + std::to_string(value);
    value = -7;
    ReadDword(store, kBackupKey, name, value);
    state += "/" + std::to_string(value);
  }
  return state;
}

// A save, a backup and a restore are each one change: a saver that starts
// in the middle reads the settings as they were before or as they are after,
// never a mixture.
TEST_P(DialogSettingsTest, SaveBackupAndRestoreAreEachOneChange) {
  PutConfig(kExample);
  ASSERT_TRUE(WriteDword(Store(), kConfigKey, "Random", 1));
  testing::WatchedStore watched(Store(), ConfigAndBackup);
  DialogSettings settings = Load(Store());
  list_.favoriteCount = 2;

  DialogBackup backup;
  const std::function<void()> steps[] = {
      [&] { EXPECT_EQ(SaveBackup(watched, backup), 1); },
      [&] {
        settings.parameters = ParseRecord(kOther);
        settings.randomChosen = 0;
        settings.showClock = 1;
        settings.useDirectDraw = 0;
        settings.screenResX = 640;
        EXPECT_EQ(DialogSave(watched, settings, list_, RandomChoice{{}, {1}}), 1);
      },
      [&] { EXPECT_EQ(RestoreBackup(watched, backup, settings.written), 1); },
  };
  for (const auto& step : steps) {
    const std::string before = watched.Now();
    watched.TakeLooks();
    step();
    const std::string after = watched.Now();
    EXPECT_NE(before, after);
    for (const std::string& state : watched.TakeLooks()) {
      EXPECT_TRUE(state == before || state == after) << "between the changes: " << state << "\nbefore: " << before
                                                     << "\nafter: " << after;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Stores, DialogSettingsTest, ::testing::ValuesIn(testing::kProductStoreKinds),
                         testing::ProductStoreKindName);

}  // namespace
}  // namespace brindlemar
