#include "settings/startup_load.h"

#include <algorithm>

#include "engine/particle_field.h"
#include "engine/transition_interval.h"
#include "settings/default_mode.h"
#include "settings/favorite_list.h"
#include "settings/presets.h"
#include "settings/settings_store.h"

namespace brindlemar {
namespace {

// Every favorite the saver can load selected: what the rotation uses when
// no usable selection is stored.
void SelectAll(ParticleField& field, const std::vector<uint8_t>& readable) {
  field.selectionFlags = readable;
  field.selectedCount = static_cast<int32_t>(std::count(readable.begin(), readable.end(), 1));
}

// A favorite that cannot be loaded is never chosen, whatever its flag says.
void ReadSelection(ParticleField& field, SettingsStore& store, const std::vector<uint8_t>& readable) {
  std::vector<uint8_t> stored;
  field.selectionFlags.assign(static_cast<size_t>(field.favoriteCount), 0);
  if (ReadBinary(store, kConfigKey, "RanArray", field.selectionFlags.size(), stored)) {
    std::copy(stored.begin(), stored.end(), field.selectionFlags.begin());
  }
  for (size_t i = 0; i < readable.size(); ++i) {
    if (!readable[i]) field.selectionFlags[i] = 0;
  }
  field.selectedCount = static_cast<int32_t>(
      std::count_if(field.selectionFlags.begin(), field.selectionFlags.end(), [](uint8_t f) { return f != 0; }));
  if (field.selectedCount == 0) SelectAll(field, readable);
}

}  // namespace

void LoadStartupSettings(ParticleField& field, SettingsStore& store, const DisplayModeSource& displayModes) {
  field.fontWeight = 700;
  field.fontItalic = 1;
  field.messageCount = 1;
  field.randomFavorites = 1;
  field.favoriteCount = 0;
  field.selectedCount = 0;
  field.selectionFlags.clear();
  field.showClock = 0;
  field.overlayStyle = 0;
  field.showMessages = 0;
  field.useDirectDraw = -1;
  field.screenResX = field.screenResY = field.screenResBits = 0;
  if (InstallPresets(store)) field.presetsInstalled = 1;
  int32_t minTime, maxTime;
  ReadTransitionTimes(store, minTime, maxTime);

  if (store.OpenKey(kProductKey)) {
    if (store.OpenKey(kMessagesKey)) {
      int32_t bold = 1;
      if (ReadDword(store, kMessagesKey, "Bold", bold)) field.fontWeight = bold ? 700 : 400;
      ReadDword(store, kMessagesKey, "Italic", field.fontItalic);
      ReadDword(store, kMessagesKey, "Num", field.messageCount);
    }
    // A favorite that cannot be read costs only itself: the favorites go on
    // to the first one missing, each keeping its number and its flag.
    std::vector<uint8_t> readable;
    if (store.OpenKey(kFavoritesKey)) {
      for (std::string record;; ++field.favoriteCount) {
        const FavoriteRead read = ReadFavorite(store, field.favoriteCount, record);
        if (read == FavoriteRead::kMissing) break;
        readable.push_back(read == FavoriteRead::kReadable ? 1 : 0);
      }
    }
    if (store.OpenKey(kConfigKey)) {
      ReadDword(store, kConfigKey, "Random", field.randomFavorites);
      ReadDword(store, kConfigKey, "Clock", field.showClock);
      ReadDword(store, kConfigKey, "Style", field.overlayStyle);
      ReadDword(store, kConfigKey, "Messages", field.showMessages);
      ReadDword(store, kConfigKey, "DirectDraw", field.useDirectDraw);
      ReadDword(store, kConfigKey, "ScreenResX", field.screenResX);
      ReadDword(store, kConfigKey, "ScreenResY", field.screenResY);
      ReadDword(store, kConfigKey, "ScreenResBits", field.screenResBits);
      if (field.randomFavorites && field.favoriteCount) ReadSelection(field, store, readable);
    } else if (field.randomFavorites && field.favoriteCount) {
      SelectAll(field, readable);
    }
  }

  if (field.useDirectDraw == -1 || field.screenResX == 0 || field.screenResY == 0 || field.screenResBits == 0) {
    // On success the choice is only stored: an undecided field stays at -1
    // while the store says 1.
    if (Failed(StoreDefaultMode(store, displayModes, field.screenResX, field.screenResY, field.screenResBits))) {
      field.useDirectDraw = 0;
    }
  }

  field.grainCapacity = std::min(field.grainCapacity, kMaxGrains);

  field.transitionInterval = TransitionIntervalMs(field.random.Next(), minTime, maxTime);
}

}  // namespace brindlemar
