#include "settings/user_store.h"

#include "platform/win32/registry_store.h"

namespace brindlemar {

std::unique_ptr<SettingsStore> OpenUserStore() { return std::make_unique<win32::RegistryStore>(); }

}  // namespace brindlemar
