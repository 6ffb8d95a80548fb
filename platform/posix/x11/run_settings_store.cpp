#include "platform/posix/x11/run_settings_store.h"

#include <algorithm>

namespace brindlemar::x11 {

void RunSettingsStore::Override(std::string_view key, std::string_view name, StoredValue value) {
  values_[{std::string(key), std::string(name)}] = std::move(value);
}

void RunSettingsStore::OverrideDword(std::string_view key, std::string_view name, int32_t value) {
  StoredValue v;
  v.type = ValueType::kDword;
  const uint32_t bits = static_cast<uint32_t>(value);
  v.data = {static_cast<uint8_t>(bits), static_cast<uint8_t>(bits >> 8), static_cast<uint8_t>(bits >> 16),
            static_cast<uint8_t>(bits >> 24)};
  Override(key, name, std::move(v));
}

void RunSettingsStore::OverrideString(std::string_view key, std::string_view name, std::string_view value) {
  StoredValue v;
  v.type = ValueType::kString;
  v.data.assign(value.begin(), value.end());
  v.data.push_back(0);
  Override(key, name, std::move(v));
}

bool RunSettingsStore::OpenKey(std::string_view key) {
  if (!values_.empty() && key == kProductKey) return true;
  for (const auto& [where, value] : values_) {
    if (where.first == key) return true;
  }
  return user_.OpenKey(key);
}

bool RunSettingsStore::QueryValue(std::string_view key, std::string_view name, size_t maxBytes, StoredValue& out) {
  auto found = values_.find({std::string(key), std::string(name)});
  if (found == values_.end()) return user_.QueryValue(key, name, maxBytes, out);
  if (found->second.data.size() > maxBytes) return false;
  out = found->second;
  return true;
}

std::vector<std::string> RunSettingsStore::EnumerateValues(std::string_view key) {
  std::vector<std::string> names = user_.EnumerateValues(key);
  for (const auto& [where, value] : values_) {
    if (where.first == key && std::find(names.begin(), names.end(), where.second) == names.end()) {
      names.push_back(where.second);
    }
  }
  return names;
}

}  // namespace brindlemar::x11
