// Sets of changes made as one change, on every kind of store this build has,
// and their encoding as a journal.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "settings/change_set.h"
#include "settings/settings_store.h"
#include "support/product_store.h"

namespace brindlemar {
namespace {

const std::string kArea = std::string(kProductKey) + "\\Area";
const std::string kOther = std::string(kProductKey) + "\\Other";

ChangeSet Sample() {
  ChangeSet set;
  set.DeleteKey(kArea).CreateKey(kArea);
  set.SetString(kArea, "Text", "a \"quoted\" text\\");
  set.SetValue(kArea, "Bytes", StoredValue{ValueType::kBinary, {0, 1, 255}});
  set.SetValue(kArea, "Empty", StoredValue{ValueType::kBinary, {}});
  set.SetValue(kArea, "Odd type", StoredValue{static_cast<ValueType>(11), {1, 2, 3, 4, 5, 6, 7, 8}});
  set.DeleteValue(kArea, "Text");
  set.SetString(kArea, "Text", "again");
  return set;
}

bool SameChanges(const ChangeSet& a, const ChangeSet& b) {
  if (a.changes.size() != b.changes.size()) return false;
  for (size_t k = 0; k < a.changes.size(); ++k) {
    const StoreChange& x = a.changes[k];
    const StoreChange& y = b.changes[k];
    if (x.kind != y.kind || x.key != y.key || x.name != y.name || x.value.type != y.value.type ||
        x.value.data != y.value.data) {
      return false;
    }
  }
  return true;
}

TEST(ChangeSetEncoding, RoundTripsAndRefusesAnythingElse) {
  const ChangeSet set = Sample();
  const std::vector<uint8_t> bytes = EncodeChanges(set);
  ChangeSet decoded;
  ASSERT_TRUE(DecodeChanges(bytes, decoded));
  EXPECT_TRUE(SameChanges(decoded, set));

  // Every shorter prefix, one byte more, another magic and an unknown kind
  // of change are refused and leave the set as it was.
  std::vector<std::vector<uint8_t>> refused;
  for (size_t n = 0; n < bytes.size(); ++n) refused.emplace_back(bytes.begin(), bytes.begin() + n);
  refused.push_back(bytes);
  refused.back().push_back(0);
  refused.push_back(bytes);
  refused.back()[0] = 'X';
  refused.push_back(bytes);
  refused.back()[9] = 9;  // the first change's kind
  for (const std::vector<uint8_t>& damaged : refused) {
    ChangeSet kept = Sample();
    EXPECT_FALSE(DecodeChanges(damaged, kept)) << damaged.size() << " bytes";
    EXPECT_TRUE(SameChanges(kept, set));
  }
}

using ChangeSetStores = testing::ProductStoreTest;

TEST_P(ChangeSetStores, MakesTheChangesInOrder) {
  ASSERT_TRUE(Store().CreateKey(kArea + "\\Old", nullptr));
  ASSERT_TRUE(WriteString(Store(), kArea, "Gone", "x"));
  ASSERT_EQ(Store().ApplyChanges(Sample()), ChangeResult::kMade);

  SettingsStore& s = Other();
  EXPECT_FALSE(s.OpenKey(kArea + "\\Old"));  // the deleted key took its subkeys
  std::vector<std::string> names = s.EnumerateValues(kArea);
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"Bytes", "Empty", "Odd type", "Text"}));
  std::string text;
  ASSERT_TRUE(ReadString(s, kArea, "Text", 64, text));
  EXPECT_EQ(text, "again");
  StoredValue odd;
  ASSERT_TRUE(s.QueryValue(kArea, "Odd type", 64, odd));
  EXPECT_EQ(odd.type, static_cast<ValueType>(11));
  EXPECT_EQ(odd.data.size(), 8u);
}

TEST_P(ChangeSetStores, MissingKeysAndValuesToDeleteAreNoFailure) {
  ChangeSet set;
  set.DeleteKey(kOther).DeleteValue(kArea, "Nothing").DeleteValue(kOther, "Nothing");
  EXPECT_EQ(Store().ApplyChanges(set), ChangeResult::kMade);
}

TEST_P(ChangeSetStores, TheConditionHoldsBackTheWholeSet) {
  ASSERT_TRUE(Store().CreateKey(kArea, nullptr));
  ASSERT_TRUE(WriteString(Store(), kArea, "Kept", "mine"));
  ChangeSet set = Sample();
  set.unlessKeyExists = kArea;
  EXPECT_EQ(Store().ApplyChanges(set), ChangeResult::kKeyExisted);
  EXPECT_EQ(Other().EnumerateValues(kArea), std::vector<std::string>{"Kept"});

  set.unlessKeyExists = kOther;
  EXPECT_EQ(Store().ApplyChanges(set), ChangeResult::kMade);
  EXPECT_EQ(Other().EnumerateValues(kArea).size(), 4u);
}

// A set worked out from values read is made only while they are as read:
// another writer's change in between (here through a second store on the
// same settings) holds back the whole set.
TEST_P(ChangeSetStores, ExpectedValuesHoldBackTheWholeSet) {
  ASSERT_TRUE(Store().CreateKey(kArea, nullptr));
  ASSERT_TRUE(WriteString(Store(), kArea, "Read", "as read"));
  struct Case {
    const char* what;
    std::function<void(SettingsStore&)> between;
    ChangeResult result;
  };
  const Case cases[] = {
      {"nothing", [](SettingsStore&) {}, ChangeResult::kMade},
      {"changed", [](SettingsStore& s) { WriteString(s, kArea, "Read", "another"); }, ChangeResult::kChanged},
      {"other type", [](SettingsStore& s) { WriteBinary(s, kArea, "Read", {'a', 's', ' ', 'r', 'e', 'a', 'd', 0}); },
       ChangeResult::kChanged},
      {"deleted", [](SettingsStore& s) { s.DeleteValue(kArea, "Read"); }, ChangeResult::kChanged},
      {"missing one added", [](SettingsStore& s) { WriteString(s, kArea, "Missing", "now here"); },
       ChangeResult::kChanged},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_TRUE(WriteString(Store(), kArea, "Read", "as read"));
    Store().DeleteValue(kArea, "Missing");
    Store().DeleteValue(kArea, "Written");
    ChangeSet set;
    set.Expect(kArea, "Read", ReadStoredValue(Store(), kArea, "Read"));
    set.Expect(kArea, "Missing", ReadStoredValue(Store(), kArea, "Missing"));
    set.SetString(kArea, "Written", "made");
    c.between(Other());
    EXPECT_EQ(Store().ApplyChanges(set), c.result);
    EXPECT_EQ(ReadStoredValue(Other(), kArea, "Written").has_value(), c.result == ChangeResult::kMade);
  }
}

// ApplyAsStored works the set out again from what the other writer left.
TEST_P(ChangeSetStores, ApplyAsStoredBuildsAgainFromTheNewValues) {
  ASSERT_TRUE(Store().CreateKey(kArea, nullptr));
  ASSERT_TRUE(WriteDword(Store(), kArea, "Count", 1));
  int builds = 0;
  const ChangeResult result = ApplyAsStored(Store(), [&](ChangeSet& set) {
    int32_t count = 0;
    ReadDword(Store(), kArea, "Count", count);
    set.Expect(kArea, "Count", ReadStoredValue(Store(), kArea, "Count"));
    set.SetValue(kArea, "Count", DwordValue(count + 1));
    // Another writer counts once, the first time only.
    if (builds++ == 0) WriteDword(Other(), kArea, "Count", count + 10);
    return true;
  });
  EXPECT_EQ(result, ChangeResult::kMade);
  EXPECT_EQ(builds, 2);
  int32_t count = 0;
  ASSERT_TRUE(ReadDword(Other(), kArea, "Count", count));
  EXPECT_EQ(count, 12);
}

TEST_P(ChangeSetStores, ASetThatCannotBeMadeFails) {
  ASSERT_TRUE(Store().CreateKey(kArea, nullptr));
  ASSERT_TRUE(WriteString(Store(), kArea, "Kept", "mine"));
  ChangeSet set;
  set.SetString(kArea, "Kept", "changed").SetString(kOther, "Value", "in a key that does not exist");
  EXPECT_EQ(Store().ApplyChanges(set), ChangeResult::kFailed);
  EXPECT_FALSE(Other().OpenKey(kOther));
  // The registry cannot take back a change it made; the others make none.
  if (std::string(GetParam().name) != "Registry") {
    std::string kept;
    ASSERT_TRUE(ReadString(Other(), kArea, "Kept", 64, kept));
    EXPECT_EQ(kept, "mine");
  }
}

INSTANTIATE_TEST_SUITE_P(Kinds, ChangeSetStores, ::testing::ValuesIn(testing::kProductStoreKinds),
                         testing::ProductStoreKindName);

}  // namespace
}  // namespace brindlemar
