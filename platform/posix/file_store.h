// The settings store outside Windows: the current user's keys kept in one
// Registry Editor file, "settings.reg" in the "REGEDIT4" form, in a directory
// of their own (see UserConfigDirectory). Store keys live under
// HKEY_CURRENT_USER in the file.
//
// Every change is a locked read-modify-write of the whole file: an exclusive
// lock on "settings.lock" beside it, the file read afresh, the change
// applied, a temporary file written, flushed to disk and renamed over the old
// one. Readers thus always see a whole file, and processes writing at the same
// time all keep their changes. Reads take the file afresh every time, so the
// writes of other processes are seen at once.
//
// A file that cannot be read or parsed, or is larger than
// kMaxSettingsFileBytes, is reported once on standard error, renamed aside
// ("settings.reg.damaged-<date>-<time>", with a counter when that name is
// taken) and the store starts empty. A change that would make the file larger
// than that limit is refused.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

#include "settings/settings_store.h"

namespace brindlemar::posix {

class RegTree;

inline constexpr const char* kSettingsFileName = "settings.reg";
inline constexpr const char* kLockFileName = "settings.lock";
inline constexpr size_t kMaxSettingsFileBytes = 16u << 20;

// The directory of the user's settings: configDir ($BRINDLEMAR_CONFIG_DIR),
// else xdgConfigHome/brindlemar when xdgConfigHome ($XDG_CONFIG_HOME) is an
// absolute path, else home/.config/brindlemar. Null and empty arguments count
// as unset; the result is empty when all are.
std::string UserConfigDirectory(const char* configDir, const char* xdgConfigHome, const char* home);

class FileStore final : public SettingsStore {
 public:
  // The directory is created with the first change. An empty directory gives
  // a store that stays empty and refuses every change.
  explicit FileStore(const std::string& directory);

  bool OpenKey(std::string_view key) override;
  bool CreateKey(std::string_view key, bool* created) override;
  bool QueryValue(std::string_view key, std::string_view name, size_t maxBytes, StoredValue& out) override;
  bool SetValue(std::string_view key, std::string_view name, const StoredValue& value) override;
  bool DeleteValue(std::string_view key, std::string_view name) override;
  bool DeleteKey(std::string_view key) override;
  std::vector<std::string> EnumerateValues(std::string_view key) override;

 private:
  enum class Change { kRefused, kNone, kMade };

  RegTree Load();
  // Reads the file while the lock is held; a damaged file is set aside. False
  // when the file is damaged and stays in place, so it must not be replaced.
  bool LoadLocked(RegTree& tree);
  bool Modify(const std::function<Change(RegTree&)>& change);
  bool Replace(const std::string& bytes);
  // Renames the damaged file aside and reports it; false when it stays.
  bool SetAside(const std::string& reason, const std::string& identity);

  std::string directory_;
  std::string filePath_;
  std::string lockPath_;
  // The damaged file last reported but not moved, so it is reported once.
  std::string reportedIdentity_;
};

}  // namespace brindlemar::posix
