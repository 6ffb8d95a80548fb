// The settings store as the settings program uses it, over the user's store:
//
// - The changes of one user action are made as one: between BeginAction and
//   EndAction they are collected and then made in a single change of the
//   settings file, so a saver starting meanwhile reads the settings from
//   before the action or from after it, never a mix (OK writes a dozen
//   values, Cancel restores as many, the messages editor rewrites its key).
//   A read of a key with changes pending makes them first, so reads always
//   see what the action wrote.
// - The display-mode values of Config ("DirectDraw", "ScreenResX",
//   "ScreenResY", "ScreenResBits") are never written: they belong to the
//   Windows saver, which may read a copy of this file, and nothing on Linux
//   changes the display mode. Their writes succeed without changing them.
//
// No window here; depends on the SettingsStore interface only.
#pragma once

#include <string_view>

#include "settings/change_set.h"
#include "settings/settings_store.h"

namespace brindlemar::gtk {

// Whether a Config value is one of the display-mode values kept as stored.
bool IsDisplayModeValue(std::string_view key, std::string_view name);

class SettingsWindowStore final : public SettingsStore {
 public:
  explicit SettingsWindowStore(SettingsStore& user) : user_(user) {}

  // Actions nest; the outermost EndAction makes the pending changes. False
  // when a change of the action could not be made (the pending ones, or a
  // set of changes made at once, such as a rewrite of the favorites).
  void BeginAction();
  bool EndAction();
  // Makes the pending changes now (before another program reads the file).
  bool MakePendingChanges();

  bool OpenKey(std::string_view key) override;
  bool CreateKey(std::string_view key, bool* created) override;
  bool QueryValue(std::string_view key, std::string_view name, size_t maxBytes, StoredValue& out) override;
  bool SetValue(std::string_view key, std::string_view name, const StoredValue& value) override;
  bool DeleteValue(std::string_view key, std::string_view name) override;
  bool DeleteKey(std::string_view key) override;
  std::vector<std::string> EnumerateValues(std::string_view key) override;
  ChangeResult ApplyChanges(const ChangeSet& changes) override;

 private:
  bool Collecting() const { return depth_ > 0; }
  // Makes the pending changes first when one of them concerns key.
  void SettleKey(std::string_view key);
  // Whether key exists once the pending changes are made.
  bool KeyWillExist(std::string_view key);

  SettingsStore& user_;
  int depth_ = 0;
  ChangeSet pending_;
  bool failed_ = false;
};

}  // namespace brindlemar::gtk
