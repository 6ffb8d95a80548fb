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

// The changes are made in order. Creating a key that exists and deleting a
// key or value that is missing change nothing and do not fail the set; a
// value set in a key that does not exist at that point fails the whole set.
struct ChangeSet {
  // When not empty, the set is made only if this key does not exist at the
  // moment it would be made (ChangeResult::kKeyExisted otherwise).
  std::string unlessKeyExists;
  std::vector<StoreChange> changes;

  ChangeSet& CreateKey(std::string_view key);
  ChangeSet& DeleteKey(std::string_view key);
  ChangeSet& SetValue(std::string_view key, std::string_view name, StoredValue value);
  // A string value with its terminating NUL, as WriteString stores it.
  ChangeSet& SetString(std::string_view key, std::string_view name, std::string_view text);
  ChangeSet& DeleteValue(std::string_view key, std::string_view name);
};

// The changes as bytes (the condition left out), for a store that keeps a
// set until it is made; decoding refuses anything that is not such bytes.
std::vector<uint8_t> EncodeChanges(const ChangeSet& set);
bool DecodeChanges(const std::vector<uint8_t>& bytes, ChangeSet& set);

// Makes the changes one at a time through the store's single operations,
// stopping at the first that fails: what a store that cannot do better
// offers. False when one failed.
bool MakeChangesOneByOne(SettingsStore& store, const ChangeSet& set);

}  // namespace brindlemar
