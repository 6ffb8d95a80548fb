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
// Only content is damage. A file whose lines cannot all be read loses those
// lines and nothing else: under the lock the file as it was is copied aside
// byte for byte ("settings.reg.damaged-<date>-<time>", with a counter when
// that name is taken; a copy of the same bytes already there serves again)
// and replaced by what could be read, and the lines left out are said once
// through the store's reporter. A file that is no Registry Editor file at all, or is larger
// than kMaxSettingsFileBytes, is renamed aside whole and the store starts
// empty. A file that cannot be read (no permission, no descriptors or memory
// left, an input error, not a regular file) is reported once and left as it
// is: the store reads as empty and refuses every change until it can be read
// again. A file its owner may not write (chmod u-w) is read-only: it is read,
// its damage left in place, and every change that would alter it is refused.
// A change that cannot be saved (disk full, ...) is reported once for each
// reason, and a change that would make the file larger than the limit is
// refused. A change that leaves the settings as they are writes nothing.
#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "platform/posix/file_system.h"
#include "platform/posix/reg_file.h"
#include "settings/error_reporter.h"
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

// Damage the store found in the settings file, for a program that shows it.
struct SettingsFileDamage {
  // The lines left out of a file read in part.
  std::vector<DroppedLines> dropped;
  // Why the whole file was set aside; empty when it was read in part.
  std::string wholeFile;
  // Where the file as it was is kept; empty when it stays in place as it was.
  std::string keptAs;

  bool Found() const { return !dropped.empty() || !wholeFile.empty(); }
};

class FileStore final : public SettingsStore {
 public:
  // The directory is created with the first change. An empty directory gives
  // a store that stays empty and refuses every change. What the store finds
  // wrong with the file, and the changes it cannot save, it says through
  // reporter, which must outlive it.
  FileStore(const std::string& directory, ErrorReporter& reporter, FileSystem& files = SystemFileSystem());

  bool OpenKey(std::string_view key) override;
  bool CreateKey(std::string_view key, bool* created) override;
  bool QueryValue(std::string_view key, std::string_view name, size_t maxBytes, StoredValue& out) override;
  bool SetValue(std::string_view key, std::string_view name, const StoredValue& value) override;
  bool DeleteValue(std::string_view key, std::string_view name) override;
  bool DeleteKey(std::string_view key) override;
  std::vector<std::string> EnumerateValues(std::string_view key) override;
  ChangeResult ApplyChanges(const ChangeSet& changes) override;

  // The damage found since the last call (Found() is false when none was).
  SettingsFileDamage TakeDamage();
  // Why the settings file could not be read at the last read; empty when it
  // could, or is missing.
  const std::string& Unreadable() const { return unreadable_; }
  // Whether the settings file is there and its owner may not write it.
  bool ReadOnly();
  // Why the last change was not made, for a person ("No space left on
  // device (/home/u/.config/brindlemar)"); empty after one that was made,
  // and when the change itself was refused (a value of a missing key).
  const std::string& LastFailure() const { return lastFailure_; }

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
    // The identity of the file stat describes.
    static Identity Of(const struct stat& info);
    // As text: what tells one damaged file from another.
    std::string Text() const;
  };
  // The file as this store last read or wrote it.
  struct Snapshot {
    bool valid = false;
    Identity identity;
    std::string bytes;
    RegTree tree;
    // The file has lines left out of the tree that are kept nowhere else:
    // replacing it would lose them.
    bool damaged = false;
  };

  // The tree to read from: the snapshot while the file is unchanged.
  const RegTree& Current();
  // Brings the snapshot up to date while the lock is held (locked false: it
  // could not be had): a file read in part is kept aside and replaced by
  // what was read, a file that is none is set aside. False when there is
  // nothing to read from: the file cannot be read, or is damaged whole and
  // stays in place.
  bool LoadLocked(bool locked);
  bool Modify(const std::function<Change(RegTree&)>& change);
  // Writes the bytes in place of the settings file (its link's target).
  bool Replace(const std::string& bytes);
  // The path a write replaces: the settings file, or the end of its chain
  // of symbolic links. Empty, with errno set, when the chain is broken.
  std::string WriteTarget();
  // Whether the file at path is there and its owner may not write it.
  bool ReadOnlyFile(const std::string& path);
  void RemoveStaleTemporaries(const std::string& directory, const std::string& target);
  // A name beside target for a damaged file that no file has.
  std::string DamagedName(const std::string& target);
  // A copy of bytes kept beside target before, or a new one; empty, with
  // errno set, when none can be made.
  std::string KeepCopy(const std::string& target, const std::string& bytes);
  // Keeps the damaged file in the snapshot aside and writes what was read
  // of it in its place, under the lock only; the snapshot stays damaged
  // when that cannot be done.
  void KeepReadable(const std::vector<DroppedLines>& dropped, const std::string& identity, bool locked);
  // Renames the damaged file aside and reports it; false when it stays.
  bool SetAside(const std::string& reason, const std::string& identity);
  void ReportUnreadable(const std::string& reason);
  void ReportUnsaved(const std::string& path, const std::string& reason);
  void ReportDropped(const std::vector<DroppedLines>& dropped, const std::string& outcome);

  ErrorReporter& reporter_;
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
  SettingsFileDamage damage_;
  std::string unreadable_;
  std::string lastFailure_;
};

}  // namespace brindlemar::posix
