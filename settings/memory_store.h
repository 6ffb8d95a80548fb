// A settings store held in memory: keys compared without regard to case, as
// the registry compares them; values kept in the order they were first set.
// Tests use it to start from a known store and to read back what was written.
// A set of changes is made whole or not at all.
#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "settings/settings_store.h"

namespace brindlemar {

class MemoryStore final : public SettingsStore {
 public:
  bool OpenKey(std::string_view key) override;
  bool CreateKey(std::string_view key, bool* created) override;
  bool QueryValue(std::string_view key, std::string_view name, size_t maxBytes, StoredValue& out) override;
  bool SetValue(std::string_view key, std::string_view name, const StoredValue& value) override;
  bool DeleteValue(std::string_view key, std::string_view name) override;
  bool DeleteKey(std::string_view key) override;
  std::vector<std::string> EnumerateValues(std::string_view key) override;
  // All of the set or none of it.
  ChangeResult ApplyChanges(const ChangeSet& changes) override;

 private:
  struct Key {
    std::vector<std::pair<std::string, StoredValue>> values;
  };
  std::map<std::string, Key> keys_;  // by lower-cased path

  Key* Find(std::string_view key);
  static StoredValue* FindValue(Key& key, std::string_view name);
};

}  // namespace brindlemar
