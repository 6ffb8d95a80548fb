#include "settings/dialog_settings.h"

#include <algorithm>
#include <limits>
#include <string>

#include "settings/change_set.h"
#include "settings/default_mode.h"
#include "settings/presets.h"
#include "settings/settings_store.h"

namespace brindlemar {
namespace {

// The Config DWORDs that the dialog saves and the backup keeps, in order.
constexpr const char* kBackedUpDwords[] = {"Random",     "Clock",      "Style",         "Messages", "DirectDraw",
                                           "ScreenResX", "ScreenResY", "ScreenResBits", "Monitors"};

std::string FallsRecord() { return FastPreset(PresetIndexByName("Brindlemar Falls")); }

// Adds to changes the copy of the values the backup keeps from one key to
// another (both there by then), as the values are now.
void CopyConfigValues(SettingsStore& store, const char* from, const char* to, ChangeSet& changes) {
  for (const char* name : kBackedUpDwords) {
    int32_t value = 0;
    if (ReadDword(store, from, name, value)) changes.SetValue(to, name, DwordValue(value));
  }
  std::string settings;
  if (ReadString(store, from, "Settings", kBackupSettingsBytes, settings)) changes.SetString(to, "Settings", settings);
  StoredValue selection;
  if (store.QueryValue(from, "RanArray", std::numeric_limits<size_t>::max(), selection)) {
    changes.SetValue(to, "RanArray", StoredValue{ValueType::kBinary, std::move(selection.data)});
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
    // On whenever it is not 0, as the saver reads it: its low byte alone
    // would turn a stored 256 off.
    s.randomChosen = random != 0 ? 1 : 0;
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

// Each save, backup and restore is one change of the store, so that a saver
// starting meanwhile never reads half of it.
int32_t DialogSave(SettingsStore& store, DialogSettings& s, FavoriteList& list,
                   const std::vector<int32_t>& selectedLines) {
  LimitDialogValues(s.parameters);
  ChangeSet changes;
  changes.CreateKey(kConfigKey).SetString(kConfigKey, "Settings", FormatRecord(s.parameters, RecordForm::kSettings));
  const int32_t values[] = {s.randomChosen, s.showClock,  s.overlayStyle, s.showMessages, s.useDirectDraw,
                            s.screenResX,   s.screenResY, s.screenResBits, s.monitors};
  for (size_t i = 0; i < std::size(values); ++i) changes.SetValue(kConfigKey, kBackedUpDwords[i], DwordValue(values[i]));
  TakeRandomSelection(list, selectedLines, changes);
  return store.ApplyChanges(changes) == ChangeResult::kMade ? 1 : 0;
}

int32_t SaveBackup(SettingsStore& store) {
  ChangeSet changes;
  changes.DeleteKey(kBackupKey);
  const bool copied = store.OpenKey(kConfigKey);
  if (copied) {
    changes.CreateKey(kBackupKey);
    CopyConfigValues(store, kConfigKey, kBackupKey, changes);
  }
  return store.ApplyChanges(changes) == ChangeResult::kMade && copied ? 1 : 0;
}

int32_t RestoreBackup(SettingsStore& store) {
  if (!store.OpenKey(kBackupKey) || !store.OpenKey(kConfigKey)) return 0;
  ChangeSet changes;
  CopyConfigValues(store, kBackupKey, kConfigKey, changes);
  return store.ApplyChanges(changes) == ChangeResult::kMade ? 1 : 0;
}

}  // namespace brindlemar
