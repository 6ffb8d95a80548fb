// The current user's settings store on this platform: the registry of
// HKEY_CURRENT_USER on Windows, the settings file elsewhere. Each platform
// layer defines OpenUserStore once; the portable code only declares it.
#pragma once

#include <memory>

#include "settings/settings_store.h"

namespace brindlemar {

std::unique_ptr<SettingsStore> OpenUserStore();

}  // namespace brindlemar
