#include "platform/posix/file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace brindlemar::posix {

int FileSystem::Fault(FileCall, const char*) { return 0; }

// Every call asks the hook first; a fault sets errno, and the call then
// fails as it would itself.
bool FileSystem::Faulted(FileCall call, const char* path) {
  int fault = Fault(call, path);
  if (fault != 0) errno = fault;
  return fault != 0;
}

int FileSystem::Open(const char* path, int flags, mode_t mode) {
  if (Faulted(FileCall::kOpen, path)) return -1;
  return open(path, flags, mode);
}

ssize_t FileSystem::Read(int fd, void* buffer, size_t size) {
  if (Faulted(FileCall::kRead, nullptr)) return -1;
  return read(fd, buffer, size);
}

ssize_t FileSystem::Write(int fd, const void* buffer, size_t size) {
  if (Faulted(FileCall::kWrite, nullptr)) return -1;
  return write(fd, buffer, size);
}

int FileSystem::Fsync(int fd) {
  if (Faulted(FileCall::kFsync, nullptr)) return -1;
  return fsync(fd);
}

int FileSystem::Fchmod(int fd, mode_t mode) {
  if (Faulted(FileCall::kFchmod, nullptr)) return -1;
  return fchmod(fd, mode);
}

int FileSystem::Close(int fd) {
  if (Faulted(FileCall::kClose, nullptr)) {
    int fault = errno;
    close(fd);
    errno = fault;
    return -1;
  }
  return close(fd);
}

int FileSystem::Fstat(int fd, struct stat* st) {
  if (Faulted(FileCall::kFstat, nullptr)) return -1;
  return fstat(fd, st);
}

int FileSystem::Stat(const char* path, struct stat* st) {
  if (Faulted(FileCall::kStat, path)) return -1;
  return stat(path, st);
}

int FileSystem::Lstat(const char* path, struct stat* st) {
  if (Faulted(FileCall::kLstat, path)) return -1;
  return lstat(path, st);
}

int FileSystem::Rename(const char* from, const char* to) {
  if (Faulted(FileCall::kRename, to)) return -1;
  return rename(from, to);
}

int FileSystem::Unlink(const char* path) {
  if (Faulted(FileCall::kUnlink, path)) return -1;
  return unlink(path);
}

int FileSystem::Mkdir(const char* path, mode_t mode) {
  if (Faulted(FileCall::kMkdir, path)) return -1;
  return mkdir(path, mode);
}

int FileSystem::MakeTemp(char* pathTemplate) {
  if (Faulted(FileCall::kMakeTemp, pathTemplate)) return -1;
  return mkostemp(pathTemplate, O_CLOEXEC);
}

int FileSystem::Flock(int fd, int operation) {
  if (Faulted(FileCall::kFlock, nullptr)) return -1;
  return flock(fd, operation);
}

int FileSystem::Futimens(int fd, const struct timespec times[2]) {
  if (Faulted(FileCall::kFutimens, nullptr)) return -1;
  return futimens(fd, times);
}

ssize_t FileSystem::Readlink(const char* path, char* buffer, size_t size) {
  if (Faulted(FileCall::kReadlink, path)) return -1;
  return readlink(path, buffer, size);
}

int FileSystem::ListDirectory(const char* path, std::vector<std::string>& names) {
  if (Faulted(FileCall::kListDirectory, path)) return -1;
  DIR* dir = opendir(path);
  if (!dir) return -1;
  names.clear();
  errno = 0;
  while (const dirent* entry = readdir(dir)) {
    if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0) names.emplace_back(entry->d_name);
  }
  int error = errno;
  closedir(dir);
  errno = error;
  return error == 0 ? 0 : -1;
}

FileSystem& SystemFileSystem() {
  static FileSystem system;
  return system;
}

}  // namespace brindlemar::posix
