#include "settings/default_mode.h"

#include "settings/settings_store.h"
#include "surfaces/display_modes.h"

namespace brindlemar {

ResultCode StoreDefaultMode(SettingsStore& store, const DisplayModeSource& modes, int32_t& width, int32_t& height,
                            int32_t& bits) {
  DisplayModeList list;
  modes.EnumerateModes(list);
  ResultCode result = ChooseDefaultMode(list, &width, &height, &bits);
  if (!store.CreateKey(kConfigKey, nullptr)) return result;
  if (Failed(result)) {
    WriteDword(store, kConfigKey, "DirectDraw", 0);
    return result;
  }
  WriteDword(store, kConfigKey, "DirectDraw", 1);
  WriteDword(store, kConfigKey, "ScreenResX", width);
  WriteDword(store, kConfigKey, "ScreenResY", height);
  WriteDword(store, kConfigKey, "ScreenResBits", bits);
  return kOk;
}

}  // namespace brindlemar
