// Sets of changes in the registry: what a process that ended half-way
// leaves (its journal and a part of its changes) is completed by the next
// start, and nothing else is touched.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/win32/registry_store.h"
#include "settings/change_set.h"
#include "settings/favorite_list.h"
#include "settings/favorite_record.h"
#include "settings/presets.h"
#include "settings/settings_store.h"

namespace brindlemar {
namespace {

std::string FavName(int32_t k) {
  char name[16];
  std::snprintf(name, sizeof name, "Fav%03d", k);
  return name;
}

std::vector<std::string> Records(SettingsStore& store) {
  std::vector<std::string> records;
  for (int32_t k = 0;; ++k) {
    std::string record;
    if (!ReadString(store, kFavoritesKey, FavName(k), 512, record)) break;
    records.push_back(record);
  }
  return records;
}

class RegistryJournal : public ::testing::Test {
 protected:
  void SetUp() override { store_.DeleteKey(kProductKey); }
  void TearDown() override { store_.DeleteKey(kProductKey); }

  // What a process ended after the first `made` changes of the set leaves.
  void EndedAfter(const ChangeSet& set, size_t made) {
    ASSERT_TRUE(store_.CreateKey(kProductKey, nullptr));
    ASSERT_TRUE(store_.SetValue(kProductKey, win32::kPendingChangesValue,
                                StoredValue{ValueType::kBinary, EncodeChanges(set)}));
    ChangeSet part;
    part.changes.assign(set.changes.begin(), set.changes.begin() + static_cast<std::ptrdiff_t>(made));
    ASSERT_TRUE(MakeChangesOneByOne(store_, part));
  }

  bool JournalLeft() {
    StoredValue ignored;
    return store_.QueryValue(kProductKey, win32::kPendingChangesValue, 1 << 20, ignored);
  }

  win32::RegistryStore store_;
};

TEST_F(RegistryJournal, TheNextStartCompletesAnInterruptedInstallation) {
  ChangeSet install;
  install.CreateKey(kFavoritesKey);
  for (int32_t k = 0; k < kPresetCount; ++k) install.SetString(kFavoritesKey, FavName(k), FastPreset(k));
  for (size_t made : {size_t{0}, size_t{1}, size_t{11}, size_t{40}}) {
    SCOPED_TRACE(std::to_string(made) + " changes made");
    store_.DeleteKey(kProductKey);
    EndedAfter(install, made);
    win32::RegistryStore next;
    InstallPresets(next);
    std::vector<std::string> records = Records(next);
    ASSERT_EQ(records.size(), static_cast<size_t>(kPresetCount));
    for (int32_t k = 0; k < kPresetCount; ++k) EXPECT_EQ(records[static_cast<size_t>(k)], FastPreset(k));
    EXPECT_FALSE(JournalLeft());
  }
}

TEST_F(RegistryJournal, TheNextStartCompletesAnInterruptedRewrite) {
  ASSERT_TRUE(InstallPresets(store_));
  FavoriteList list;
  for (int32_t k = 0; k < 5; ++k) {
    list.entries[static_cast<size_t>(k)] = ParseRecord(
        "Mine " + std::to_string(k) + ",3,24,1600,1284,855,5,499,1,0,0,1,0,4,0,.252212,40,1,4,1,10,40,120,692,0,1");
  }
  list.favoriteCount = 5;
  ChangeSet rewrite;
  rewrite.DeleteKey(kFavoritesKey).CreateKey(kFavoritesKey);
  for (int32_t k = 0; k < 5; ++k) {
    rewrite.SetString(kFavoritesKey, FavName(k), FormatRecord(list.entries[static_cast<size_t>(k)], RecordForm::kFavorite));
  }
  // Ended with the key deleted and two of the five written: a start then
  // neither installs the presets nor keeps the rewrite half made.
  EndedAfter(rewrite, 4);
  win32::RegistryStore next;
  EXPECT_FALSE(InstallPresets(next));
  std::vector<std::string> records = Records(next);
  ASSERT_EQ(records.size(), 5u);
  for (int32_t k = 0; k < 5; ++k) EXPECT_EQ(ParseRecord(records[static_cast<size_t>(k)]).name, "Mine " + std::to_string(k));
  EXPECT_FALSE(JournalLeft());
}

TEST_F(RegistryJournal, WithoutAJournalTheFavoritesStayAsTheUserLeftThem) {
  // Three favorites, whatever became of the presets: the user's own doing.
  ASSERT_TRUE(store_.CreateKey(kFavoritesKey, nullptr));
  for (int32_t k = 0; k < 3; ++k) ASSERT_TRUE(WriteString(store_, kFavoritesKey, FavName(k), FastPreset(k + 10)));
  win32::RegistryStore next;
  EXPECT_FALSE(InstallPresets(next));
  EXPECT_EQ(Records(next), (std::vector<std::string>{FastPreset(10), FastPreset(11), FastPreset(12)}));
}

TEST_F(RegistryJournal, ADamagedJournalIsDroppedWithoutChanges) {
  ASSERT_TRUE(store_.CreateKey(kFavoritesKey, nullptr));
  ASSERT_TRUE(WriteString(store_, kFavoritesKey, FavName(0), FastPreset(3)));
  ASSERT_TRUE(store_.SetValue(kProductKey, win32::kPendingChangesValue,
                              StoredValue{ValueType::kBinary, {'B', 'M', 'C', 'S', 1, 9, 0}}));
  win32::RegistryStore next;
  EXPECT_FALSE(InstallPresets(next));
  EXPECT_EQ(Records(next), std::vector<std::string>{FastPreset(3)});
  EXPECT_FALSE(JournalLeft());
}

TEST_F(RegistryJournal, AMadeSetLeavesNoJournal) {
  EXPECT_TRUE(InstallPresets(store_));
  EXPECT_EQ(Records(store_).size(), static_cast<size_t>(kPresetCount));
  EXPECT_FALSE(JournalLeft());
}

}  // namespace
}  // namespace brindlemar
