#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "settings/change_set.h"
#include "settings/favorite_list.h"
#include "settings/favorite_record.h"
#include "settings/memory_store.h"
#include "settings/presets.h"
#include "settings/settings_store.h"
#include "support/product_store.h"
#include "support/watched_store.h"
#if !defined(_WIN32)
#include <sys/wait.h>
#include <unistd.h>

#include "platform/posix/file_store.h"
#include "support/collecting_reporter.h"
#include "support/faulty_file_system.h"
#endif

namespace brindlemar {
namespace {

std::string FavName(int32_t k) {
  char name[16];
  std::snprintf(name, sizeof name, "Fav%03d", k);
  return name;
}

std::string Read(MemoryStore& store, const char* key, const std::string& name) {
  std::string text = "(missing)";
  ReadString(store, key, name, 4096, text);
  return text;
}

TEST(Presets, FastTableRecordsAreWhatTheProgramWrites) {
  std::set<std::string> names;
  for (int32_t k = 0; k < kPresetCount; ++k) {
    std::string text = FastPreset(k);
    FavoriteRecord record = ParseRecord(text);
    // Every preset is a well-formed favorite: writing it back gives its text.
    EXPECT_EQ(FormatRecord(record, RecordForm::kFavorite), text) << k;
    EXPECT_EQ(record.name, PresetName(k));
    EXPECT_EQ(PresetIndexByName(record.name), k);
    names.insert(record.name);
  }
  EXPECT_EQ(names.size(), static_cast<size_t>(kPresetCount));
  EXPECT_EQ(FastPreset(0), "Butterflies,1,18,1800,3011,1149,14,1710,1,1,1,1,0,0,0,.252212,34,1,4,1,7,50,38,371,1,0");
  EXPECT_EQ(FastPreset(39),
            "Brindlemar Falls,3,24,1600,1284,855,5,499,1,0,0,1,0,4,0,.252212,40,1,4,1,10,40,120,692,0,1");
  EXPECT_EQ(FastPreset(50), "The Big One,1,19,1000,1121,1085,5,673,12,1,0,1,0,3,0,.252212,40,1,4,1,500,3,200,9,0,0");
}

TEST(Presets, LookupsOutsideTheTableFindNothing) {
  for (int32_t k : {-1, kPresetCount, 1000}) {
    EXPECT_EQ(FastPreset(k), "");
    EXPECT_EQ(SlowPreset(k), "");
    EXPECT_EQ(PresetName(k), "");
  }
  // Names match exactly: no case folding, no prefix.
  for (const char* name : {"brindlemar falls", "Brindlemar", "Brindlemar Falls ", "", "*"}) {
    EXPECT_EQ(PresetIndexByName(name), -1) << name;
  }
}

TEST(Presets, SlowTableDiffersOnlyInTheListedFields) {
  struct Case {
    int32_t row;
    const char* slow;
  };
  const Case cases[] = {
      {31, "Northern Lights,1,14,3000,3122,1000,8,483,1,0,0,1,0,4,0,.252212,53,1,3,0,70,800,0,342,0,1"},
      {39, "Brindlemar Falls,3,24,1300,1754,855,5,1129,1,0,0,1,0,4,0,.252212,40,1,4,1,10,40,120,725,0,1"},
      {33, "Opal Flame,1,22,5000,4551,1035,7,483,1,0,1,1,0,0,0,.252212,45,1,4,0,8,0,40,509,0,1"},
      {50, "The Big One,1,19,900,1264,1085,5,765,12,1,0,1,0,3,0,.252212,40,1,4,1,500,3,200,122,0,0"},
      {4, "Corona,3,23,1200,2897,1135,7,284,1,0,0,1,0,4,0,.252212,75,1,3,1,20,-30,0,401,0,1"},
  };
  for (const Case& c : cases) EXPECT_EQ(SlowPreset(c.row), c.slow) << c.row;
  for (int32_t unlisted : {0, 13, 19, 22, 23, 25, 26, 27, 32, 34, 36, 40, 41, 45, 49}) {
    EXPECT_EQ(SlowPreset(unlisted), FastPreset(unlisted)) << unlisted;
  }
  for (int32_t k = 0; k < kPresetCount; ++k) EXPECT_EQ(ParseRecord(SlowPreset(k)).name, PresetName(k));
}

TEST(InstallPresets, NewFavoritesKeyGetsTheFastTable) {
  MemoryStore store;
  EXPECT_TRUE(InstallPresets(store));
  std::vector<std::string> expected;
  for (int32_t k = 0; k < kPresetCount; ++k) expected.push_back(FavName(k));
  EXPECT_EQ(store.EnumerateValues(kFavoritesKey), expected);
  for (int32_t k = 0; k < kPresetCount; ++k) {
    StoredValue v;
    ASSERT_TRUE(store.QueryValue(kFavoritesKey, FavName(k), 4096, v));
    EXPECT_EQ(v.type, ValueType::kString);
    // The terminating zero is stored with the text.
    std::string text = FastPreset(k);
    text.push_back('\0');
    EXPECT_EQ(std::string(v.data.begin(), v.data.end()), text) << k;
  }

  // From then on the presets are the user's favorites: a second start
  // without a request writes nothing.
  WriteString(store, kFavoritesKey, "Fav000", "Mine,1,13");
  store.DeleteValue(kFavoritesKey, "Fav001");
  EXPECT_FALSE(InstallPresets(store));
  EXPECT_EQ(Read(store, kFavoritesKey, "Fav000"), "Mine,1,13");
  EXPECT_EQ(Read(store, kFavoritesKey, "Fav001"), "(missing)");
}

TEST(InstallPresets, RequestRewritesOnlyPresetNamedFavorites) {
  struct Case {
    std::vector<uint8_t> request;  // the stored bytes of "CPUSpeed"
    bool slow;
  };
  auto text = [](const char* s) {
    std::string t(s);
    return std::vector<uint8_t>(t.begin(), t.end() + 1);
  };
  const Case cases[] = {
      {text("SLOW"), true},
      {text("slow"), true},
      {text("sLoW"), true},
      {text("fast"), false},
      {text("FAST"), false},
      {text("medium"), false},
      {text(""), false},
      {text("slow but longer than the buffer"), false},
  };
  for (const Case& c : cases) {
    std::string label(c.request.begin(), c.request.end() - 1);
    MemoryStore store;
    store.CreateKey(kConfigKey, nullptr);
    store.CreateKey(kFavoritesKey, nullptr);
    store.SetValue(kConfigKey, "CPUSpeed", StoredValue{ValueType::kString, c.request});
    const std::string mine = "My Own,1,13,4700,3620,925,4,204,1,0,1,1,0,4,0,.252212,92,1,2,2,80,0,0,588,0,0";
    const std::string folded = "northern lights,1,14,1,1,1,1,1,1,0,0,1,0,4,0,.252212,85,1,3,0,70,800,0,459,0,0";
    const std::string longName = "Brindlemar Falls,1,1";
    WriteString(store, kFavoritesKey, "Fav000", "Brindlemar Falls,3,24,10");
    WriteString(store, kFavoritesKey, "Fav001", mine);
    WriteString(store, kFavoritesKey, "Fav002", folded);
    WriteString(store, kFavoritesKey, "Fav003", "Northern Lights");
    WriteString(store, kFavoritesKey, "Favorite9", longName);  // too long a name to be enumerated

    EXPECT_FALSE(InstallPresets(store)) << label;
    auto table = [&c](int32_t k) { return c.slow ? SlowPreset(k) : FastPreset(k); };
    EXPECT_EQ(Read(store, kFavoritesKey, "Fav000"), table(39)) << label;
    EXPECT_EQ(Read(store, kFavoritesKey, "Fav001"), mine) << label;
    EXPECT_EQ(Read(store, kFavoritesKey, "Fav002"), folded) << label;
    EXPECT_EQ(Read(store, kFavoritesKey, "Fav003"), table(31)) << label;
    EXPECT_EQ(Read(store, kFavoritesKey, "Favorite9"), longName) << label;
    EXPECT_EQ(store.EnumerateValues(kFavoritesKey).size(), 5u) << label;
    EXPECT_EQ(Read(store, kConfigKey, "CPUSpeed"), "(missing)") << label;
  }
}

TEST(InstallPresets, RequestOnAFirstStartFillsTheKeyFromTheChosenTable) {
  MemoryStore store;
  store.CreateKey(kConfigKey, nullptr);
  WriteString(store, kConfigKey, "CPUSpeed", "Slow");
  EXPECT_TRUE(InstallPresets(store));
  for (int32_t k = 0; k < kPresetCount; ++k) EXPECT_EQ(Read(store, kFavoritesKey, FavName(k)), SlowPreset(k));
  EXPECT_EQ(Read(store, kConfigKey, "CPUSpeed"), "(missing)");
}

using InstallPresetsStores = testing::ProductStoreTest;

TEST_P(InstallPresetsStores, AStartDuringARewriteOfTheFavoritesAddsNothing) {
  constexpr int32_t kMine = 20;
  ASSERT_TRUE(InstallPresets(Store()));
  FavoriteList list;
  for (int32_t k = 0; k < kMine; ++k) {
    list.entries[static_cast<size_t>(k)] =
        ParseRecord("Mine " + std::to_string(k) + ",3,24,1600,1284,855,5,499,1,0,0,1,0,4,0,.252212,40,1,4,1,10,40,120,692,0,1");
  }
  list.favoriteCount = kMine;
  // A saver starts (and installs the presets) before each change of the
  // rewrite, as another process may start between any two changes.
  testing::WatchedStore racing(Store(), [](SettingsStore& store) {
    InstallPresets(store);
    return std::string();
  });
  EXPECT_EQ(RewriteFavorites(racing, list), 1);

  std::vector<std::string> names = Other().EnumerateValues(kFavoritesKey);
  ASSERT_EQ(names.size(), static_cast<size_t>(kMine));
  for (int32_t k = 0; k < kMine; ++k) {
    std::string record;
    ASSERT_TRUE(ReadString(Other(), kFavoritesKey, FavName(k), 256, record));
    EXPECT_EQ(ParseRecord(record).name, "Mine " + std::to_string(k));
  }
}

INSTANTIATE_TEST_SUITE_P(Kinds, InstallPresetsStores, ::testing::ValuesIn(testing::kProductStoreKinds),
                         testing::ProductStoreKindName);

#if !defined(_WIN32)

class InstallPresetsFile : public ::testing::Test {
 protected:
  void SetUp() override {
    std::random_device random;
    root_ = std::filesystem::temp_directory_path() /
            ("brindlemar-install-" + std::to_string(random()) + std::to_string(random()));
  }
  void TearDown() override {
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
  }

  // The next start, with nothing failing: all the presets, whatever the
  // first start left, and no temporary file once it has changed anything.
  static void ExpectAllFavoritesOnTheNextStart(const std::filesystem::path& dir) {
    posix::FileStore store(dir.string(), testing::UnwatchedReporter());
    InstallPresets(store);
    ASSERT_EQ(store.EnumerateValues(kFavoritesKey).size(), static_cast<size_t>(kPresetCount));
    for (int32_t k = 0; k < kPresetCount; ++k) {
      std::string record;
      ASSERT_TRUE(ReadString(store, kFavoritesKey, FavName(k), 256, record));
      EXPECT_EQ(record, FastPreset(k));
    }
    ASSERT_TRUE(store.CreateKey(kConfigKey, nullptr));
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
      EXPECT_EQ(entry.path().filename().string().find(".tmp-"), std::string::npos) << entry.path();
    }
  }

  std::filesystem::path root_;
};

TEST_F(InstallPresetsFile, AFirstStartEndedAtAnyCallLeavesAllOrNothing) {
  constexpr int kKilled = 0;
  constexpr int kFinished = 9;
  int call = 1;
  for (;; ++call) {
    SCOPED_TRACE("ended at call " + std::to_string(call));
    std::filesystem::path dir = root_ / std::to_string(call);
    pid_t child = fork();
    if (child == 0) {
      testing::FaultyFileSystem files;
      files.EndAtCall(call, kKilled);
      posix::FileStore store(dir.string(), testing::UnwatchedReporter(), files);
      InstallPresets(store);
      _exit(kFinished);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    ExpectAllFavoritesOnTheNextStart(dir);
    if (WEXITSTATUS(status) == kFinished) break;
    ASSERT_EQ(WEXITSTATUS(status), kKilled);
    ASSERT_LT(call, 200) << "the first start never finished";
  }
  EXPECT_GT(call, 10);
}

TEST_F(InstallPresetsFile, AFirstStartThatCannotSaveLeavesNoFavoritesKey) {
  struct Case {
    const char* what;
    posix::FileCall call;
    int error;
  } const cases[] = {
      {"disk full", posix::FileCall::kWrite, ENOSPC},
      {"flush fails", posix::FileCall::kFsync, EIO},
      {"rename fails", posix::FileCall::kRename, EIO},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::filesystem::path dir = root_ / c.what;
    {
      testing::FaultyFileSystem files;
      files.Fail(c.call, c.error, -1);
      testing::CollectingReporter reporter;
      posix::FileStore store(dir.string(), reporter, files);
      EXPECT_FALSE(InstallPresets(store));
      EXPECT_EQ(reporter.LinesStartingWith("the settings could not be saved"), 1u) << reporter.Text();
      EXPECT_FALSE(store.OpenKey(kFavoritesKey));
    }
    ExpectAllFavoritesOnTheNextStart(dir);
  }
}

#endif  // !defined(_WIN32)

}  // namespace
}  // namespace brindlemar
