#include "platform/posix/gtk/settings_window_store.h"

#include <algorithm>
#include <cctype>
#include <string>
#include <utility>

namespace brindlemar::gtk {
namespace {

constexpr std::string_view kDisplayModeValues[] = {"DirectDraw", "ScreenResX", "ScreenResY", "ScreenResBits"};

// Key paths and value names compare without regard to ASCII case, as the
// stores compare them.
bool SameText(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

// Whether key is ancestor itself or lies below it.
bool AtOrBelow(std::string_view key, std::string_view ancestor) {
  if (key.size() == ancestor.size()) return SameText(key, ancestor);
  return key.size() > ancestor.size() && key[ancestor.size()] == '\\' &&
         SameText(key.substr(0, ancestor.size()), ancestor);
}

bool Related(std::string_view a, std::string_view b) { return AtOrBelow(a, b) || AtOrBelow(b, a); }

}  // namespace

bool IsDisplayModeValue(std::string_view key, std::string_view name) {
  if (!SameText(key, kConfigKey)) return false;
  return std::any_of(std::begin(kDisplayModeValues), std::end(kDisplayModeValues),
                     [&](std::string_view kept) { return SameText(name, kept); });
}

void SettingsWindowStore::BeginAction() {
  if (depth_++ == 0) failed_ = false;
}

bool SettingsWindowStore::EndAction() {
  if (depth_ > 0) --depth_;
  if (depth_ > 0) return true;
  MakePendingChanges();
  return !failed_;
}

bool SettingsWindowStore::MakePendingChanges() {
  if (pending_.changes.empty()) return true;
  ChangeSet changes = std::move(pending_);
  pending_ = ChangeSet{};
  const bool made = user_.ApplyChanges(changes) == ChangeResult::kMade;
  if (!made) failed_ = true;
  return made;
}

void SettingsWindowStore::SettleKey(std::string_view key) {
  for (const StoreChange& change : pending_.changes) {
    if (Related(change.key, key)) {
      MakePendingChanges();
      return;
    }
  }
}

bool SettingsWindowStore::KeyWillExist(std::string_view key) {
  for (auto it = pending_.changes.rbegin(); it != pending_.changes.rend(); ++it) {
    switch (it->kind) {
      case StoreChange::Kind::kCreateKey:
      case StoreChange::Kind::kSetValue:
        if (AtOrBelow(it->key, key)) return true;
        break;
      case StoreChange::Kind::kDeleteKey:
        if (AtOrBelow(key, it->key)) return false;
        break;
      case StoreChange::Kind::kDeleteValue:
        break;
    }
  }
  return user_.OpenKey(key);
}

bool SettingsWindowStore::OpenKey(std::string_view key) {
  SettleKey(key);
  return user_.OpenKey(key);
}

bool SettingsWindowStore::CreateKey(std::string_view key, bool* created) {
  if (!Collecting()) return user_.CreateKey(key, created);
  if (created) *created = !KeyWillExist(key);
  pending_.CreateKey(key);
  return true;
}

bool SettingsWindowStore::QueryValue(std::string_view key, std::string_view name, size_t maxBytes,
                                     StoredValue& out) {
  SettleKey(key);
  return user_.QueryValue(key, name, maxBytes, out);
}

bool SettingsWindowStore::SetValue(std::string_view key, std::string_view name, const StoredValue& value) {
  if (IsDisplayModeValue(key, name)) return true;
  if (!Collecting()) return user_.SetValue(key, name, value);
  // As the store itself would: a value needs its key.
  if (!KeyWillExist(key)) return false;
  pending_.SetValue(key, name, value);
  return true;
}

bool SettingsWindowStore::DeleteValue(std::string_view key, std::string_view name) {
  if (IsDisplayModeValue(key, name)) return true;
  if (!Collecting()) return user_.DeleteValue(key, name);
  if (!KeyWillExist(key)) return false;
  pending_.DeleteValue(key, name);
  return true;
}

bool SettingsWindowStore::DeleteKey(std::string_view key) {
  if (!Collecting()) return user_.DeleteKey(key);
  const bool existed = KeyWillExist(key);
  pending_.DeleteKey(key);
  return existed;
}

std::vector<std::string> SettingsWindowStore::EnumerateValues(std::string_view key) {
  SettleKey(key);
  return user_.EnumerateValues(key);
}

ChangeResult SettingsWindowStore::ApplyChanges(const ChangeSet& changes) {
  // A set with a condition is made on its own, after what is pending.
  MakePendingChanges();
  ChangeSet kept;
  kept.unlessKeyExists = changes.unlessKeyExists;
  kept.expected = changes.expected;
  for (const StoreChange& change : changes.changes) {
    const bool value = change.kind == StoreChange::Kind::kSetValue || change.kind == StoreChange::Kind::kDeleteValue;
    if (!(value && IsDisplayModeValue(change.key, change.name))) kept.changes.push_back(change);
  }
  const ChangeResult result = user_.ApplyChanges(kept);
  if (result == ChangeResult::kFailed) failed_ = true;
  return result;
}

}  // namespace brindlemar::gtk
