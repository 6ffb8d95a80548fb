#include "platform/posix/file_store.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <ctime>
#include <system_error>
#include <utility>

#include "settings/change_set.h"

namespace brindlemar::posix {
namespace {

constexpr std::string_view kHive = "HKEY_CURRENT_USER\\";
constexpr std::string_view kTemporaryInfix = ".tmp-";
constexpr std::string_view kDamagedInfix = ".damaged-";
constexpr const char* kReadOnly = "the file is read-only";
// What the store says of a file over kMaxSettingsFileBytes.
std::string LargerThanLimit() { return "larger than " + std::to_string(kMaxSettingsFileBytes >> 20) + " MiB"; }
// mkostemp's six characters.
constexpr size_t kTemporarySuffix = 6;
// As many links as the kernel follows in one path.
constexpr int kMaxLinks = 40;

std::string TreePath(std::string_view key) {
  std::string path(kHive);
  path += key;
  return path;
}

bool IsValueName(std::string_view name) {
  return name.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos;
}

std::string ErrorText(int error) { return std::error_code(error, std::generic_category()).message(); }

// Repeats a call that a signal interrupted.
template <typename Call>
auto Retried(Call call) {
  auto result = call();
  while (result < 0 && errno == EINTR) result = call();
  return result;
}

std::string DirectoryOf(const std::string& path) {
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// An exclusive lock on the lock file for the lifetime of the object. flock
// rather than fcntl: its locks belong to the open file, so two stores in one
// process exclude each other just as two processes do.
class FileLock {
 public:
  FileLock(FileSystem& files, const std::string& path) : files_(files) {
    if (path.empty()) return;
    fd_ = Retried([&] { return files_.Open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600); });
    if (fd_ >= 0 && Retried([&] { return files_.Flock(fd_, LOCK_EX); }) != 0) {
      error_ = errno;
      files_.Close(fd_);
      fd_ = -1;
    } else if (fd_ < 0) {
      error_ = errno;
    }
  }
  ~FileLock() {
    if (fd_ >= 0) files_.Close(fd_);
  }
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;

  bool Held() const { return fd_ >= 0; }
  int Error() const { return error_; }

 private:
  FileSystem& files_;
  int fd_ = -1;
  int error_ = 0;
};

struct FileRead {
  // kUnreadable: the file is there but its content could not be had;
  // kDamaged: its content is no settings file.
  enum class Status { kMissing, kRead, kUnreadable, kDamaged };
  Status status = Status::kUnreadable;
  std::string bytes;
  std::string reason;
  struct stat info {};
};

FileRead ReadSettingsFile(FileSystem& files, const std::string& path) {
  FileRead file;
  // O_NONBLOCK: a FIFO put in the file's place must not hang the saver.
  int fd = Retried([&] { return files.Open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY); });
  if (fd < 0) {
    if (errno == ENOENT || errno == ENOTDIR) {
      file.status = FileRead::Status::kMissing;
    } else {
      file.reason = ErrorText(errno);
    }
    return file;
  }
  if (files.Fstat(fd, &file.info) != 0) {
    file.reason = ErrorText(errno);
  } else if (!S_ISREG(file.info.st_mode)) {
    file.reason = S_ISDIR(file.info.st_mode)                                   ? "it is a directory"
                  : S_ISFIFO(file.info.st_mode)                                ? "it is a pipe"
                  : S_ISCHR(file.info.st_mode) || S_ISBLK(file.info.st_mode) ? "it is a device"
                                                                               : "not a regular file";
  } else if (static_cast<uint64_t>(file.info.st_size) > kMaxSettingsFileBytes) {
    file.status = FileRead::Status::kDamaged;
    file.reason = LargerThanLimit();
  } else {
    char buffer[1 << 16];
    for (;;) {
      ssize_t n = Retried([&] { return files.Read(fd, buffer, sizeof buffer); });
      if (n < 0) {
        file.reason = ErrorText(errno);
        break;
      }
      if (n == 0) {
        file.status = FileRead::Status::kRead;
        break;
      }
      file.bytes.append(buffer, static_cast<size_t>(n));
      if (file.bytes.size() > kMaxSettingsFileBytes) {
        file.status = FileRead::Status::kDamaged;
        file.reason = LargerThanLimit();
        break;
      }
    }
  }
  files.Close(fd);
  return file;
}

bool MakeDirectories(FileSystem& files, const std::string& directory) {
  for (size_t at = 1; at <= directory.size(); ++at) {
    if (at < directory.size() && directory[at] != '/') continue;
    std::string part = directory.substr(0, at);
    if (Retried([&] { return files.Mkdir(part.c_str(), 0700); }) != 0 && errno != EEXIST) return false;
  }
  return true;
}

bool WriteAll(FileSystem& files, int fd, const std::string& bytes) {
  for (size_t done = 0; done < bytes.size();) {
    ssize_t n = Retried([&] { return files.Write(fd, bytes.data() + done, bytes.size() - done); });
    if (n < 0) return false;
    if (n == 0) {
      errno = EIO;
      return false;
    }
    done += static_cast<size_t>(n);
  }
  return true;
}

// Makes the rename itself durable.
void SyncDirectory(FileSystem& files, const std::string& directory) {
  int fd = Retried([&] { return files.Open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); });
  if (fd < 0) return;
  Retried([&] { return files.Fsync(fd); });
  files.Close(fd);
}

// Gives the new file a modification time later than the file it replaces,
// even within one tick of a coarse clock, so that a reader never takes the
// new file for the old one when it reuses the old one's inode and size.
bool MarkLater(FileSystem& files, int fd, const struct stat& written, int64_t seconds, int64_t nanoseconds) {
  if (written.st_mtim.tv_sec > seconds ||
      (written.st_mtim.tv_sec == seconds && written.st_mtim.tv_nsec > nanoseconds)) {
    return true;
  }
  timespec times[2];
  times[0].tv_nsec = UTIME_OMIT;
  times[1].tv_sec = static_cast<time_t>(seconds);
  times[1].tv_nsec = static_cast<long>(nanoseconds + 1);
  if (times[1].tv_nsec >= 1000000000) {
    times[1].tv_sec += 1;
    times[1].tv_nsec = 0;
  }
  if (files.Futimens(fd, times) != 0) return false;
  struct stat marked {};
  if (files.Fstat(fd, &marked) != 0) return false;
  if (marked.st_mtim.tv_sec > seconds || (marked.st_mtim.tv_sec == seconds && marked.st_mtim.tv_nsec > nanoseconds)) {
    return true;
  }
  // A file system that keeps whole seconds only.
  times[1].tv_sec = static_cast<time_t>(seconds + 1);
  times[1].tv_nsec = 0;
  return files.Futimens(fd, times) == 0;
}

}  // namespace

std::string UserConfigDirectory(const char* configDir, const char* xdgConfigHome, const char* home) {
  auto set = [](const char* s) { return s != nullptr && *s != '\0'; };
  if (set(configDir)) return configDir;
  if (set(xdgConfigHome) && xdgConfigHome[0] == '/') return std::string(xdgConfigHome) + "/brindlemar";
  if (set(home)) return std::string(home) + "/.config/brindlemar";
  return {};
}

FileStore::Identity FileStore::Identity::Of(const struct stat& info) {
  return {true, info.st_dev, info.st_ino, info.st_size, info.st_mtim.tv_sec, info.st_mtim.tv_nsec};
}

std::string FileStore::Identity::Text() const {
  return std::to_string(device) + ":" + std::to_string(inode) + ":" + std::to_string(size) + ":" +
         std::to_string(modifiedSeconds) + "." + std::to_string(modifiedNanoseconds);
}

FileStore::FileStore(const std::string& directory, ErrorReporter& reporter, FileSystem& files)
    : reporter_(reporter), files_(files), directory_(directory) {
  if (directory_.empty()) return;
  filePath_ = directory_ + "/" + kSettingsFileName;
  lockPath_ = directory_ + "/" + kLockFileName;
}

const RegTree& FileStore::Current() {
  if (filePath_.empty()) return empty_;
  struct stat info {};
  if (Retried([&] { return files_.Stat(filePath_.c_str(), &info); }) != 0) {
    if (errno != ENOENT && errno != ENOTDIR) {
      ReportUnreadable(ErrorText(errno));
      return empty_;
    }
    unreadable_.clear();
    if (!snapshot_.valid || snapshot_.identity.exists) snapshot_ = Snapshot{true, {}, {}, {}};
    return snapshot_.tree;
  }
  if (snapshot_.valid && snapshot_.identity == Identity::Of(info)) return snapshot_.tree;

  FileRead file = ReadSettingsFile(files_, filePath_);
  RegTree tree;
  switch (file.status) {
    case FileRead::Status::kMissing:
      unreadable_.clear();
      snapshot_ = Snapshot{true, {}, {}, {}};
      return snapshot_.tree;
    case FileRead::Status::kUnreadable:
      ReportUnreadable(file.reason);
      return empty_;
    case FileRead::Status::kRead: {
      const RegFileReading reading = ReadRegFile(file.bytes, tree);
      if (reading.isRegFile && reading.dropped.empty()) {
        unreadable_.clear();
        snapshot_ = Snapshot{true, Identity::Of(file.info), std::move(file.bytes), std::move(tree)};
        return snapshot_.tree;
      }
      break;
    }
    case FileRead::Status::kDamaged:
      break;
  }
  // Damage is handled under the lock, so that a writer in the middle of its
  // change is not disturbed and only one process keeps the file aside.
  // Without a lock file (a read-only directory) it is reported all the same.
  FileLock lock(files_, lockPath_);
  if (!LoadLocked(lock.Held())) return empty_;
  return snapshot_.tree;
}

bool FileStore::LoadLocked(bool locked) {
  FileRead file = ReadSettingsFile(files_, filePath_);
  const Identity identity = Identity::Of(file.info);
  const std::string damage = identity.Text();
  switch (file.status) {
    case FileRead::Status::kMissing:
      unreadable_.clear();
      snapshot_ = Snapshot{true, {}, {}, {}};
      return true;
    case FileRead::Status::kUnreadable:
      snapshot_.valid = false;
      ReportUnreadable(file.reason);
      return false;
    case FileRead::Status::kRead: {
      unreadable_.clear();
      // Comparing the bytes costs far less than parsing them again, and
      // does not trust the identity where a lost update would follow.
      if (snapshot_.valid && !snapshot_.damaged && snapshot_.identity.exists && snapshot_.bytes == file.bytes) {
        snapshot_.identity = identity;
        return true;
      }
      RegTree tree;
      RegFileReading reading = ReadRegFile(file.bytes, tree);
      if (reading.isRegFile) {
        snapshot_ = Snapshot{true, identity, std::move(file.bytes), std::move(tree)};
        if (!reading.dropped.empty()) {
          snapshot_.damaged = true;
          KeepReadable(reading.dropped, damage, locked);
        }
        return true;
      }
      file.reason = reading.error;
      break;
    }
    case FileRead::Status::kDamaged:
      unreadable_.clear();
      break;
  }
  if (!SetAside(file.reason, damage)) {
    snapshot_.valid = false;
    return false;
  }
  snapshot_ = Snapshot{true, {}, {}, {}};
  return true;
}

void FileStore::KeepReadable(const std::vector<DroppedLines>& dropped, const std::string& identity, bool locked) {
  // Each problem once for each file it was found in.
  const bool report = identity != reportedDamage_;
  reportedDamage_ = identity;
  damage_ = SettingsFileDamage{dropped, {}, {}};
  std::string target = WriteTarget();
  if (!target.empty() && ReadOnlyFile(target)) {
    if (report) ReportDropped(dropped, "the file is read-only and stays as it is");
    return;
  }
  if (!locked) {
    if (report) ReportDropped(dropped, "the file cannot be locked, so it stays as it is and nothing is saved");
    return;
  }
  std::string kept = target.empty() ? "" : KeepCopy(target, snapshot_.bytes);
  if (kept.empty()) {
    if (report) {
      ReportDropped(dropped, "the file cannot be copied aside (" + ErrorText(errno) +
                                 "), so it stays as it is and nothing is saved");
    }
    return;
  }
  std::string bytes = WriteRegFile(snapshot_.tree);
  if (!Replace(bytes)) {
    if (report) {
      ReportDropped(dropped, "a copy is kept as " + kept +
                                 ", but the file cannot be replaced, so it stays as it is and nothing is saved");
    }
    return;
  }
  damage_.keptAs = kept;
  snapshot_.bytes = std::move(bytes);
  snapshot_.damaged = false;
  reportedDamage_.clear();
  ReportDropped(dropped, "the rest is kept, and the file as it was is kept as " + kept);
}

std::string FileStore::DamagedName(const std::string& target) {
  char stamp[32] = "";
  std::time_t now = std::time(nullptr);
  std::tm local{};
  if (localtime_r(&now, &local)) std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
  std::string base = target + std::string(kDamagedInfix) + stamp;
  std::string name = base;
  struct stat st {};
  // Under the lock nobody else of ours can take the name between the look and its use.
  for (int n = 2; files_.Lstat(name.c_str(), &st) == 0; ++n) name = base + "-" + std::to_string(n);
  return name;
}

std::string FileStore::KeepCopy(const std::string& target, const std::string& bytes) {
  // A copy kept by an earlier start that could not replace the file.
  const std::string directory = DirectoryOf(target);
  const std::string prefix = NameOf(target) + std::string(kDamagedInfix);
  std::vector<std::string> names;
  if (files_.ListDirectory(directory.c_str(), names) == 0) {
    for (const std::string& name : names) {
      if (!name.starts_with(prefix)) continue;
      std::string path = directory + "/" + name;
      struct stat st {};
      if (files_.Lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode) ||
          static_cast<size_t>(st.st_size) != bytes.size()) {
        continue;
      }
      FileRead copy = ReadSettingsFile(files_, path);
      if (copy.status == FileRead::Status::kRead && copy.bytes == bytes) return path;
    }
  }
  std::string kept = DamagedName(target);
  std::string temp = target + std::string(kTemporaryInfix) + std::string(kTemporarySuffix, 'X');
  int fd = Retried([&] { return files_.MakeTemp(temp.data()); });
  if (fd < 0) return "";
  bool ok = WriteAll(files_, fd, bytes) && Retried([&] { return files_.Fsync(fd); }) == 0;
  int error = ok ? 0 : errno;
  if (files_.Close(fd) != 0 && ok) {
    ok = false;
    error = errno;
  }
  if (ok && Retried([&] { return files_.Rename(temp.c_str(), kept.c_str()); }) != 0) {
    ok = false;
    error = errno;
  }
  if (!ok) {
    files_.Unlink(temp.c_str());
    errno = error;
    return "";
  }
  SyncDirectory(files_, directory);
  return kept;
}

bool FileStore::SetAside(const std::string& reason, const std::string& identity) {
  // A linked settings file keeps its link: the damaged target is kept
  // beside itself and the next write makes a new one there.
  std::string damaged = WriteTarget();
  if (damaged.empty()) damaged = filePath_;
  std::string why;
  if (ReadOnlyFile(damaged)) {
    why = "it is read-only";
  } else {
    std::string kept = DamagedName(damaged);
    if (Retried([&] { return files_.Rename(damaged.c_str(), kept.c_str()); }) == 0) {
      reportedDamage_.clear();
      damage_ = SettingsFileDamage{{}, reason, kept};
      reporter_.Report("settings file " + filePath_ + " is damaged (" + reason + "); kept as " + kept +
                       ", starting from defaults");
      return true;
    }
    why = ErrorText(errno);
  }
  if (identity != reportedDamage_) {
    reportedDamage_ = identity;
    damage_ = SettingsFileDamage{{}, reason, {}};
    reporter_.Report("settings file " + filePath_ + " is damaged (" + reason + ") and cannot be moved aside (" + why +
                     "); using defaults and saving nothing");
  }
  return false;
}

void FileStore::ReportUnreadable(const std::string& reason) {
  unreadable_ = reason;
  if (!reportedUnreadable_.insert(reason).second) return;
  reporter_.Report("cannot read settings file " + filePath_ + " (" + reason + "); using defaults and saving nothing");
}

void FileStore::ReportUnsaved(const std::string& path, const std::string& reason) {
  lastFailure_ = path == filePath_ ? reason : reason + " (" + path + ")";
  if (!reportedUnsaved_.insert(reason).second) return;
  reporter_.Report("the settings could not be saved: " + path + ": " + reason);
}

void FileStore::ReportDropped(const std::vector<DroppedLines>& dropped, const std::string& outcome) {
  // Enough to find and mend them by hand; the copy has every one.
  constexpr size_t kListed = 20;
  size_t lines = 0;
  for (const DroppedLines& d : dropped) lines += d.last - d.first + 1;
  reporter_.Report("settings file " + filePath_ + ": " + std::to_string(lines) +
                   (lines == 1 ? " line cannot be read and is" : " lines cannot be read and are") + " left out; " +
                   outcome);
  for (size_t i = 0; i < dropped.size() && i < kListed; ++i) reporter_.Report("  " + DescribeDropped(dropped[i]));
  if (dropped.size() > kListed) reporter_.Report("  and " + std::to_string(dropped.size() - kListed) + " more");
}

SettingsFileDamage FileStore::TakeDamage() { return std::exchange(damage_, SettingsFileDamage{}); }

bool FileStore::ReadOnly() {
  if (filePath_.empty()) return false;
  std::string target = WriteTarget();
  return !target.empty() && ReadOnlyFile(target);
}

bool FileStore::ReadOnlyFile(const std::string& path) {
  struct stat st {};
  return Retried([&] { return files_.Stat(path.c_str(), &st); }) == 0 && S_ISREG(st.st_mode) &&
         (st.st_mode & S_IWUSR) == 0;
}

bool FileStore::Modify(const std::function<Change(RegTree&)>& change) {
  lastFailure_.clear();
  if (directory_.empty()) {
    lastFailure_ = "there is no settings directory";
    return false;
  }
  if (!MakeDirectories(files_, directory_)) {
    ReportUnsaved(directory_, ErrorText(errno));
    return false;
  }
  FileLock lock(files_, lockPath_);
  if (!lock.Held()) {
    ReportUnsaved(lockPath_, ErrorText(lock.Error()));
    return false;
  }
  if (!LoadLocked(true)) {
    lastFailure_ = !unreadable_.empty() ? unreadable_
                   : ReadOnly()         ? kReadOnly
                                        : "the file is damaged and stays as it is";
    return false;
  }
  const std::string before = WriteRegFile(snapshot_.tree);
  Change result = change(snapshot_.tree);
  if (result == Change::kNone) return true;
  if (result == Change::kMade) {
    std::string bytes = WriteRegFile(snapshot_.tree);
    // A change to what is there already: nothing to write, nothing to refuse
    // in a read-only or damaged file.
    if (bytes == before) return true;
    if (snapshot_.damaged) {
      lastFailure_ = ReadOnly() ? kReadOnly : "lines of the file cannot be read, and it stays as it is to keep them";
    } else if (Replace(bytes)) {
      snapshot_.bytes = std::move(bytes);
      return true;
    }
  }
  // The tree may hold a part of the change: read the file afresh next time.
  snapshot_.valid = false;
  return false;
}

std::string FileStore::WriteTarget() {
  std::string path = filePath_;
  for (int links = 0; links <= kMaxLinks; ++links) {
    struct stat st {};
    if (Retried([&] { return files_.Lstat(path.c_str(), &st); }) != 0) return errno == ENOENT ? path : "";
    if (!S_ISLNK(st.st_mode)) return path;
    char link[PATH_MAX];
    ssize_t n = files_.Readlink(path.c_str(), link, sizeof link);
    if (n < 0) return "";
    if (static_cast<size_t>(n) == sizeof link) {
      errno = ENAMETOOLONG;
      return "";
    }
    std::string to(link, static_cast<size_t>(n));
    path = to[0] == '/' ? to : DirectoryOf(path) + "/" + to;
  }
  errno = ELOOP;
  return "";
}

void FileStore::RemoveStaleTemporaries(const std::string& directory, const std::string& target) {
  std::string prefix = NameOf(target) + std::string(kTemporaryInfix);
  std::vector<std::string> names;
  if (files_.ListDirectory(directory.c_str(), names) != 0) return;
  for (const std::string& name : names) {
    if (name.size() != prefix.size() + kTemporarySuffix || !name.starts_with(prefix)) continue;
    std::string path = directory + "/" + name;
    struct stat st {};
    // Under the lock every temporary file of ours is one whose writer ended.
    if (files_.Lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == geteuid()) {
      files_.Unlink(path.c_str());
    }
  }
}

bool FileStore::Replace(const std::string& bytes) {
  // A file the next read would call damaged is never written.
  if (bytes.size() > kMaxSettingsFileBytes) {
    ReportUnsaved(filePath_, "the settings would be " + LargerThanLimit());
    return false;
  }
  std::string target = WriteTarget();
  if (target.empty()) {
    ReportUnsaved(filePath_, ErrorText(errno));
    return false;
  }
  if (ReadOnlyFile(target)) {
    ReportUnsaved(filePath_, kReadOnly);
    return false;
  }
  std::string directory = DirectoryOf(target);
  RemoveStaleTemporaries(directory, target);

  std::string temp = target + std::string(kTemporaryInfix) + std::string(kTemporarySuffix, 'X');
  int fd = Retried([&] { return files_.MakeTemp(temp.data()); });
  if (fd < 0) {
    ReportUnsaved(directory, ErrorText(errno));
    return false;
  }
  // The replaced file's permissions stay; a new one is the user's alone.
  struct stat old {};
  bool replacing = Retried([&] { return files_.Stat(target.c_str(), &old); }) == 0;
  struct stat written {};
  int error = 0;
  // Keeps the first failure's errno for the report.
  auto step = [&](bool done) {
    if (!done && error == 0) error = errno != 0 ? errno : EIO;
    return done;
  };
  const Identity& previous = snapshot_.identity;
  bool ok = step(WriteAll(files_, fd, bytes)) && step(Retried([&] { return files_.Fsync(fd); }) == 0) &&
            step(!replacing || files_.Fchmod(fd, old.st_mode & 07777) == 0) &&
            step(files_.Fstat(fd, &written) == 0) &&
            step(MarkLater(files_, fd, written, previous.modifiedSeconds, previous.modifiedNanoseconds)) &&
            step(files_.Fstat(fd, &written) == 0);
  ok = step(files_.Close(fd) == 0) && ok;
  ok = ok && step(Retried([&] { return files_.Rename(temp.c_str(), target.c_str()); }) == 0);
  if (!ok) {
    files_.Unlink(temp.c_str());
    ReportUnsaved(target, ErrorText(error));
    return false;
  }
  SyncDirectory(files_, directory);
  snapshot_.identity = Identity::Of(written);
  return true;
}

bool FileStore::OpenKey(std::string_view key) { return IsKeyPath(key) && Current().HasKey(TreePath(key)); }

bool FileStore::CreateKey(std::string_view key, bool* created) {
  if (!IsKeyPath(key)) return false;
  bool isNew = false;
  bool ok = Modify([&](RegTree& tree) {
    switch (tree.AddKey(TreePath(key))) {
      case AddedKey::kNew:
        isNew = true;
        return Change::kMade;
      case AddedKey::kExisting:
        return Change::kNone;
      case AddedKey::kRefused:
        break;
    }
    return Change::kRefused;
  });
  if (ok && created) *created = isNew;
  return ok;
}

bool FileStore::QueryValue(std::string_view key, std::string_view name, size_t maxBytes, StoredValue& out) {
  if (!IsKeyPath(key)) return false;
  const RegValue* value = Current().FindValue(TreePath(key), name);
  if (!value || value->data.size() > maxBytes) return false;
  // Types other than the three named ones pass through as the registry's numbers.
  out.type = static_cast<ValueType>(value->type);
  out.data = value->data;
  return true;
}

bool FileStore::SetValue(std::string_view key, std::string_view name, const StoredValue& value) {
  if (!IsKeyPath(key) || !IsValueName(name)) return false;
  RegValue stored{std::string(name), static_cast<uint32_t>(value.type), value.data};
  return Modify([&](RegTree& tree) { return tree.SetValue(TreePath(key), stored) ? Change::kMade : Change::kRefused; });
}

bool FileStore::DeleteValue(std::string_view key, std::string_view name) {
  if (!IsKeyPath(key)) return false;
  return Modify(
      [&](RegTree& tree) { return tree.DeleteValue(TreePath(key), name) ? Change::kMade : Change::kRefused; });
}

bool FileStore::DeleteKey(std::string_view key) {
  if (!IsKeyPath(key)) return false;
  return Modify([&](RegTree& tree) { return tree.RemoveKey(TreePath(key)) ? Change::kMade : Change::kRefused; });
}

std::vector<std::string> FileStore::EnumerateValues(std::string_view key) {
  std::vector<std::string> names;
  if (!IsKeyPath(key)) return names;
  if (const std::vector<RegValue>* values = Current().Values(TreePath(key))) {
    for (const RegValue& value : *values) names.push_back(value.name);
  }
  return names;
}

ChangeResult FileStore::ApplyChanges(const ChangeSet& changes) {
  const std::string condition = changes.unlessKeyExists.empty() ? "" : TreePath(changes.unlessKeyExists);
  // Most starts find the key there: no lock, no write, nothing to report
  // where the directory is read-only.
  if (!condition.empty() && Current().HasKey(condition)) return ChangeResult::kKeyExisted;
  bool existed = false;
  bool changed = false;
  bool ok = Modify([&](RegTree& tree) {
    if (!condition.empty() && tree.HasKey(condition)) {
      existed = true;
      return Change::kNone;
    }
    // What the set was worked out from, read again under the lock.
    for (const ExpectedValue& e : changes.expected) {
      const RegValue* now = IsKeyPath(e.key) ? tree.FindValue(TreePath(e.key), e.name) : nullptr;
      const bool same = e.value ? now && now->type == static_cast<uint32_t>(e.value->type) && now->data == e.value->data
                                : now == nullptr;
      if (!same) {
        changed = true;
        return Change::kNone;
      }
    }
    for (const StoreChange& change : changes.changes) {
      if (!IsKeyPath(change.key)) return Change::kRefused;
      std::string path = TreePath(change.key);
      switch (change.kind) {
        case StoreChange::Kind::kCreateKey:
          if (tree.AddKey(path) == AddedKey::kRefused) return Change::kRefused;
          break;
        case StoreChange::Kind::kDeleteKey:
          tree.RemoveKey(path);
          break;
        case StoreChange::Kind::kSetValue:
          if (!IsValueName(change.name) ||
              !tree.SetValue(path, RegValue{change.name, static_cast<uint32_t>(change.value.type), change.value.data})) {
            return Change::kRefused;
          }
          break;
        case StoreChange::Kind::kDeleteValue:
          tree.DeleteValue(path, change.name);
          break;
      }
    }
    return changes.changes.empty() ? Change::kNone : Change::kMade;
  });
  if (!ok) return ChangeResult::kFailed;
  if (changed) return ChangeResult::kChanged;
  return existed ? ChangeResult::kKeyExisted : ChangeResult::kMade;
}

}  // namespace brindlemar::posix
