// Stores the default full-screen display mode: when the settings hold no
// usable mode, the engine's start-up load and the configuration dialog
// choose one from the display's modes and write it to Config with
// "DirectDraw" = 1, or write "DirectDraw" = 0 when there is none to choose.
#pragma once

#include <cstdint>

#include "surfaces/result_codes.h"

namespace brindlemar {

class DisplayModeSource;
class SettingsStore;

// kOk with the chosen mode in width, height and bits; otherwise the
// failure of the choice, with the three set to 0.
ResultCode StoreDefaultMode(SettingsStore& store, const DisplayModeSource& modes, int32_t& width, int32_t& height,
                            int32_t& bits);

}  // namespace brindlemar
