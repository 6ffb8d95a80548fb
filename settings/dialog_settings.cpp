#include "settings/dialog_settings.h"

#include <algorithm>
#include <limits>
#include <string>

#include "settings/default_mode.h"
#include "settings/presets.h"
#include "settings/settings_store.h"

namespace brindlemar {
namespace {

// The Config DWORDs that the dialog saves and the backup keeps, in order.
constexpr const char* kBackedUpDwords[] = {"Random",     "Clock",      "Style",      "Messages",
                                           "DirectDraw", "ScreenResX", "ScreenResY", "ScreenResBits"};

std::string FallsRecord() { return FastPreset(PresetIndexByName("Brindlemar Falls")); }

void CopyConfigValues(SettingsStore& store, const char* from, const char* to) {
  for (const char* name : kBackedUpDwords) {
    int32_t value = 0;
    if (ReadDword(store, from, name, value)) WriteDword(store, to, name, value);
  }
  std::string settings;
  if (ReadString(store, from, "Settings", kBackupSettingsBytes, settings)) WriteString(store, to, "Settings", settings);
  StoredValue selection;
  if (store.QueryValue(from, "RanArray", std::numeric_limits<size_t>::max(), selection)) {
    WriteBinary(store, to, "RanArray", selection.data);
  }
}

}  // namespace

void LimitDialogValues(FavoriteRecord& p) {
  p.grains = std::clamp(p.grains, 10, 200000);
  p.reflectionCount = std::clamp(p.reflectionCount, 1, 60);
  p.trailLength = std::clamp(p.trailLength, 1, 100);
  p.complexity = std::clamp(p.complexity, 1, 15);
}

void DialogLoad(SettingsStore& store, const DisplayModeSource& modes, DialogSettings& s, FavoriteList& list) {
  int32_t maxFav = 0;
  ReadDword(store, kConfigKey, "MaxFav", maxFav);
  s.maxFav = EffectiveMaxFav(maxFav);

  s.randomChosen = 1;
  s.useDirectDraw = 1;
  s.screenResX = s.screenResY = s.screenResBits = 0;
  s.showClock = s.overlayStyle = s.showMessages = 0;
  s.parameters = ParseRecord(FallsRecord());
  s.parameters.name.clear();

  std::string text = FallsRecord();
  if (store.OpenKey(kConfigKey)) {
    int32_t random = s.randomChosen;
    ReadDword(store, kConfigKey, "Random", random);
    s.randomChosen = static_cast<uint8_t>(random);
    ReadDword(store, kConfigKey, "Clock", s.showClock);
    ReadDword(store, kConfigKey, "Style", s.overlayStyle);
    ReadDword(store, kConfigKey, "Messages", s.showMessages);
    ReadDword(store, kConfigKey, "DirectDraw", s.useDirectDraw);
    ReadDword(store, kConfigKey, "ScreenResX", s.screenResX);
    ReadDword(store, kConfigKey, "ScreenResY", s.screenResY);
    ReadDword(store, kConfigKey, "ScreenResBits", s.screenResBits);
    ReadString(store, kConfigKey, "Settings", 256, text);
  }

  FavoriteRecord read = ParseRecord(text);
  if (!read.name.empty()) {
    FavoriteRecord& p = s.parameters;
    read.name.clear();
    read.field11 = p.field11;
    read.field12 = p.field12;
    read.field14 = p.field14;
    read.field15 = p.field15;
    if (read.trailLength == 0) read.trailLength = 30;
    ReconcileStyleBlock(read.configuration, read.styleCount, read.styleValues);
    p = read;
  }

  if (s.screenResX == 0 || s.screenResY == 0 || s.screenResBits == 0) {
    if (Failed(StoreDefaultMode(store, modes, s.screenResX, s.screenResY, s.screenResBits))) s.useDirectDraw = 0;
  }
  LimitDialogValues(s.parameters);
  list = FavoriteList(s.maxFav);
}

int32_t DialogSave(SettingsStore& store, DialogSettings& s, FavoriteList& list,
                   const std::vector<int32_t>& selectedLines) {
  LimitDialogValues(s.parameters);
  if (!store.CreateKey(kConfigKey, nullptr)) return 0;
  WriteString(store, kConfigKey, "Settings", FormatRecord(s.parameters, RecordForm::kSettings));
  const int32_t values[] = {s.randomChosen, s.showClock,  s.overlayStyle, s.showMessages,
                            s.useDirectDraw, s.screenResX, s.screenResY,  s.screenResBits};
  for (size_t i = 0; i < std::size(values); ++i) WriteDword(store, kConfigKey, kBackedUpDwords[i], values[i]);
  SaveRandomSelection(store, list, selectedLines);
  return 1;
}

int32_t SaveBackup(SettingsStore& store) {
  store.DeleteKey(kBackupKey);
  if (!store.OpenKey(kConfigKey) || !store.CreateKey(kBackupKey, nullptr)) return 0;
  CopyConfigValues(store, kConfigKey, kBackupKey);
  return 1;
}

int32_t RestoreBackup(SettingsStore& store) {
  if (!store.OpenKey(kBackupKey) || !store.OpenKey(kConfigKey)) return 0;
  CopyConfigValues(store, kBackupKey, kConfigKey);
  return 1;
}

}  // namespace brindlemar
