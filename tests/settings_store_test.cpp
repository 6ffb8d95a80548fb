// What every settings store promises, run against each kind this build has:
// the store in memory, the settings file (outside Windows) and the real
// registry of the current user (Windows). Each case works below a key of its
// own, deleted again afterwards.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "settings/memory_store.h"
#include "settings/settings_store.h"
#if defined(_WIN32)
#include "platform/win32/registry_store.h"
#else
#include "platform/posix/file_store.h"
#endif
#include "support/collecting_reporter.h"

namespace brindlemar {
namespace {

namespace fs = std::filesystem;

struct StoreKind {
  const char* name;
  // Opens an instance of the store; stores kept in files keep them in dir.
  std::function<std::unique_ptr<SettingsStore>(const fs::path& dir)> open;
  // A second instance sees what the first one wrote.
  bool persistent;
  // Values are enumerated in the order they were first set. The Wine
  // registry lists them sorted by name.
  bool keepsSetOrder;
};

std::unique_ptr<SettingsStore> OpenMemory(const fs::path&) { return std::make_unique<MemoryStore>(); }
#if defined(_WIN32)
std::unique_ptr<SettingsStore> OpenRegistry(const fs::path&) {
  return std::make_unique<win32::RegistryStore>(testing::UnwatchedReporter());
}
#else
std::unique_ptr<SettingsStore> OpenFile(const fs::path& dir) {
  return std::make_unique<posix::FileStore>(dir.string(), testing::UnwatchedReporter());
}
#endif

const StoreKind kKinds[] = {
    {"Memory", OpenMemory, false, true},
#if defined(_WIN32)
    {"Registry", OpenRegistry, true, false},
#else
    {"File", OpenFile, true, true},
#endif
};

class SettingsStoreTest : public ::testing::TestWithParam<StoreKind> {
 protected:
  void SetUp() override {
    std::random_device random;
    dir_ = fs::temp_directory_path() / ("brindlemar-store-" + std::to_string(random()) + std::to_string(random()));
    store_ = GetParam().open(dir_);
    root_ = std::string("Software\\Tessaloom\\BrindlemarTest\\") +
            ::testing::UnitTest::GetInstance()->current_test_info()->name();
    // What an interrupted earlier run may have left.
    store_->DeleteKey(root_);
  }

  void TearDown() override {
    store_->DeleteKey(root_);
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
  }

  std::string Key(std::string_view sub) const { return root_ + "\\" + std::string(sub); }

  // The same data seen through another instance where the kind keeps it.
  SettingsStore& Other() {
    if (!GetParam().persistent) return *store_;
    if (!other_) other_ = GetParam().open(dir_);
    return *other_;
  }

  fs::path dir_;
  std::string root_;
  std::unique_ptr<SettingsStore> store_;
  std::unique_ptr<SettingsStore> other_;
};

TEST_P(SettingsStoreTest, CreateTellsANewKeyFromAnExistingOne) {
  SettingsStore& s = *store_;
  EXPECT_FALSE(s.OpenKey(Key("Area")));
  bool created = false;
  ASSERT_TRUE(s.CreateKey(Key("Area\\Inner"), &created));
  EXPECT_TRUE(created);
  EXPECT_TRUE(s.OpenKey(Key("Area")));  // the parent came with its child
  EXPECT_TRUE(Other().OpenKey(Key("area\\INNER")));
  ASSERT_TRUE(s.CreateKey(Key("Area\\Inner"), &created));
  EXPECT_FALSE(created);
  ASSERT_TRUE(s.CreateKey(Key("AREA\\inner"), &created));
  EXPECT_FALSE(created);
  ASSERT_TRUE(s.CreateKey(Key("Area"), nullptr));
  EXPECT_FALSE(s.OpenKey(Key("Area\\Missing")));
}

TEST_P(SettingsStoreTest, ValuesKeepTheirTypeAndBytes) {
  SettingsStore& s = *store_;
  ASSERT_TRUE(s.CreateKey(Key("Config"), nullptr));
  ASSERT_TRUE(WriteString(s, Key("Config"), "Settings", "*,1,2"));
  ASSERT_TRUE(WriteDword(s, Key("Config"), "Random", 1));
  ASSERT_TRUE(WriteBinary(s, Key("Config"), "RanArray", {1, 0, 255}));

  struct Expected {
    const char* name;
    ValueType type;
    std::vector<uint8_t> data;
  } const expected[] = {
      {"Settings", ValueType::kString, {'*', ',', '1', ',', '2', 0}},
      {"Random", ValueType::kDword, {1, 0, 0, 0}},
      {"RanArray", ValueType::kBinary, {1, 0, 255}},
  };
  for (const Expected& e : expected) {
    SCOPED_TRACE(e.name);
    StoredValue v;
    ASSERT_TRUE(Other().QueryValue(Key("Config"), e.name, 64, v));
    EXPECT_EQ(v.type, e.type);
    EXPECT_EQ(v.data, e.data);
  }
}

TEST_P(SettingsStoreTest, QueryRefusesValuesBeyondTheLimit) {
  SettingsStore& s = *store_;
  ASSERT_TRUE(s.CreateKey(Key("Config"), nullptr));
  ASSERT_TRUE(WriteBinary(s, Key("Config"), "Blob", std::vector<uint8_t>(10, 7)));
  ASSERT_TRUE(WriteString(s, Key("Config"), "Text", "abc"));

  StoredValue v{ValueType::kDword, {9}};
  EXPECT_FALSE(s.QueryValue(Key("Config"), "Blob", 9, v));
  EXPECT_EQ(v.type, ValueType::kDword);  // untouched
  EXPECT_EQ(v.data, std::vector<uint8_t>{9});
  ASSERT_TRUE(s.QueryValue(Key("Config"), "Blob", 10, v));
  EXPECT_EQ(v.data, std::vector<uint8_t>(10, 7));

  std::string text = "default";
  EXPECT_FALSE(ReadString(s, Key("Config"), "Text", 3, text));  // the NUL counts
  EXPECT_EQ(text, "default");
  EXPECT_TRUE(ReadString(s, Key("Config"), "Text", 4, text));
  EXPECT_EQ(text, "abc");

  EXPECT_FALSE(s.QueryValue(Key("Config"), "Missing", 100, v));
  EXPECT_FALSE(s.QueryValue(Key("Missing"), "Blob", 100, v));
}

// Values are taken by size, whatever type a tool or a hand edit stored them
// with; only a DWORD of another size keeps the default.
TEST_P(SettingsStoreTest, ReadHelpersReadBySizeWhateverTheType) {
  SettingsStore& s = *store_;
  ASSERT_TRUE(s.CreateKey(Key("Config"), nullptr));
  constexpr auto kExpandString = static_cast<ValueType>(2);
  const std::vector<uint8_t> fontBytes{'A', 'r', 'i', 'a', 'l', 0};
  ASSERT_TRUE(s.SetValue(Key("Config"), "TargetFPS", StoredValue{ValueType::kBinary, {25, 0, 0, 0}}));
  ASSERT_TRUE(s.SetValue(Key("Config"), "Font", StoredValue{kExpandString, fontBytes}));
  ASSERT_TRUE(s.SetValue(Key("Config"), "Blob", StoredValue{ValueType::kString, {'x', 'y', 0}}));
  ASSERT_TRUE(WriteBinary(s, Key("Config"), "Short", {1, 2}));
  ASSERT_TRUE(WriteString(s, Key("Config"), "Random", "1"));

  int32_t value = 5;
  EXPECT_TRUE(ReadDword(s, Key("Config"), "TargetFPS", value));
  EXPECT_EQ(value, 25);
  value = 5;
  EXPECT_FALSE(ReadDword(s, Key("Config"), "Short", value));
  EXPECT_FALSE(ReadDword(s, Key("Config"), "Random", value));  // two bytes: "1" and its NUL
  EXPECT_EQ(value, 5);

  std::string text = "default";
  EXPECT_TRUE(ReadString(s, Key("Config"), "Font", 256, text));
  EXPECT_EQ(text, "Arial");
  std::vector<uint8_t> blob{4};
  EXPECT_TRUE(ReadBinary(s, Key("Config"), "Blob", 100, blob));
  EXPECT_EQ(blob, (std::vector<uint8_t>{'x', 'y', 0}));
}

TEST_P(SettingsStoreTest, SetValueNeedsAnExistingKey) {
  EXPECT_FALSE(WriteDword(*store_, Key("Missing"), "Random", 1));
  EXPECT_FALSE(store_->OpenKey(Key("Missing")));
}

TEST_P(SettingsStoreTest, DeleteValueRemovesOnlyThatValue) {
  SettingsStore& s = *store_;
  ASSERT_TRUE(s.CreateKey(Key("Config"), nullptr));
  ASSERT_TRUE(WriteDword(s, Key("Config"), "Keep", 1));
  ASSERT_TRUE(WriteString(s, Key("Config"), "CPUSpeed", "slow"));
  EXPECT_TRUE(s.DeleteValue(Key("Config"), "cpuspeed"));
  StoredValue v;
  EXPECT_FALSE(Other().QueryValue(Key("Config"), "CPUSpeed", 100, v));
  EXPECT_EQ(Other().EnumerateValues(Key("Config")), std::vector<std::string>{"Keep"});
  EXPECT_FALSE(s.DeleteValue(Key("Config"), "CPUSpeed"));
  EXPECT_FALSE(s.DeleteValue(Key("Missing"), "Keep"));
}

TEST_P(SettingsStoreTest, DeleteKeyTakesItsSubkeysAndNothingElse) {
  SettingsStore& s = *store_;
  for (const char* key : {"Top\\Area\\Inner", "Top\\AreaTwo", "Top\\Are"}) ASSERT_TRUE(s.CreateKey(Key(key), nullptr));
  for (const char* key : {"Top", "Top\\Area", "Top\\Area\\Inner", "Top\\AreaTwo"}) {
    ASSERT_TRUE(WriteDword(s, Key(key), "Num", 1));
  }
  EXPECT_TRUE(s.DeleteKey(Key("top\\AREA")));
  EXPECT_FALSE(Other().OpenKey(Key("Top\\Area")));
  EXPECT_FALSE(Other().OpenKey(Key("Top\\Area\\Inner")));
  int32_t num = 0;
  EXPECT_TRUE(ReadDword(Other(), Key("Top"), "Num", num));
  EXPECT_TRUE(ReadDword(Other(), Key("Top\\AreaTwo"), "Num", num));
  EXPECT_TRUE(Other().OpenKey(Key("Top\\Are")));
  EXPECT_FALSE(s.DeleteKey(Key("Top\\Area")));

  // Created again, the key starts empty.
  bool created = false;
  ASSERT_TRUE(s.CreateKey(Key("Top\\Area"), &created));
  EXPECT_TRUE(created);
  EXPECT_TRUE(s.EnumerateValues(Key("Top\\Area")).empty());
  EXPECT_FALSE(s.OpenKey(Key("Top\\Area\\Inner")));
}

TEST_P(SettingsStoreTest, DeleteKeyRefusesPathsWithAnEmptyLevel) {
  SettingsStore& s = *store_;
  ASSERT_TRUE(s.CreateKey(Key("Top"), nullptr));
  for (std::string path : {std::string(), std::string("\\"), Key("Top") + "\\", root_ + "\\\\Top"}) {
    SCOPED_TRACE(path);
    EXPECT_FALSE(s.DeleteKey(path));
  }
  EXPECT_TRUE(Other().OpenKey(Key("Top")));
}

TEST_P(SettingsStoreTest, EnumerationListsEachValueOnceUnderItsFirstName) {
  SettingsStore& s = *store_;
  ASSERT_TRUE(s.CreateKey(Key("Favorites"), nullptr));
  EXPECT_TRUE(s.EnumerateValues(Key("Favorites")).empty());
  EXPECT_TRUE(s.EnumerateValues(Key("Missing")).empty());
  for (const char* name : {"Fav002", "Fav000", "Zeta", "Fav001"})
    ASSERT_TRUE(WriteString(s, Key("Favorites"), name, name));
  ASSERT_TRUE(WriteString(s, Key("Favorites"), "ZETA", "again"));

  std::vector<std::string> names = Other().EnumerateValues(Key("Favorites"));
  std::vector<std::string> setOrder{"Fav002", "Fav000", "Zeta", "Fav001"};
  if (GetParam().keepsSetOrder) {
    EXPECT_EQ(names, setOrder);
  } else {
    std::sort(names.begin(), names.end());
    std::sort(setOrder.begin(), setOrder.end());
    EXPECT_EQ(names, setOrder);
  }
}

TEST_P(SettingsStoreTest, KeyAndValueNamesIgnoreCase) {
  SettingsStore& s = *store_;
  ASSERT_TRUE(s.CreateKey(Key("Messages"), nullptr));
  ASSERT_TRUE(WriteDword(s, Key("Messages"), "MinTime", 60));
  int32_t value = 0;
  EXPECT_TRUE(ReadDword(Other(), Key("MESSAGES"), "mintime", value));
  EXPECT_EQ(value, 60);
  ASSERT_TRUE(WriteDword(s, Key("messages"), "MINTIME", 75));
  EXPECT_TRUE(ReadDword(Other(), Key("Messages"), "MinTime", value));
  EXPECT_EQ(value, 75);
  EXPECT_EQ(Other().EnumerateValues(Key("Messages")), std::vector<std::string>{"MinTime"});
}

TEST_P(SettingsStoreTest, DwordsAreLittleEndian) {
  SettingsStore& s = *store_;
  ASSERT_TRUE(s.CreateKey(Key("Config"), nullptr));
  ASSERT_TRUE(WriteDword(s, Key("Config"), "Pattern", 0x12345678));
  StoredValue v;
  ASSERT_TRUE(Other().QueryValue(Key("Config"), "Pattern", 4, v));
  EXPECT_EQ(v.data, (std::vector<uint8_t>{0x78, 0x56, 0x34, 0x12}));

  ASSERT_TRUE(s.SetValue(Key("Config"), "Raw", StoredValue{ValueType::kDword, {0x2a, 0, 0, 0x80}}));
  int32_t read = 0;
  ASSERT_TRUE(ReadDword(Other(), Key("Config"), "Raw", read));
  EXPECT_EQ(read, static_cast<int32_t>(0x8000002Au));

  const int32_t extremes[] = {-1, INT32_MIN, INT32_MAX, 0};
  for (int32_t written : extremes) {
    ASSERT_TRUE(WriteDword(s, Key("Config"), "Value" + std::to_string(written), written));
  }
  for (int32_t written : extremes) {
    read = 7;
    ASSERT_TRUE(ReadDword(Other(), Key("Config"), "Value" + std::to_string(written), read));
    EXPECT_EQ(read, written);
  }
}

TEST_P(SettingsStoreTest, StringsComeBackByteForByte) {
  SettingsStore& s = *store_;
  ASSERT_TRUE(s.CreateKey(Key("Messages"), nullptr));
  const std::string texts[] = {
      "",
      "C:\\Program Files\\Brindlemar\\",
      "say \"hello\" \\\"twice\\\"",
      "\\",
      "\"",
      "Gr\xC3\xBC\xC3\x9F"
      "e \xE2\x82\xAC 5 \xE2\x9C\x93",
      "  padded, [not a key]; =not a value  ",
  };
  for (size_t i = 0; i < std::size(texts); ++i) {
    ASSERT_TRUE(WriteString(s, Key("Messages"), "Message" + std::to_string(i + 1), texts[i]));
  }
  for (size_t i = 0; i < std::size(texts); ++i) {
    SCOPED_TRACE(texts[i]);
    std::string read = "unset";
    ASSERT_TRUE(ReadString(Other(), Key("Messages"), "Message" + std::to_string(i + 1), 256, read));
    EXPECT_EQ(read, texts[i]);
  }
}

TEST_P(SettingsStoreTest, EmptyBinaryIsAValue) {
  SettingsStore& s = *store_;
  ASSERT_TRUE(s.CreateKey(Key("Config"), nullptr));
  ASSERT_TRUE(WriteBinary(s, Key("Config"), "RanArray", {}));
  StoredValue v{ValueType::kDword, {1}};
  ASSERT_TRUE(Other().QueryValue(Key("Config"), "RanArray", 0, v));
  EXPECT_EQ(v.type, ValueType::kBinary);
  EXPECT_TRUE(v.data.empty());
  EXPECT_EQ(Other().EnumerateValues(Key("Config")), std::vector<std::string>{"RanArray"});
}

INSTANTIATE_TEST_SUITE_P(Kinds, SettingsStoreTest, ::testing::ValuesIn(kKinds),
                         [](const ::testing::TestParamInfo<StoreKind>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace brindlemar
