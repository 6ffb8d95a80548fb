// SettingsStore: the hierarchical key-value store that keeps every setting of
// the saver, shaped after the current user's registry. Keys are paths such as
// "Software\\Tessaloom\\Brindlemar\\Config"; values are typed strings,
// 32-bit DWORDs or binary blobs. The registry serves on Windows, a file
// store elsewhere, and a store in memory in tests.
//
// The small helpers below read a value into a caller's variable by its size,
// whatever its registry type, and leave the caller's default in place when
// the value is missing, of another size (a DWORD), or larger than the caller
// allows.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace brindlemar {

inline constexpr const char* kProductKey = "Software\\Tessaloom\\Brindlemar";
inline constexpr const char* kConfigKey = "Software\\Tessaloom\\Brindlemar\\Config";
inline constexpr const char* kFavoritesKey = "Software\\Tessaloom\\Brindlemar\\Favorites";
inline constexpr const char* kMessagesKey = "Software\\Tessaloom\\Brindlemar\\Messages";
inline constexpr const char* kBackupKey = "Software\\Tessaloom\\Brindlemar\\Backup";
inline constexpr const char* kDesktopKey = "Control Panel\\Desktop";

enum class ValueType : int32_t { kString = 1, kBinary = 3, kDword = 4 };

struct StoredValue {
  ValueType type = ValueType::kBinary;
  // A string's bytes carry its terminating NUL, as the registry keeps them.
  std::vector<uint8_t> data;
};

struct ChangeSet;
// kChanged: a value the set expected was not as expected (settings/change_set.h).
enum class ChangeResult : int32_t { kMade, kKeyExisted, kFailed, kChanged };

class SettingsStore {
 public:
  virtual ~SettingsStore() = default;

  // Whether the key can be opened for reading.
  virtual bool OpenKey(std::string_view key) = 0;
  // Creates the key (and its parents) or opens it for writing; *created tells
  // which. False when it can be neither.
  virtual bool CreateKey(std::string_view key, bool* created) = 0;
  // False when the key or value is missing or the value is larger than
  // maxBytes; out is then untouched.
  virtual bool QueryValue(std::string_view key, std::string_view name, size_t maxBytes, StoredValue& out) = 0;
  virtual bool SetValue(std::string_view key, std::string_view name, const StoredValue& value) = 0;
  virtual bool DeleteValue(std::string_view key, std::string_view name) = 0;
  // Deletes the key with all its subkeys and values.
  virtual bool DeleteKey(std::string_view key) = 0;
  // Value names of the key in their stored order; empty when it is missing.
  virtual std::vector<std::string> EnumerateValues(std::string_view key) = 0;
  // Makes every change of the set as one change (settings/change_set.h):
  // kMade, kKeyExisted or kChanged when its conditions held it back, kFailed
  // when it was not made. This default makes the changes one at a time and
  // may leave a part made, and another writer may come between its look at
  // the conditions and the changes; the stores of the program override it,
  // and a store that wraps another must pass it on.
  virtual ChangeResult ApplyChanges(const ChangeSet& changes);
};

// Reads a 4-byte DWORD into value; anything else leaves value as it was.
bool ReadDword(SettingsStore& store, std::string_view key, std::string_view name, int32_t& value);
// Reads a string of at most maxBytes bytes (its NUL included).
bool ReadString(SettingsStore& store, std::string_view key, std::string_view name, size_t maxBytes,
                std::string& value);
// Reads binary data of at most maxBytes bytes.
bool ReadBinary(SettingsStore& store, std::string_view key, std::string_view name, size_t maxBytes,
                std::vector<uint8_t>& value);

// A DWORD as the store keeps it: four bytes, least significant first.
StoredValue DwordValue(int32_t value);

bool WriteDword(SettingsStore& store, std::string_view key, std::string_view name, int32_t value);
bool WriteString(SettingsStore& store, std::string_view key, std::string_view name, std::string_view value);
bool WriteBinary(SettingsStore& store, std::string_view key, std::string_view name, const std::vector<uint8_t>& value);

}  // namespace brindlemar
