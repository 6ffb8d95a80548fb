#include "settings/user_store.h"

#include "platform/win32/registry_store.h"
#include "settings/error_reporter.h"

namespace brindlemar {

// Opened this way only where no program hands a reporter (the password
// dialog, test hosts); RunSaver and RunConfigDialog make their own.
std::unique_ptr<SettingsStore> OpenUserStore() {
  static StandardErrorReporter saver("brindlemar");
  return std::make_unique<win32::RegistryStore>(saver);
}

}  // namespace brindlemar
