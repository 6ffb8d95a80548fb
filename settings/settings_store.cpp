#include "settings/settings_store.h"

#include <cstring>

namespace brindlemar {

// Values are read by their size, whatever registry type they were stored
// with: tools and hand edits write a DWORD as four binary bytes or a string
// as an expandable one, and the saver has always taken those.
bool ReadDword(SettingsStore& store, std::string_view key, std::string_view name, int32_t& value) {
  StoredValue v;
  if (!store.QueryValue(key, name, 4, v) || v.data.size() != 4) return false;
  value = static_cast<int32_t>(v.data[0] | (v.data[1] << 8) | (v.data[2] << 16) | (static_cast<uint32_t>(v.data[3]) << 24));
  return true;
}

bool ReadString(SettingsStore& store, std::string_view key, std::string_view name, size_t maxBytes,
                std::string& value) {
  StoredValue v;
  if (!store.QueryValue(key, name, maxBytes, v)) return false;
  // The text ends at the first NUL, wherever the stored bytes put it.
  size_t length = 0;
  while (length < v.data.size() && v.data[length] != 0) ++length;
  value.assign(reinterpret_cast<const char*>(v.data.data()), length);
  return true;
}

bool ReadBinary(SettingsStore& store, std::string_view key, std::string_view name, size_t maxBytes,
                std::vector<uint8_t>& value) {
  StoredValue v;
  if (!store.QueryValue(key, name, maxBytes, v)) return false;
  value = std::move(v.data);
  return true;
}

StoredValue DwordValue(int32_t value) {
  const uint32_t u = static_cast<uint32_t>(value);
  return StoredValue{ValueType::kDword, {static_cast<uint8_t>(u), static_cast<uint8_t>(u >> 8),
                                         static_cast<uint8_t>(u >> 16), static_cast<uint8_t>(u >> 24)}};
}

bool WriteDword(SettingsStore& store, std::string_view key, std::string_view name, int32_t value) {
  return store.SetValue(key, name, DwordValue(value));
}

bool WriteString(SettingsStore& store, std::string_view key, std::string_view name, std::string_view value) {
  StoredValue v{ValueType::kString, std::vector<uint8_t>(value.begin(), value.end())};
  v.data.push_back(0);
  return store.SetValue(key, name, v);
}

bool WriteBinary(SettingsStore& store, std::string_view key, std::string_view name, const std::vector<uint8_t>& value) {
  return store.SetValue(key, name, StoredValue{ValueType::kBinary, value});
}

}  // namespace brindlemar
