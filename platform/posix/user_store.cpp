#include "settings/user_store.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

#include "platform/posix/file_store.h"
#include "settings/error_reporter.h"

namespace brindlemar {

std::unique_ptr<SettingsStore> OpenUserStore() {
  const char* home = std::getenv("HOME");
  if (home == nullptr || *home == '\0') {
    if (const passwd* user = getpwuid(getuid())) home = user->pw_dir;
  }
  // Only the saver opens the user's store this way; brindlemar-settings
  // makes its own, with a reporter in its own name.
  static StandardErrorReporter saver("brindlemar");
  return std::make_unique<posix::FileStore>(
      posix::UserConfigDirectory(std::getenv("BRINDLEMAR_CONFIG_DIR"), std::getenv("XDG_CONFIG_HOME"), home), saver);
}

}  // namespace brindlemar
