#include "platform/posix/gtk/settings_file_watch.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/posix/file_store.h"

namespace brindlemar::gtk {

std::string SettingsFileWatch::TakeSetAside() {
  std::string kept;
  kept.swap(renamedTo_);
  struct stat st {};
  // Only a rename that was made counts.
  if (kept.empty() || lstat(kept.c_str(), &st) != 0) return {};
  return kept;
}

int SettingsFileWatch::Fault(posix::FileCall call, const char* path) {
  if (call == posix::FileCall::kRename && path && std::strstr(path, ".damaged-")) renamedTo_ = path;
  return 0;
}

std::string UserSettingsDirectory() {
  const char* home = std::getenv("HOME");
  if (home == nullptr || *home == '\0') {
    if (const passwd* user = getpwuid(getuid())) home = user->pw_dir;
  }
  return posix::UserConfigDirectory(std::getenv("BRINDLEMAR_CONFIG_DIR"), std::getenv("XDG_CONFIG_HOME"), home);
}

std::string SettingsFileNotice(const std::string& directory, const std::string& setAside) {
  if (!setAside.empty()) {
    return "The settings file was damaged. It has been kept as " + setAside +
           ", and the settings start from the defaults: OK saves them in a new file.";
  }
  if (directory.empty()) return "There is no settings directory (HOME is not set): nothing can be saved.";
  const std::string path = directory + "/" + posix::kSettingsFileName;
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd >= 0) {
    close(fd);
    return {};
  }
  if (errno == ENOENT) return {};
  return "The settings file " + path + " cannot be read (" + std::strerror(errno) +
         "): the settings shown are the defaults, and nothing is saved until it can be read.";
}

}  // namespace brindlemar::gtk
