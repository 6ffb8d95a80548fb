// The settings of one saver run: the user's store, with some values of the
// Config and Messages keys answered from the command line instead (the
// record to show, random favorites, the overlays, the messages). Everything
// else, and every write, goes to the user's store, which the run never
// changes on the options' account.
#pragma once

#include <map>
#include <utility>
#include <string>
#include <string_view>

#include "settings/settings_store.h"

namespace brindlemar::x11 {

class RunSettingsStore final : public SettingsStore {
 public:
  explicit RunSettingsStore(SettingsStore& user) : user_(user) {}

  // key is kConfigKey or kMessagesKey.
  void OverrideDword(std::string_view key, std::string_view name, int32_t value);
  void OverrideString(std::string_view key, std::string_view name, std::string_view value);

  // The product key, and the key of a value overridden, open even in a store
  // that has neither yet.
  bool OpenKey(std::string_view key) override;
  bool CreateKey(std::string_view key, bool* created) override { return user_.CreateKey(key, created); }
  bool QueryValue(std::string_view key, std::string_view name, size_t maxBytes, StoredValue& out) override;
  bool SetValue(std::string_view key, std::string_view name, const StoredValue& value) override {
    return user_.SetValue(key, name, value);
  }
  bool DeleteValue(std::string_view key, std::string_view name) override { return user_.DeleteValue(key, name); }
  bool DeleteKey(std::string_view key) override { return user_.DeleteKey(key); }
  std::vector<std::string> EnumerateValues(std::string_view key) override;
  ChangeResult ApplyChanges(const ChangeSet& changes) override { return user_.ApplyChanges(changes); }

 private:
  SettingsStore& user_;
  void Override(std::string_view key, std::string_view name, StoredValue value);

  // Keyed by key and value name.
  std::map<std::pair<std::string, std::string>, StoredValue> values_;
};

}  // namespace brindlemar::x11
