#include "settings/user_store.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

#include "platform/posix/file_store.h"

namespace brindlemar {

std::unique_ptr<SettingsStore> OpenUserStore() {
  const char* home = std::getenv("HOME");
  if (home == nullptr || *home == '\0') {
    if (const passwd* user = getpwuid(getuid())) home = user->pw_dir;
  }
  return std::make_unique<posix::FileStore>(
      posix::UserConfigDirectory(std::getenv("BRINDLEMAR_CONFIG_DIR"), std::getenv("XDG_CONFIG_HOME"), home));
}

}  // namespace brindlemar
