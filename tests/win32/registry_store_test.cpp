// Sets of changes in the registry: what a process that ended half-way
// leaves (its journal and a part of its changes) is completed by the next
// start, and nothing else is touched. And a product key that cannot be
// opened: the saver draws the defaults.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/win32/gdi_window.h"
#include "platform/win32/registry_store.h"
#include "platform/win32/win32_field.h"
#include "settings/change_set.h"
#include "settings/favorite_list.h"
#include "settings/favorite_record.h"
#include "settings/presets.h"
#include "settings/settings_store.h"
#include "support/collecting_reporter.h"

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

  win32::RegistryStore store_{testing::UnwatchedReporter()};
};

TEST_F(RegistryJournal, TheNextStartCompletesAnInterruptedInstallation) {
  ChangeSet install;
  install.CreateKey(kFavoritesKey);
  for (int32_t k = 0; k < kPresetCount; ++k) install.SetString(kFavoritesKey, FavName(k), FastPreset(k));
  for (size_t made : {size_t{0}, size_t{1}, size_t{11}, size_t{40}}) {
    SCOPED_TRACE(std::to_string(made) + " changes made");
    store_.DeleteKey(kProductKey);
    EndedAfter(install, made);
    win32::RegistryStore next(testing::UnwatchedReporter());
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
  win32::RegistryStore next(testing::UnwatchedReporter());
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
  win32::RegistryStore next(testing::UnwatchedReporter());
  EXPECT_FALSE(InstallPresets(next));
  EXPECT_EQ(Records(next), (std::vector<std::string>{FastPreset(10), FastPreset(11), FastPreset(12)}));
}

TEST_F(RegistryJournal, ADamagedJournalIsDroppedWithoutChanges) {
  ASSERT_TRUE(store_.CreateKey(kFavoritesKey, nullptr));
  ASSERT_TRUE(WriteString(store_, kFavoritesKey, FavName(0), FastPreset(3)));
  ASSERT_TRUE(store_.SetValue(kProductKey, win32::kPendingChangesValue,
                              StoredValue{ValueType::kBinary, {'B', 'M', 'C', 'S', 1, 9, 0}}));
  win32::RegistryStore next(testing::UnwatchedReporter());
  EXPECT_FALSE(InstallPresets(next));
  EXPECT_EQ(Records(next), std::vector<std::string>{FastPreset(3)});
  EXPECT_FALSE(JournalLeft());
}

// A journal is a value anything may write: one that names other keys, or
// values of types the store never writes, has only the rest made.
TEST_F(RegistryJournal, AJournalStaysInTheProductKeyAndItsTypes) {
  const std::string outside = "Software\\Tessaloom\\Outside";
  const std::string elsewhere = "Software\\Elsewhere";
  const std::string sibling = "Software\\Tessaloom\\BrindlemarToo";
  // What a journal must not create, gone before and after.
  struct Gone {
    win32::RegistryStore& store;
    std::vector<std::string> keys;
    void Remove() {
      for (const std::string& key : keys) store.DeleteKey(key);
    }
    ~Gone() { Remove(); }
  } gone{store_, {outside, elsewhere, sibling}};
  gone.Remove();
  ASSERT_TRUE(store_.CreateKey(outside + "\\Kept", nullptr));
  ASSERT_TRUE(store_.CreateKey(kProductKey, nullptr));
  ChangeSet crafted;
  crafted.CreateKey(elsewhere)
      .DeleteKey(outside + "\\Kept")
      .CreateKey(sibling)
      .CreateKey(kConfigKey)
      .SetValue(kConfigKey, "Odd", StoredValue{static_cast<ValueType>(99), {1, 2, 3}})
      .SetValue(kConfigKey, "Wide", StoredValue{static_cast<ValueType>(2), {'%', 0}})
      .SetString("software\\tessaloom\\brindlemar\\config", "Settings", "*,1,2")
      .SetValue(kProductKey, "Loose", DwordValue(1));
  ASSERT_TRUE(store_.SetValue(kProductKey, win32::kPendingChangesValue,
                              StoredValue{ValueType::kBinary, EncodeChanges(crafted)}));

  testing::CollectingReporter reporter;
  win32::RegistryStore next(reporter);
  InstallPresets(next);
  const std::string said = reporter.Text();

  EXPECT_FALSE(next.OpenKey(elsewhere));
  EXPECT_TRUE(next.OpenKey(outside + "\\Kept"));
  EXPECT_FALSE(next.OpenKey(sibling));
  StoredValue ignored;
  EXPECT_FALSE(next.QueryValue(kConfigKey, "Odd", 64, ignored));
  EXPECT_FALSE(next.QueryValue(kConfigKey, "Wide", 64, ignored));
  EXPECT_FALSE(next.QueryValue(kProductKey, "Loose", 64, ignored));
  std::string settings;
  EXPECT_TRUE(ReadString(next, kConfigKey, "Settings", 64, settings));
  EXPECT_EQ(settings, "*,1,2") << "what is the store's own is made";
  EXPECT_FALSE(JournalLeft());
  const std::string outsideProduct = std::string(", outside ") + kProductKey + "; left out\n";
  EXPECT_EQ(said, "an unfinished change names the key " + elsewhere + outsideProduct +
                      "an unfinished change names the key " + outside + "\\Kept" + outsideProduct +
                      "an unfinished change names the key " + sibling + outsideProduct +
                      "an unfinished change sets Odd in " + kConfigKey + " as a value of type 99; left out\n" +
                      "an unfinished change sets Wide in " + kConfigKey + " as a value of type 2; left out\n" +
                      "an unfinished change names the key " + kProductKey + outsideProduct);
}

TEST_F(RegistryJournal, AMadeSetLeavesNoJournal) {
  EXPECT_TRUE(InstallPresets(store_));
  EXPECT_EQ(Records(store_).size(), static_cast<size_t>(kPresetCount));
  EXPECT_FALSE(JournalLeft());
}

// The product key with reading denied to everyone, as a policy or another
// program may leave it; the test's own process may still change its
// permissions, and gives everyone full access again at the end.
class UnreadableProductKey : public ::testing::Test {
 protected:
  void SetUp() override {
    win32::RegistryStore(testing::UnwatchedReporter()).DeleteKey(kProductKey);
    SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
    ASSERT_TRUE(AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &everyone_));
    const DWORD size = sizeof(ACL) + 2 * (sizeof(ACCESS_ALLOWED_ACE) + GetLengthSid(everyone_));
    acl_.resize(size);
    PACL acl = reinterpret_cast<PACL>(acl_.data());
    ASSERT_TRUE(InitializeAcl(acl, size, ACL_REVISION));
    ASSERT_TRUE(AddAccessDeniedAce(acl, ACL_REVISION, KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS, everyone_));
    ASSERT_TRUE(AddAccessAllowedAce(acl, ACL_REVISION, KEY_ALL_ACCESS, everyone_));
    ASSERT_EQ(SetDacl(acl), ERROR_SUCCESS);
  }
  void TearDown() override {
    SetDacl(nullptr);
    win32::RegistryStore(testing::UnwatchedReporter()).DeleteKey(kProductKey);
    if (everyone_) FreeSid(everyone_);
  }

  // The product key's access list; null gives everyone every access.
  static LONG SetDacl(PACL acl) {
    HKEY key = nullptr;
    LONG result = RegCreateKeyExA(HKEY_CURRENT_USER, kProductKey, 0, nullptr, 0, WRITE_DAC, nullptr, &key, nullptr);
    if (result != ERROR_SUCCESS) return result;
    SECURITY_DESCRIPTOR descriptor;
    InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION);
    SetSecurityDescriptorDacl(&descriptor, TRUE, acl, FALSE);
    result = RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, &descriptor);
    RegCloseKey(key);
    return result;
  }

  PSID everyone_ = nullptr;
  std::vector<BYTE> acl_;
};

TEST_F(UnreadableProductKey, TheSaverDrawsTheDefaults) {
  win32::RegistryStore store(testing::UnwatchedReporter());
  ASSERT_FALSE(store.OpenKey(kProductKey)) << "the key can be read after all";
  WNDCLASSA wc{};
  wc.lpfnWndProc = DefWindowProcA;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "BrindlemarUnreadableTest";
  RegisterClassA(&wc);
  HWND hwnd = CreateWindowExA(0, wc.lpszClassName, "preview", WS_POPUP | WS_VISIBLE, 0, 0, 320, 240, nullptr,
                              nullptr, wc.hInstance, nullptr);
  ASSERT_NE(hwnd, nullptr);
  {
    // As a preview attaches it; full screen loads the same way, with a
    // random favorite.
    win32::GdiWindow window(hwnd);
    win32::Win32Field field(store, PlatformFamily::kWindowsNt);
    ASSERT_EQ(field.Attach(&window, 0), kOk);
    EXPECT_EQ(field.configuration, 13) << "the default configuration";
    EXPECT_GT(field.grainCapacity, 0);
    EXPECT_GT(field.liveGrains, 0);
  }
  DestroyWindow(hwnd);
}

}  // namespace
}  // namespace brindlemar
