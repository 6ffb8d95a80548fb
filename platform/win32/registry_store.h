// The settings store on Windows: the registry of the current user
// (HKEY_CURRENT_USER) through the narrow-character advapi32 functions, so
// strings pass through the ANSI code page as the registry converts them.
// Deleting a key takes its subkeys with it. Key paths that are empty or have
// an empty level ("A\\", "A\\\\B") are refused rather than handed to the
// registry, where they could name a whole hive.
#pragma once

#include "settings/settings_store.h"

namespace brindlemar::win32 {

class RegistryStore final : public SettingsStore {
 public:
  bool OpenKey(std::string_view key) override;
  bool CreateKey(std::string_view key, bool* created) override;
  bool QueryValue(std::string_view key, std::string_view name, size_t maxBytes, StoredValue& out) override;
  bool SetValue(std::string_view key, std::string_view name, const StoredValue& value) override;
  bool DeleteValue(std::string_view key, std::string_view name) override;
  bool DeleteKey(std::string_view key) override;
  std::vector<std::string> EnumerateValues(std::string_view key) override;
};

}  // namespace brindlemar::win32
