// ChangeSet: several changes of keys and values that a settings store makes
// as one change, so that no reader, no other writer and no interrupted run
// ever sees a part of them: the first start's favorites, a whole rewrite of
// the Favorites key. The file store writes the whole set in one replacement
// of its file; the registry keeps the set as a journal until it is made, so
// that the next start completes a set an ended process left half made; the
// store in memory makes all of it or nothing.
//
// Depends on the SettingsStore interface only.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "settings/settings_store.h"

namespace brindlemar {

struct StoreChange {
  enum class Kind : uint8_t { kCreateKey = 1, kDeleteKey = 2, kSetValue = 3, kDeleteValue = 4 };
  Kind kind = Kind::kCreateKey;
  std::string key;
  std::string name;   // kSetValue and kDeleteValue
  StoredValue value;  // kSetValue
};

// A value as a set of changes expects to find it when it is made: stored
// with these bytes and this type, or (without a value) not stored at all.
struct ExpectedValue {
  std::string key;
  std::string name;
  std::optional<StoredValue> value;
};

// The changes are made in order. Creating a key that exists and deleting a
// key or value that is missing change nothing and do not fail the set; a
// value set in a key that does not exist at that point fails the whole set.
struct ChangeSet {
  // When not empty, the set is made only if this key does not exist at the
  // moment it would be made (ChangeResult::kKeyExisted otherwise).
  std::string unlessKeyExists;
  // The set is made only if every one of these is as expected at the moment
  // it would be made, under the store's lock (ChangeResult::kChanged
  // otherwise): a change worked out from what the store held is made only
  // while it still holds that (see ApplyAsStored).
  std::vector<ExpectedValue> expected;
  std::vector<StoreChange> changes;

  // The value as read: kept when it was there, else expected missing.
  ChangeSet& Expect(std::string_view key, std::string_view name, std::optional<StoredValue> value);

  ChangeSet& CreateKey(std::string_view key);
  ChangeSet& DeleteKey(std::string_view key);
  ChangeSet& SetValue(std::string_view key, std::string_view name, StoredValue value);
  // A string value with its terminating NUL, as WriteString stores it.
  ChangeSet& SetString(std::string_view key, std::string_view name, std::string_view text);
  ChangeSet& DeleteValue(std::string_view key, std::string_view name);
};

// The changes as bytes (the conditions left out), for a store that keeps a
// set until it is made; decoding refuses anything that is not such bytes.
std::vector<uint8_t> EncodeChanges(const ChangeSet& set);
bool DecodeChanges(const std::vector<uint8_t>& bytes, ChangeSet& set);

// Makes the changes one at a time through the store's single operations,
// stopping at the first that fails: what a store that cannot do better
// offers. False when one failed.
bool MakeChangesOneByOne(SettingsStore& store, const ChangeSet& set);

// Whether the store holds every value as the set expects.
bool ExpectationsHold(SettingsStore& store, const ChangeSet& set);
// Whether a stored value is the one expected (type and bytes).
bool SameStoredValue(const StoredValue& a, const StoredValue& b);

// A value as it is stored now, whole; none when it is missing.
std::optional<StoredValue> ReadStoredValue(SettingsStore& store, std::string_view key, std::string_view name);

// Makes the set that build works out from the store as it is, with the
// values it read as its expectations; while another writer changed one of
// them in between, reads and builds again (a few times at most, then
// kChanged). build returns false when there is nothing to change (kMade).
ChangeResult ApplyAsStored(SettingsStore& store, const std::function<bool(ChangeSet&)>& build);

}  // namespace brindlemar
