#include "platform/win32/registry_store.h"

#include <windows.h>

#include <algorithm>
#include <limits>
#include <string>

#include "settings/change_set.h"

namespace brindlemar::win32 {
namespace {

// Value names run to 16383 characters.
constexpr DWORD kMaxValueName = 16384;
// The mutex that makes our processes' sets of changes one at a time. A
// process that holds it does so for a few registry writes; one that waits
// longer than this goes ahead rather than hang a saver.
constexpr const char* kChangesMutexName = "Local\\Tessaloom.Brindlemar.SettingsChanges";
constexpr DWORD kChangesMutexWaitMs = 10000;

bool HasNul(std::string_view text) { return text.find('\0') != std::string_view::npos; }

bool IsKeyPath(std::string_view path) {
  return !path.empty() && path.front() != '\\' && path.back() != '\\' && path.find("\\\\") == std::string_view::npos &&
         !HasNul(path);
}

// A key of HKEY_CURRENT_USER opened for the given access, closed again when
// the object goes.
class OpenedKey {
 public:
  OpenedKey(std::string_view path, REGSAM access) {
    HKEY key = nullptr;
    if (IsKeyPath(path) &&
        RegOpenKeyExA(HKEY_CURRENT_USER, std::string(path).c_str(), 0, access, &key) == ERROR_SUCCESS) {
      key_ = key;
    }
  }
  ~OpenedKey() {
    if (key_) RegCloseKey(key_);
  }
  OpenedKey(const OpenedKey&) = delete;
  OpenedKey& operator=(const OpenedKey&) = delete;

  explicit operator bool() const { return key_ != nullptr; }
  HKEY Get() const { return key_; }

 private:
  HKEY key_ = nullptr;
};

// The named mutex, held for the lifetime of the object. An abandoned mutex
// (its holder ended) is held all the same: its journal is then completed.
class ChangesLock {
 public:
  ChangesLock() : mutex_(CreateMutexA(nullptr, FALSE, kChangesMutexName)) {
    if (!mutex_) return;
    DWORD waited = WaitForSingleObject(mutex_, kChangesMutexWaitMs);
    held_ = waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
  }
  ~ChangesLock() {
    if (held_) ReleaseMutex(mutex_);
    if (mutex_) CloseHandle(mutex_);
  }
  ChangesLock(const ChangesLock&) = delete;
  ChangesLock& operator=(const ChangesLock&) = delete;

 private:
  HANDLE mutex_;
  bool held_ = false;
};

// Whether a change of a journal is one this store makes: a key below the
// product key and, for a value, one of the types it writes. A journal is a
// value of the user's own registry that anything may have written.
bool OursToMake(const StoreChange& change, ErrorReporter& reporter) {
  const std::string_view product = kProductKey;
  const std::string_view key = change.key;
  auto fold = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; };
  const bool below = key.size() > product.size() && key[product.size()] == '\\' &&
                     std::equal(product.begin(), product.end(), key.begin(),
                                [&](char a, char b) { return fold(a) == fold(b); });
  if (!below) {
    reporter.Report("an unfinished change names the key " + std::string(change.key.c_str()) + ", outside " +
                    kProductKey + "; left out");
    return false;
  }
  if (change.kind != StoreChange::Kind::kSetValue) return true;
  switch (change.value.type) {
    case ValueType::kString:
    case ValueType::kBinary:
    case ValueType::kDword:
      return true;
  }
  reporter.Report("an unfinished change sets " + std::string(change.name.c_str()) + " in " + change.key.c_str() +
                  " as a value of type " + std::to_string(static_cast<int32_t>(change.value.type)) + "; left out");
  return false;
}

}  // namespace

bool RegistryStore::OpenKey(std::string_view key) { return static_cast<bool>(OpenedKey(key, KEY_READ)); }

bool RegistryStore::CreateKey(std::string_view key, bool* created) {
  if (!IsKeyPath(key)) return false;
  HKEY handle = nullptr;
  DWORD disposition = 0;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, std::string(key).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                      KEY_READ | KEY_WRITE, nullptr, &handle, &disposition) != ERROR_SUCCESS) {
    return false;
  }
  RegCloseKey(handle);
  if (created) *created = disposition == REG_CREATED_NEW_KEY;
  return true;
}

bool RegistryStore::QueryValue(std::string_view key, std::string_view name, size_t maxBytes, StoredValue& out) {
  if (HasNul(name)) return false;
  OpenedKey opened(key, KEY_QUERY_VALUE);
  if (!opened) return false;
  std::string valueName(name);
  DWORD type = 0;
  DWORD size = 0;
  if (RegQueryValueExA(opened.Get(), valueName.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return false;
  // The size asked for first may overstate a string (the registry keeps it
  // as UTF-16), and the value may change between the two calls: read into
  // the smaller of it and the caller's limit, and ask again if it grew.
  for (int attempt = 0; attempt < 3; ++attempt) {
    DWORD capacity = static_cast<DWORD>(std::min<size_t>(size, maxBytes));
    std::vector<uint8_t> data(std::max<DWORD>(capacity, 1));
    DWORD got = capacity;
    LONG result = RegQueryValueExA(opened.Get(), valueName.c_str(), nullptr, &type, data.data(), &got);
    if (result == ERROR_SUCCESS) {
      data.resize(got);
      out.type = static_cast<ValueType>(type);
      out.data = std::move(data);
      return true;
    }
    if (result != ERROR_MORE_DATA || capacity >= maxBytes) return false;
    size = got;
  }
  return false;
}

bool RegistryStore::SetValue(std::string_view key, std::string_view name, const StoredValue& value) {
  if (HasNul(name) || value.data.size() > MAXDWORD) return false;
  OpenedKey opened(key, KEY_SET_VALUE);
  if (!opened) return false;
  static const BYTE kNoData = 0;
  const BYTE* data = value.data.empty() ? &kNoData : value.data.data();
  return RegSetValueExA(opened.Get(), std::string(name).c_str(), 0, static_cast<DWORD>(value.type), data,
                        static_cast<DWORD>(value.data.size())) == ERROR_SUCCESS;
}

bool RegistryStore::DeleteValue(std::string_view key, std::string_view name) {
  if (HasNul(name)) return false;
  OpenedKey opened(key, KEY_SET_VALUE);
  return opened && RegDeleteValueA(opened.Get(), std::string(name).c_str()) == ERROR_SUCCESS;
}

bool RegistryStore::DeleteKey(std::string_view key) {
  return IsKeyPath(key) && RegDeleteTreeA(HKEY_CURRENT_USER, std::string(key).c_str()) == ERROR_SUCCESS;
}

std::vector<std::string> RegistryStore::EnumerateValues(std::string_view key) {
  std::vector<std::string> names;
  OpenedKey opened(key, KEY_QUERY_VALUE);
  if (!opened) return names;
  std::vector<char> name(kMaxValueName);
  for (DWORD index = 0;; ++index) {
    DWORD length = kMaxValueName;
    LONG result = RegEnumValueA(opened.Get(), index, name.data(), &length, nullptr, nullptr, nullptr, nullptr);
    if (result == ERROR_SUCCESS) {
      names.emplace_back(name.data(), length);
    } else if (result != ERROR_MORE_DATA) {
      break;
    }
  }
  return names;
}

void RegistryStore::CompletePendingChanges() {
  StoredValue journal;
  if (!QueryValue(kProductKey, kPendingChangesValue, std::numeric_limits<size_t>::max(), journal)) return;
  ChangeSet pending;
  if (DecodeChanges(journal.data, pending)) {
    ChangeSet ours;
    for (const StoreChange& change : pending.changes) {
      if (OursToMake(change, reporter_)) ours.changes.push_back(change);
    }
    MakeChangesOneByOne(*this, ours);
  }
  DeleteValue(kProductKey, kPendingChangesValue);
}

ChangeResult RegistryStore::ApplyChanges(const ChangeSet& changes) {
  ChangesLock lock;
  CompletePendingChanges();
  if (!changes.unlessKeyExists.empty() && OpenKey(changes.unlessKeyExists)) return ChangeResult::kKeyExisted;
  // What the set was worked out from, read again while no other set of ours
  // can be made.
  if (!ExpectationsHold(*this, changes)) return ChangeResult::kChanged;
  // Without its journal a set is still made, only not completed after a crash.
  bool journaled = CreateKey(kProductKey, nullptr) &&
                   SetValue(kProductKey, kPendingChangesValue, StoredValue{ValueType::kBinary, EncodeChanges(changes)});
  bool made = MakeChangesOneByOne(*this, changes);
  if (journaled) DeleteValue(kProductKey, kPendingChangesValue);
  return made ? ChangeResult::kMade : ChangeResult::kFailed;
}

}  // namespace brindlemar::win32
