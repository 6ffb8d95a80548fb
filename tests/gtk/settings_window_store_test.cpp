// The settings window's store: the changes of one user action reach the
// settings file as one change (a saver starting meanwhile never reads half
// of them), reads see what the action wrote, and the display-mode values
// that only the Windows saver uses are never written.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/posix/file_store.h"
#include "platform/posix/gtk/settings_window_store.h"
#include "settings/change_set.h"
#include "settings/dialog_settings.h"
#include "settings/memory_store.h"
#include "support/collecting_reporter.h"

namespace brindlemar::gtk {
namespace {

// A store that counts the changes made to it, each set as one.
class CountingStore final : public SettingsStore {
 public:
  bool OpenKey(std::string_view key) override { return memory.OpenKey(key); }
  bool CreateKey(std::string_view key, bool* created) override {
    ++changes;
    return memory.CreateKey(key, created);
  }
  bool QueryValue(std::string_view key, std::string_view name, size_t maxBytes, StoredValue& out) override {
    return memory.QueryValue(key, name, maxBytes, out);
  }
  bool SetValue(std::string_view key, std::string_view name, const StoredValue& value) override {
    ++changes;
    return memory.SetValue(key, name, value);
  }
  bool DeleteValue(std::string_view key, std::string_view name) override {
    ++changes;
    return memory.DeleteValue(key, name);
  }
  bool DeleteKey(std::string_view key) override {
    ++changes;
    return memory.DeleteKey(key);
  }
  std::vector<std::string> EnumerateValues(std::string_view key) override { return memory.EnumerateValues(key); }
  ChangeResult ApplyChanges(const ChangeSet& set) override {
    ++changes;
    return refuse ? ChangeResult::kFailed : memory.ApplyChanges(set);
  }

  MemoryStore memory;
  int changes = 0;
  bool refuse = false;  // sets of changes fail, as on a full disk
};

int32_t Dword(SettingsStore& store, const char* key, const char* name, int32_t missing = -99) {
  int32_t value = missing;
  ReadDword(store, key, name, value);
  return value;
}

TEST(SettingsWindowStore, DisplayModeValuesAreNeverWritten) {
  CountingStore user;
  user.memory.CreateKey(kConfigKey, nullptr);
  WriteDword(user.memory, kConfigKey, "DirectDraw", 1);
  WriteDword(user.memory, kConfigKey, "ScreenResX", 1024);
  SettingsWindowStore store(user);

  struct Case {
    const char* name;
    bool inAction;
  };
  const Case cases[] = {{"DirectDraw", false},   {"ScreenResX", true},  {"screenresy", false},
                        {"ScreenResBits", true}, {"DIRECTDRAW", true}};
  for (const Case& c : cases) {
    if (c.inAction) store.BeginAction();
    EXPECT_TRUE(WriteDword(store, kConfigKey, c.name, 0)) << c.name << ": refused writes would look like failures";
    EXPECT_TRUE(store.DeleteValue(kConfigKey, c.name)) << c.name;
    if (c.inAction) store.EndAction();
  }
  ChangeSet set;
  set.SetValue(kConfigKey, "ScreenResX", StoredValue{ValueType::kDword, {0, 2, 0, 0}});
  set.SetString(kConfigKey, "Settings", "*,1");
  EXPECT_EQ(store.ApplyChanges(set), ChangeResult::kMade);

  EXPECT_EQ(Dword(user.memory, kConfigKey, "DirectDraw"), 1);
  EXPECT_EQ(Dword(user.memory, kConfigKey, "ScreenResX"), 1024);
  EXPECT_EQ(Dword(user.memory, kConfigKey, "ScreenResY"), -99) << "a missing one stays missing";
  EXPECT_EQ(Dword(user.memory, kConfigKey, "ScreenResBits"), -99);
  std::string settings;
  EXPECT_TRUE(ReadString(user.memory, kConfigKey, "Settings", 64, settings));
  // The same names elsewhere are ordinary values.
  store.CreateKey(kBackupKey, nullptr);
  WriteDword(store, kBackupKey, "DirectDraw", 7);
  EXPECT_EQ(Dword(user.memory, kBackupKey, "DirectDraw"), 7);
}

TEST(SettingsWindowStore, AnActionsChangesAreMadeAsOne) {
  CountingStore user;
  user.memory.CreateKey(kConfigKey, nullptr);
  WriteDword(user.memory, kConfigKey, "Random", 1);
  SettingsWindowStore store(user);

  store.BeginAction();
  store.BeginAction();  // a satellite's action inside the settings window's
  store.DeleteKey(kMessagesKey);
  store.CreateKey(kMessagesKey, nullptr);
  WriteDword(store, kMessagesKey, "MinTime", 10);
  WriteDword(store, kConfigKey, "Random", 0);
  store.EndAction();
  EXPECT_EQ(user.changes, 0) << "nothing reaches the file before the outermost action ends";
  EXPECT_EQ(Dword(user.memory, kConfigKey, "Random"), 1);
  // Reading back what the action wrote makes its changes first.
  EXPECT_EQ(Dword(store, kMessagesKey, "MinTime"), 10);
  EXPECT_EQ(user.changes, 1);
  WriteDword(store, kConfigKey, "Clock", 1);
  WriteDword(store, kConfigKey, "Style", 1);
  EXPECT_TRUE(store.EndAction());
  EXPECT_EQ(user.changes, 2);
  EXPECT_EQ(Dword(user.memory, kConfigKey, "Random"), 0);
  EXPECT_EQ(Dword(user.memory, kConfigKey, "Style"), 1);

  // Reads of other keys leave the changes pending.
  store.BeginAction();
  WriteDword(store, kConfigKey, "Clock", 0);
  EXPECT_EQ(Dword(store, kMessagesKey, "MinTime"), 10);
  EXPECT_EQ(user.changes, 2);
  store.EndAction();
  EXPECT_EQ(user.changes, 3);
}

TEST(SettingsWindowStore, AValueWithoutItsKeyFailsAloneAsTheStoreWould) {
  CountingStore user;
  user.memory.CreateKey(kConfigKey, nullptr);
  SettingsWindowStore store(user);
  store.BeginAction();
  EXPECT_FALSE(WriteDword(store, kMessagesKey, "Num", 3)) << "Messages does not exist";
  EXPECT_TRUE(WriteDword(store, kConfigKey, "Clock", 1));
  store.DeleteKey(kConfigKey);
  EXPECT_FALSE(WriteDword(store, kConfigKey, "Style", 1)) << "deleted in this action";
  bool created = false;
  EXPECT_TRUE(store.CreateKey(kConfigKey, &created));
  EXPECT_TRUE(created);
  EXPECT_TRUE(WriteDword(store, kConfigKey, "Style", 1));
  EXPECT_TRUE(store.EndAction()) << "the refused value did not spoil the set";
  EXPECT_EQ(Dword(user.memory, kConfigKey, "Style"), 1);
  EXPECT_EQ(Dword(user.memory, kConfigKey, "Clock"), -99);
  EXPECT_FALSE(user.memory.OpenKey(kMessagesKey));
}

TEST(SettingsWindowStore, AnActionFailsWhenItsChangesCannotBeMade) {
  CountingStore user;
  user.memory.CreateKey(kConfigKey, nullptr);
  SettingsWindowStore store(user);
  user.refuse = true;
  store.BeginAction();
  WriteDword(store, kConfigKey, "Clock", 1);
  EXPECT_FALSE(store.EndAction());
  // A rewrite of the favorites is made at once; its failure fails the action.
  store.BeginAction();
  EXPECT_EQ(store.ApplyChanges(ChangeSet{}.CreateKey(kFavoritesKey)), ChangeResult::kFailed);
  EXPECT_FALSE(store.EndAction());
  user.refuse = false;
  store.BeginAction();
  WriteDword(store, kConfigKey, "Clock", 1);
  EXPECT_TRUE(store.EndAction()) << "a failure belongs to its own action";
  store.BeginAction();
  EXPECT_TRUE(store.EndAction()) << "nothing to save is no failure";
}

// The file's point of view: OK's save and Cancel's restore each replace the
// settings file once, so a saver starting at any moment reads all of the
// old settings or all of the new.
TEST(SettingsWindowStore, SaveAndRestoreEachReplaceTheFileOnce) {
  class CountingRenames final : public posix::FileSystem {
   public:
    int renames = 0;

   protected:
    int Fault(posix::FileCall call, const char*) override {
      if (call == posix::FileCall::kRename) ++renames;
      return 0;
    }
  };
  const std::filesystem::path dir = std::filesystem::temp_directory_path() /
                                    ("h15-store-" + std::to_string(::getpid()));
  std::filesystem::remove_all(dir);
  CountingRenames files;
  posix::FileStore file(dir.string(), brindlemar::testing::UnwatchedReporter(), files);
  SettingsWindowStore store(file);
  file.CreateKey(kConfigKey, nullptr);
  WriteDword(file, kConfigKey, "Random", 1);

  DialogBackup backup;
  store.BeginAction();
  SaveBackup(store, backup);
  store.EndAction();
  files.renames = 0;

  DialogSettings settings;
  FavoriteList list(8);
  settings.randomChosen = 0;
  settings.showClock = 1;
  store.BeginAction();
  ASSERT_EQ(DialogSave(store, settings, list, {}), 1);
  store.EndAction();
  EXPECT_EQ(files.renames, 1);
  EXPECT_EQ(Dword(file, kConfigKey, "Random"), 0);
  EXPECT_EQ(Dword(file, kConfigKey, "Clock"), 1);
  EXPECT_EQ(Dword(file, kConfigKey, "DirectDraw"), -99) << "never written, not even as 0";

  files.renames = 0;
  store.BeginAction();
  ASSERT_EQ(RestoreBackup(store, backup, settings.written), 1);
  store.EndAction();
  EXPECT_EQ(files.renames, 1);
  EXPECT_EQ(Dword(file, kConfigKey, "Random"), 1);
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace brindlemar::gtk
