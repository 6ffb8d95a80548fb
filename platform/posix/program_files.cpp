#include "platform/posix/program_files.h"

#include <sys/stat.h>
#include <unistd.h>

#include <climits>

namespace brindlemar::posix {
namespace {

std::string Resolved(const std::string& path, const std::string& base) {
  if (!path.empty() && path.front() == '/') return path;
  return base.empty() ? std::string() : base + "/" + path;
}

template <typename Accept>
std::string FindBeside(const std::vector<std::string>& paths, Accept accept) {
  const std::string base = OwnProgramDirectory();
  for (const std::string& path : paths) {
    const std::string full = Resolved(path, base);
    struct stat st {};
    if (!full.empty() && stat(full.c_str(), &st) == 0 && accept(full, st)) return full;
  }
  return {};
}

}  // namespace

std::string OwnProgramDirectory() {
  char buffer[PATH_MAX];
  const ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  if (length <= 0) return {};
  const std::string path(buffer, static_cast<size_t>(length));
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

std::string FindProgramBeside(const std::vector<std::string>& paths) {
  return FindBeside(paths, [](const std::string& full, const struct stat& st) {
    return S_ISREG(st.st_mode) && access(full.c_str(), X_OK) == 0;
  });
}

std::string FindDirectoryBeside(const std::vector<std::string>& paths) {
  return FindBeside(paths, [](const std::string&, const struct stat& st) { return S_ISDIR(st.st_mode); });
}

}  // namespace brindlemar::posix
