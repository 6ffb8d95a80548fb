#include "platform/posix/file_store.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <system_error>
#include <utility>

#include "platform/posix/reg_file.h"

namespace brindlemar::posix {
namespace {

constexpr std::string_view kHive = "HKEY_CURRENT_USER\\";

std::string TreePath(std::string_view key) {
  std::string path(kHive);
  path += key;
  return path;
}

bool IsValueName(std::string_view name) {
  return name.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos;
}

std::string ErrorText(int error) { return std::error_code(error, std::generic_category()).message(); }

// An exclusive lock on the lock file for the lifetime of the object. flock
// rather than fcntl: its locks belong to the open file, so two stores in one
// process exclude each other just as two processes do.
class FileLock {
 public:
  explicit FileLock(const std::string& path) {
    if (path.empty()) return;
    fd_ = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    while (fd_ >= 0 && flock(fd_, LOCK_EX) != 0) {
      if (errno != EINTR) {
        close(fd_);
        fd_ = -1;
      }
    }
  }
  ~FileLock() {
    if (fd_ >= 0) close(fd_);
  }
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;

  bool Held() const { return fd_ >= 0; }

 private:
  int fd_ = -1;
};

struct FileRead {
  enum class Status { kMissing, kRead, kDamaged };
  Status status = Status::kDamaged;
  std::string bytes;
  std::string reason;
  // Tells one damaged file from another, so that each is reported once.
  std::string identity;
};

FileRead ReadSettingsFile(const std::string& path) {
  FileRead file;
  // O_NONBLOCK: a FIFO put in the file's place must not hang the saver.
  int fd = path.empty() ? -1 : open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) {
    if (path.empty() || errno == ENOENT || errno == ENOTDIR) {
      file.status = FileRead::Status::kMissing;
    } else {
      file.reason = file.identity = ErrorText(errno);
    }
    return file;
  }
  struct stat st {};
  if (fstat(fd, &st) != 0) {
    file.reason = ErrorText(errno);
  } else if (!S_ISREG(st.st_mode)) {
    file.reason = "not a regular file";
  } else if (static_cast<uint64_t>(st.st_size) > kMaxSettingsFileBytes) {
    file.reason = "larger than 16 MiB";
  } else {
    char buffer[1 << 16];
    for (;;) {
      ssize_t n = read(fd, buffer, sizeof buffer);
      if (n < 0 && errno == EINTR) continue;
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
        file.reason = "larger than 16 MiB";
        break;
      }
    }
  }
  file.identity = std::to_string(st.st_dev) + ":" + std::to_string(st.st_ino) + ":" + std::to_string(st.st_size) + ":" +
                  std::to_string(st.st_mtime);
  close(fd);
  return file;
}

bool MakeDirectories(const std::string& directory) {
  for (size_t at = 1; at <= directory.size(); ++at) {
    if (at < directory.size() && directory[at] != '/') continue;
    if (mkdir(directory.substr(0, at).c_str(), 0700) != 0 && errno != EEXIST) return false;
  }
  return true;
}

bool WriteAll(int fd, const std::string& bytes) {
  for (size_t done = 0; done < bytes.size();) {
    ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

// Makes the rename itself durable.
void SyncDirectory(const std::string& directory) {
  int fd = open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  fsync(fd);
  close(fd);
}

}  // namespace

std::string UserConfigDirectory(const char* configDir, const char* xdgConfigHome, const char* home) {
  auto set = [](const char* s) { return s != nullptr && *s != '\0'; };
  if (set(configDir)) return configDir;
  if (set(xdgConfigHome) && xdgConfigHome[0] == '/') return std::string(xdgConfigHome) + "/brindlemar";
  if (set(home)) return std::string(home) + "/.config/brindlemar";
  return {};
}

FileStore::FileStore(const std::string& directory) : directory_(directory) {
  if (directory_.empty()) return;
  filePath_ = directory_ + "/" + kSettingsFileName;
  lockPath_ = directory_ + "/" + kLockFileName;
}

RegTree FileStore::Load() {
  RegTree tree;
  FileRead file = ReadSettingsFile(filePath_);
  if (file.status == FileRead::Status::kMissing) return tree;
  if (file.status == FileRead::Status::kRead && ParseRegFile(file.bytes, tree, nullptr)) return tree;
  // Damage is handled under the lock, so that a writer in the middle of its
  // change is not disturbed and only one process sets the file aside. Without
  // a lock file (a read-only directory) it is reported all the same.
  FileLock lock(lockPath_);
  LoadLocked(tree);
  return tree;
}

bool FileStore::LoadLocked(RegTree& tree) {
  FileRead file = ReadSettingsFile(filePath_);
  if (file.status == FileRead::Status::kMissing) return true;
  if (file.status == FileRead::Status::kRead && ParseRegFile(file.bytes, tree, &file.reason)) return true;
  return SetAside(file.reason, file.identity);
}

bool FileStore::SetAside(const std::string& reason, const std::string& identity) {
  char stamp[32] = "";
  std::time_t now = std::time(nullptr);
  std::tm local{};
  if (localtime_r(&now, &local)) std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
  std::string base = filePath_ + ".damaged-" + stamp;
  std::string kept = base;
  struct stat st {};
  // Under the lock nobody else of ours can take the name between the look and the rename.
  for (int n = 2; lstat(kept.c_str(), &st) == 0; ++n) kept = base + "-" + std::to_string(n);
  if (rename(filePath_.c_str(), kept.c_str()) == 0) {
    reportedIdentity_.clear();
    std::fprintf(stderr, "brindlemar: settings file %s is damaged (%s); kept as %s, starting from defaults\n",
                 filePath_.c_str(), reason.c_str(), kept.c_str());
    return true;
  }
  std::string why = ErrorText(errno);
  if (identity != reportedIdentity_) {
    reportedIdentity_ = identity;
    std::fprintf(stderr,
                 "brindlemar: settings file %s is damaged (%s) and cannot be moved aside (%s); "
                 "using defaults and saving nothing\n",
                 filePath_.c_str(), reason.c_str(), why.c_str());
  }
  return false;
}

bool FileStore::Modify(const std::function<Change(RegTree&)>& change) {
  if (directory_.empty() || !MakeDirectories(directory_)) return false;
  FileLock lock(lockPath_);
  if (!lock.Held()) return false;
  RegTree tree;
  if (!LoadLocked(tree)) return false;
  Change result = change(tree);
  if (result != Change::kMade) return result == Change::kNone;
  return Replace(WriteRegFile(tree));
}

bool FileStore::Replace(const std::string& bytes) {
  // A file the next read would call damaged is never written.
  if (bytes.size() > kMaxSettingsFileBytes) return false;
  std::string temp = filePath_ + ".tmp-XXXXXX";
  int fd = mkostemp(temp.data(), O_CLOEXEC);
  if (fd < 0) return false;
  bool ok = WriteAll(fd, bytes) && fsync(fd) == 0;
  ok = close(fd) == 0 && ok;
  ok = ok && rename(temp.c_str(), filePath_.c_str()) == 0;
  if (!ok) {
    unlink(temp.c_str());
    return false;
  }
  SyncDirectory(directory_);
  return true;
}

bool FileStore::OpenKey(std::string_view key) { return IsKeyPath(key) && Load().HasKey(TreePath(key)); }

bool FileStore::CreateKey(std::string_view key, bool* created) {
  if (!IsKeyPath(key)) return false;
  bool isNew = false;
  bool ok = Modify([&](RegTree& tree) {
    isNew = tree.AddKey(TreePath(key));
    return isNew ? Change::kMade : Change::kNone;
  });
  if (ok && created) *created = isNew;
  return ok;
}

bool FileStore::QueryValue(std::string_view key, std::string_view name, size_t maxBytes, StoredValue& out) {
  if (!IsKeyPath(key)) return false;
  RegTree tree = Load();
  const RegValue* value = tree.FindValue(TreePath(key), name);
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
  RegTree tree = Load();
  if (const std::vector<RegValue>* values = tree.Values(TreePath(key))) {
    for (const RegValue& value : *values) names.push_back(value.name);
  }
  return names;
}

}  // namespace brindlemar::posix
