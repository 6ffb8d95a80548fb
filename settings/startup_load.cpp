#include "settings/startup_load.h"

#include <algorithm>
#include <cstdio>

#include "engine/particle_field.h"
#include "engine/process_state.h"
#include "engine/transition_interval.h"
#include "settings/default_mode.h"
#include "settings/presets.h"
#include "settings/settings_store.h"

namespace brindlemar {
namespace {

// Every flag set: what the rotation uses when no usable selection is stored.
void SelectAll(ParticleField& field) {
  field.selectionFlags.assign(static_cast<size_t>(field.favoriteCount), 1);
  field.selectedCount = field.favoriteCount;
}

void ReadSelection(ParticleField& field, SettingsStore& store) {
  std::vector<uint8_t> stored;
  field.selectionFlags.assign(static_cast<size_t>(field.favoriteCount), 0);
  if (ReadBinary(store, kConfigKey, "RanArray", field.selectionFlags.size(), stored)) {
    std::copy(stored.begin(), stored.end(), field.selectionFlags.begin());
  }
  field.selectedCount = static_cast<int32_t>(
      std::count_if(field.selectionFlags.begin(), field.selectionFlags.end(), [](uint8_t f) { return f != 0; }));
  if (field.selectedCount == 0) SelectAll(field);
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
    if (store.OpenKey(kFavoritesKey)) {
      char name[16];
      for (;;) {
        std::snprintf(name, sizeof name, "Fav%03d", field.favoriteCount);
        std::string record;
        if (!ReadString(store, kFavoritesKey, name, 255, record) || record.empty()) break;
        ++field.favoriteCount;
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
      if (field.randomFavorites && field.favoriteCount) ReadSelection(field, store);
    } else if (field.randomFavorites && field.favoriteCount) {
      SelectAll(field);
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

  Process().transitionInterval = TransitionIntervalMs(field.random.Next(), minTime, maxTime);
}

}  // namespace brindlemar
