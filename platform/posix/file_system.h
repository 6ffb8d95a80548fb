// The file-system calls of the settings file, behind one seam: each call is
// the POSIX call of the same name (EINTR is not retried here), except that a
// Fault hook may make any of them fail first with an errno of its choosing.
// The program uses SystemFileSystem, whose hook never fails; tests derive
// from FileSystem to inject EACCES, EMFILE, EIO, ENOSPC, EINTR and the like,
// or to end a process at a chosen call as a kill would.
#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <cstddef>
#include <string>
#include <vector>

namespace brindlemar::posix {

enum class FileCall {
  kOpen,
  kRead,
  kWrite,
  kFsync,
  kFchmod,
  kClose,
  kFstat,
  kStat,
  kLstat,
  kRename,
  kUnlink,
  kMkdir,
  kMakeTemp,
  kFlock,
  kFutimens,
  kReadlink,
  kListDirectory,
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;

  int Open(const char* path, int flags, mode_t mode = 0);
  ssize_t Read(int fd, void* buffer, size_t size);
  ssize_t Write(int fd, const void* buffer, size_t size);
  int Fsync(int fd);
  int Fchmod(int fd, mode_t mode);
  // The descriptor is closed even when a fault is injected, as close does
  // on Linux whatever it reports.
  int Close(int fd);
  int Fstat(int fd, struct stat* st);
  int Stat(const char* path, struct stat* st);
  int Lstat(const char* path, struct stat* st);
  int Rename(const char* from, const char* to);
  int Unlink(const char* path);
  int Mkdir(const char* path, mode_t mode);
  // mkostemp with O_CLOEXEC: the Xs at the end of pathTemplate are replaced.
  int MakeTemp(char* pathTemplate);
  int Flock(int fd, int operation);
  int Futimens(int fd, const struct timespec times[2]);
  ssize_t Readlink(const char* path, char* buffer, size_t size);
  // The names in a directory but "." and ".."; -1 with errno on failure.
  int ListDirectory(const char* path, std::vector<std::string>& names);

 protected:
  // An errno to fail the call with before it is made, or 0 to make it.
  // path is null for the calls on a descriptor.
  virtual int Fault(FileCall call, const char* path);

 private:
  bool Faulted(FileCall call, const char* path);
};

// The file system itself.
FileSystem& SystemFileSystem();

}  // namespace brindlemar::posix
