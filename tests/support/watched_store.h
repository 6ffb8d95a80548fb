// A store that passes everything on to another and, before each change it
// passes on, takes a look at that store through a caller's function: what a
// saver starting at that moment would read. Tests of changes that must be
// made as one check that every look shows the state before or the state
// after, never a mixture.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "settings/change_set.h"
#include "settings/settings_store.h"

namespace brindlemar::testing {

class WatchedStore final : public SettingsStore {
 public:
  WatchedStore(SettingsStore& store, std::function<std::string(SettingsStore&)> look)
      : store_(store), look_(std::move(look)) {}

  bool OpenKey(std::string_view key) override { return store_.OpenKey(key); }
  bool CreateKey(std::string_view key, bool* created) override {
    Look();
    return store_.CreateKey(key, created);
  }
  bool QueryValue(std::string_view key, std::string_view name, size_t maxBytes, StoredValue& out) override {
    return store_.QueryValue(key, name, maxBytes, out);
  }
  bool SetValue(std::string_view key, std::string_view name, const StoredValue& value) override {
    Look();
    return store_.SetValue(key, name, value);
  }
  bool DeleteValue(std::string_view key, std::string_view name) override {
    Look();
    return store_.DeleteValue(key, name);
  }
  bool DeleteKey(std::string_view key) override {
    Look();
    return store_.DeleteKey(key);
  }
  std::vector<std::string> EnumerateValues(std::string_view key) override { return store_.EnumerateValues(key); }
  ChangeResult ApplyChanges(const ChangeSet& changes) override {
    Look();
    return store_.ApplyChanges(changes);
  }

  std::string Now() { return look_(store_); }
  // The looks taken since the last call, cleared.
  std::vector<std::string> TakeLooks() { return std::exchange(looks_, {}); }

 private:
  void Look() { looks_.push_back(Now()); }

  SettingsStore& store_;
  std::function<std::string(SettingsStore&)> look_;
  std::vector<std::string> looks_;
};

}  // namespace brindlemar::testing
