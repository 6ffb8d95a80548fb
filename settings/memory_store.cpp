#include "settings/memory_store.h"

#include <algorithm>
#include <cctype>
#include <utility>

#include "settings/change_set.h"

namespace brindlemar {
namespace {

std::string Folded(std::string_view text) {
  std::string s(text);
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

bool SameName(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

}  // namespace

MemoryStore::Key* MemoryStore::Find(std::string_view key) {
  auto it = keys_.find(Folded(key));
  return it == keys_.end() ? nullptr : &it->second;
}

StoredValue* MemoryStore::FindValue(Key& key, std::string_view name) {
  for (auto& [valueName, value] : key.values) {
    if (SameName(valueName, name)) return &value;
  }
  return nullptr;
}

bool MemoryStore::OpenKey(std::string_view key) { return Find(key) != nullptr; }

bool MemoryStore::CreateKey(std::string_view key, bool* created) {
  std::string path = Folded(key);
  bool isNew = keys_.find(path) == keys_.end();
  // Parents come into being with their children, as in the registry.
  for (size_t at = path.find('\\'); at != std::string::npos; at = path.find('\\', at + 1)) {
    keys_.try_emplace(path.substr(0, at));
  }
  keys_.try_emplace(path);
  if (created) *created = isNew;
  return true;
}

bool MemoryStore::QueryValue(std::string_view key, std::string_view name, size_t maxBytes, StoredValue& out) {
  Key* k = Find(key);
  StoredValue* v = k ? FindValue(*k, name) : nullptr;
  if (!v || v->data.size() > maxBytes) return false;
  out = *v;
  return true;
}

bool MemoryStore::SetValue(std::string_view key, std::string_view name, const StoredValue& value) {
  Key* k = Find(key);
  if (!k) return false;
  if (StoredValue* v = FindValue(*k, name)) {
    *v = value;
  } else {
    k->values.emplace_back(std::string(name), value);
  }
  return true;
}

bool MemoryStore::DeleteValue(std::string_view key, std::string_view name) {
  Key* k = Find(key);
  if (!k) return false;
  auto it = std::find_if(k->values.begin(), k->values.end(), [&](const auto& v) { return SameName(v.first, name); });
  if (it == k->values.end()) return false;
  k->values.erase(it);
  return true;
}

bool MemoryStore::DeleteKey(std::string_view key) {
  std::string path = Folded(key);
  if (keys_.erase(path) == 0) return false;
  std::string prefix = path + "\\";
  for (auto it = keys_.lower_bound(prefix); it != keys_.end() && it->first.starts_with(prefix);) {
    it = keys_.erase(it);
  }
  return true;
}

std::vector<std::string> MemoryStore::EnumerateValues(std::string_view key) {
  std::vector<std::string> names;
  if (Key* k = Find(key)) {
    for (const auto& v : k->values) names.push_back(v.first);
  }
  return names;
}

ChangeResult MemoryStore::ApplyChanges(const ChangeSet& changes) {
  if (!changes.unlessKeyExists.empty() && OpenKey(changes.unlessKeyExists)) return ChangeResult::kKeyExisted;
  if (!ExpectationsHold(*this, changes)) return ChangeResult::kChanged;
  std::map<std::string, Key> before = keys_;
  if (MakeChangesOneByOne(*this, changes)) return ChangeResult::kMade;
  keys_ = std::move(before);
  return ChangeResult::kFailed;
}

}  // namespace brindlemar
