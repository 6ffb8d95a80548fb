// The settings store outside Windows: the current user's keys kept in one
// Registry Editor file, "settings.reg" in the "REGEDIT4" form, in a directory
// of their own (see UserConfigDirectory). Store keys live under
// HKEY_CURRENT_USER in the file.
//
// Every change, and every set of changes (ApplyChanges), is a locked
// read-modify-write of the whole file: an exclusive lock on "settings.lock"
// beside it, the file read afresh, the change applied, a temporary file
// written beside the file, flushed to disk and renamed over it. Readers thus
// always see a whole file, and processes writing at the same time all keep
// their changes. A settings file that is a symbolic link is written through
// the link: the temporary file goes beside the link's target and replaces
// it there. Temporary files of ours that an ended writer left behind are
// removed by the next change.
//
// Reads parse the file once and keep it while it is unchanged (same inode,
// size and modification time; each replacement carries a later modification
// time than the file it replaces), so the writes of other processes are seen
// at once and a value costs a lookup, not a parse.
//
// Only content is damage: a file that does not parse, or is larger than
// kMaxSettingsFileBytes, is reported once on standard error, renamed aside
// ("settings.reg.damaged-<date>-<time>", with a counter when that name is
// taken) and the store starts empty. A file that cannot be read (no
// permission, no descriptors or memory left, an input error, not a regular
// file) is reported once and left as it is: the store reads as empty and
// refuses every change until it can be read again. A change that cannot be
// saved (disk full, ...) is reported once for each reason, and a change that
// would make the file larger than the limit is refused.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <set>
#include <string>

#include "platform/posix/file_system.h"
#include "platform/posix/reg_file.h"
#include "settings/settings_store.h"

namespace brindlemar::posix {

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
  explicit FileStore(const std::string& directory, FileSystem& files = SystemFileSystem());

  bool OpenKey(std::string_view key) override;
  bool CreateKey(std::string_view key, bool* created) override;
  bool QueryValue(std::string_view key, std::string_view name, size_t maxBytes, StoredValue& out) override;
  bool SetValue(std::string_view key, std::string_view name, const StoredValue& value) override;
  bool DeleteValue(std::string_view key, std::string_view name) override;
  bool DeleteKey(std::string_view key) override;
  std::vector<std::string> EnumerateValues(std::string_view key) override;
  ChangeResult ApplyChanges(const ChangeSet& changes) override;

 private:
  enum class Change { kRefused, kNone, kMade };

  // Which file a parsed tree came from.
  struct Identity {
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    int64_t modifiedSeconds = 0;
    int64_t modifiedNanoseconds = 0;
    bool operator==(const Identity&) const = default;
  };
  // The file as this store last read or wrote it.
  struct Snapshot {
    bool valid = false;
    Identity identity;
    std::string bytes;
    RegTree tree;
  };

  // The tree to read from: the snapshot while the file is unchanged.
  const RegTree& Current();
  // Brings the snapshot up to date while the lock is held; a damaged file is
  // set aside. False when the file must not be replaced: it cannot be read,
  // or it is damaged and stays in place.
  bool LoadLocked();
  bool Modify(const std::function<Change(RegTree&)>& change);
  // Writes the bytes in place of the settings file (its link's target).
  bool Replace(const std::string& bytes);
  // The path a write replaces: the settings file, or the end of its chain
  // of symbolic links. Empty, with errno set, when the chain is broken.
  std::string WriteTarget();
  void RemoveStaleTemporaries(const std::string& directory, const std::string& target);
  // Renames the damaged file aside and reports it; false when it stays.
  bool SetAside(const std::string& reason, const std::string& identity);
  void ReportUnreadable(const std::string& reason);
  void ReportUnsaved(const std::string& path, const std::string& reason);

  FileSystem& files_;
  std::string directory_;
  std::string filePath_;
  std::string lockPath_;
  Snapshot snapshot_;
  // What a read hands out when there is no usable file.
  const RegTree empty_;
  // The last problems reported, so that each is reported once.
  std::string reportedDamage_;
  std::set<std::string> reportedUnreadable_;
  std::set<std::string> reportedUnsaved_;
};

}  // namespace brindlemar::posix
