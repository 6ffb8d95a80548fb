#include "settings/dialog_settings.h"

#include <algorithm>
#include <string>

#include "settings/change_set.h"
#include "settings/default_mode.h"
#include "settings/parameter_table.h"
#include "settings/presets.h"
#include "settings/settings_store.h"

namespace brindlemar {
namespace {

// "Settings" is read into a buffer of this many bytes.
constexpr size_t kSettingsBytes = 256;

// What the dialog takes for each of kSavedDwords when it is missing.
constexpr int32_t kDwordDefaults[kSavedDwordCount] = {1, 0, 0, 0, 1, 0, 0, 0, 1};

std::string FallsRecord() { return FastPreset(PresetIndexByName("Brindlemar Falls")); }

// The record of a stored "Settings" that has a name, as stored.
std::optional<FavoriteRecord> NamedRecord(const std::optional<StoredValue>& stored) {
  if (!stored || stored->data.size() > kSettingsBytes) return std::nullopt;
  const auto end = std::find(stored->data.begin(), stored->data.end(), 0);
  FavoriteRecord record = ParseRecord(std::string(stored->data.begin(), end));
  if (record.name.empty()) return std::nullopt;
  record.name.clear();
  return record;
}

// The fields of the record in the groups a dialog changes together: each
// control's own, and the configuration with its style block, whose values
// belong to the configuration. Fields 11, 12, 14 and 15 are constants of the
// settings form.
using Field = int32_t FavoriteRecord::*;
struct RecordGroup {
  Field field;
  Field styleCount;  // with the style values, or null
};
constexpr RecordGroup kRecordGroups[] = {
    {&FavoriteRecord::dimensionality, nullptr}, {&FavoriteRecord::configuration, &FavoriteRecord::styleCount},
    {&FavoriteRecord::grains, nullptr},         {&FavoriteRecord::activity, nullptr},
    {&FavoriteRecord::viscosity, nullptr},      {&FavoriteRecord::complexity, nullptr},
    {&FavoriteRecord::brightness, nullptr},     {&FavoriteRecord::reflectionCount, nullptr},
    {&FavoriteRecord::symmetric, nullptr},      {&FavoriteRecord::extraTwist, nullptr},
    {&FavoriteRecord::dotStyle, nullptr},       {&FavoriteRecord::trailLength, nullptr},
    {&FavoriteRecord::trails, nullptr},         {&FavoriteRecord::colorRate, nullptr},
    {&FavoriteRecord::reflections, nullptr},    {&FavoriteRecord::dither, nullptr},
};
constexpr uint32_t kAllRecordGroups = (1u << std::size(kRecordGroups)) - 1;

bool SameGroup(const RecordGroup& group, const FavoriteRecord& a, const FavoriteRecord& b) {
  if (a.*group.field != b.*group.field) return false;
  return !group.styleCount || (a.*group.styleCount == b.*group.styleCount &&
                               std::equal(std::begin(a.styleValues), std::end(a.styleValues), b.styleValues));
}

uint32_t DifferingGroups(const FavoriteRecord& a, const FavoriteRecord& b) {
  uint32_t groups = 0;
  for (size_t g = 0; g < std::size(kRecordGroups); ++g) {
    if (!SameGroup(kRecordGroups[g], a, b)) groups |= 1u << g;
  }
  return groups;
}

void CopyGroups(FavoriteRecord& to, const FavoriteRecord& from, uint32_t groups) {
  for (size_t g = 0; g < std::size(kRecordGroups); ++g) {
    if (!(groups & (1u << g))) continue;
    const RecordGroup& group = kRecordGroups[g];
    to.*group.field = from.*group.field;
    if (!group.styleCount) continue;
    to.*group.styleCount = from.*group.styleCount;
    std::copy(std::begin(from.styleValues), std::end(from.styleValues), to.styleValues);
  }
}

// Adds the write of "Settings" with the groups taken from record into what
// is stored now (the whole record where none with a name is): nothing when
// that changes nothing.
void WriteRecordGroups(SettingsStore& store, const FavoriteRecord& record, uint32_t groups, ChangeSet& changes) {
  const std::optional<StoredValue> stored = ReadStoredValue(store, kConfigKey, "Settings");
  changes.Expect(kConfigKey, "Settings", stored);
  const std::optional<FavoriteRecord> now = NamedRecord(stored);
  FavoriteRecord merged = now.value_or(record);
  CopyGroups(merged, record, groups);
  if (now && DifferingGroups(*now, merged) == 0) return;
  changes.SetString(kConfigKey, "Settings", FormatRecord(merged, RecordForm::kSettings));
}

// The flags this dialog wrote, of the favorites that are still stored, put
// back: as they were when the backup was taken (all selected where no
// "RanArray" was stored, as the dialog showed them), or out of the rotation
// for a favorite stored since, as a new favorite is.
void RestoreSelection(SettingsStore& store, const DialogBackup& backup, const std::vector<StoredValue>& flagged,
                      ChangeSet& changes) {
  const StoredRotation then{backup.favorites, backup.ranArray};
  const std::vector<uint8_t> flagsThen = then.Flags().value_or(std::vector<uint8_t>(backup.favorites.size(), 1));
  const StoredRotation now = StoredRotation::Read(store, changes);
  std::vector<uint8_t> flags = now.Flags().value_or(std::vector<uint8_t>(now.favorites.size(), 0));
  const std::vector<int32_t> wrote = MatchFavorites(flagged, now.favorites);
  const std::vector<int32_t> opened = MatchFavorites(backup.favorites, now.favorites);
  for (size_t k = 0; k < flags.size(); ++k) {
    if (wrote[k] < 0) continue;
    flags[k] = opened[k] < 0 ? 0 : flagsThen[static_cast<size_t>(opened[k])];
  }
  now.WriteFlags(changes, flags);
}

// Notes in written the favorites whose flags a save set.
void NoteFlagged(DialogWrites& written, const std::vector<StoredValue>& flagged) {
  for (const StoredValue& favorite : flagged) {
    const auto known = std::find_if(written.flagged.begin(), written.flagged.end(),
                                    [&](const StoredValue& v) { return SameStoredValue(v, favorite); });
    if (known == written.flagged.end()) written.flagged.push_back(favorite);
  }
}

}  // namespace

void LimitDialogValues(FavoriteRecord& p) {
  for (const Parameter& row : kParameters) {
    if (row.kind == ParameterKind::kWhole) p.*row.record = std::clamp(p.*row.record, row.controlMin, row.controlMax);
  }
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
  s.loadedRecord.reset();
  for (std::optional<int32_t>& dword : s.loadedDwords) dword.reset();
  s.written = DialogWrites{};

  std::string text = FallsRecord();
  if (store.OpenKey(kConfigKey)) {
    for (size_t i = 0; i < kSavedDwordCount; ++i) {
      int32_t value = 0;
      if (ReadDword(store, kConfigKey, kSavedDwords[i], value)) s.loadedDwords[i] = value;
    }
    // On whenever it is not 0, as the saver reads it: its low byte alone
    // would turn a stored 256 off.
    s.randomChosen = s.loadedDwords[0].value_or(1) != 0 ? 1 : 0;
    ReadDword(store, kConfigKey, "Clock", s.showClock);
    ReadDword(store, kConfigKey, "Style", s.overlayStyle);
    ReadDword(store, kConfigKey, "Messages", s.showMessages);
    ReadDword(store, kConfigKey, "DirectDraw", s.useDirectDraw);
    ReadDword(store, kConfigKey, "ScreenResX", s.screenResX);
    ReadDword(store, kConfigKey, "ScreenResY", s.screenResY);
    ReadDword(store, kConfigKey, "ScreenResBits", s.screenResBits);
    ReadString(store, kConfigKey, "Settings", kSettingsBytes, text);
    s.loadedRecord = NamedRecord(ReadStoredValue(store, kConfigKey, "Settings"));
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
                   const RandomChoice& choice) {
  LimitDialogValues(s.parameters);
  const int32_t values[kSavedDwordCount] = {s.randomChosen, s.showClock,  s.overlayStyle, s.showMessages, s.useDirectDraw,
                                            s.screenResX,   s.screenResY, s.screenResBits, s.monitors};
  // The record the dialog showed when nothing with a name was stored.
  FavoriteRecord shown = ParseRecord(FallsRecord());
  shown.name.clear();
  const uint32_t changedGroups = DifferingGroups(s.loadedRecord.value_or(shown), s.parameters);

  DialogWrites made;
  RandomSelection selection;
  const ChangeResult result = ApplyAsStored(store, [&](ChangeSet& changes) {
    made = DialogWrites{};
    changes.CreateKey(kConfigKey);
    const size_t before = changes.changes.size();
    const bool recordStored = NamedRecord(ReadStoredValue(store, kConfigKey, "Settings")).has_value();
    made.recordGroups = recordStored ? changedGroups : kAllRecordGroups;
    WriteRecordGroups(store, s.parameters, made.recordGroups, changes);
    for (size_t i = 0; i < kSavedDwordCount; ++i) {
      const std::optional<StoredValue> now = ReadStoredValue(store, kConfigKey, kSavedDwords[i]);
      changes.Expect(kConfigKey, kSavedDwords[i], now);
      const bool missing = !now || now->data.size() != 4;
      if (!missing && values[i] == s.loadedDwords[i].value_or(kDwordDefaults[i])) continue;
      changes.SetValue(kConfigKey, kSavedDwords[i], DwordValue(values[i]));
      made.dwords |= 1u << i;
    }
    if (TakeRandomSelection(store, list, choice, changes, selection)) made.flagged = selection.flagged;
    return changes.changes.size() > before;
  });
  if (result != ChangeResult::kMade) return 0;
  s.written.dwords |= made.dwords;
  s.written.recordGroups |= made.recordGroups;
  if (!made.flagged.empty()) {
    NoteFlagged(s.written, made.flagged);
    std::copy(selection.entryFlags.begin(), selection.entryFlags.end(), list.selectionFlags.begin());
  }
  // What is stored now is what the next save compares with: a value
  // changed back after Preview is written again.
  s.loadedRecord = s.parameters;
  for (size_t i = 0; i < kSavedDwordCount; ++i) s.loadedDwords[i] = values[i];
  return 1;
}

int32_t SaveDialogSelection(SettingsStore& store, DialogSettings& s, FavoriteList& list, const RandomChoice& choice) {
  std::vector<StoredValue> flagged;
  if (SaveRandomSelection(store, list, choice, &flagged) != 1) return 0;
  NoteFlagged(s.written, flagged);
  return 1;
}

int32_t SaveBackup(SettingsStore& store, DialogBackup& backup) {
  backup = DialogBackup{};
  ChangeSet changes;
  changes.DeleteKey(kBackupKey);
  backup.taken = store.OpenKey(kConfigKey);
  if (backup.taken) {
    changes.CreateKey(kBackupKey);
    for (size_t i = 0; i < kSavedDwordCount; ++i) {
      int32_t value = 0;
      if (!ReadDword(store, kConfigKey, kSavedDwords[i], value)) continue;
      backup.dwords[i] = value;
      changes.SetValue(kBackupKey, kSavedDwords[i], DwordValue(value));
    }
    std::string settings;
    if (ReadString(store, kConfigKey, "Settings", kBackupSettingsBytes, settings)) {
      backup.settings = settings;
      changes.SetString(kBackupKey, "Settings", settings);
    }
    backup.ranArray = ReadStoredValue(store, kConfigKey, "RanArray");
    if (backup.ranArray) changes.SetValue(kBackupKey, "RanArray", StoredValue{ValueType::kBinary, backup.ranArray->data});
    backup.favorites = ReadStoredFavorites(store);
  }
  return store.ApplyChanges(changes) == ChangeResult::kMade && backup.taken ? 1 : 0;
}

int32_t RestoreBackup(SettingsStore& store, const DialogBackup& backup, const DialogWrites& written) {
  if (!backup.taken) return 0;
  bool configThere = false;
  const ChangeResult result = ApplyAsStored(store, [&](ChangeSet& changes) {
    configThere = store.OpenKey(kConfigKey);
    if (!configThere) return false;
    for (size_t i = 0; i < kSavedDwordCount; ++i) {
      if ((written.dwords & (1u << i)) && backup.dwords[i]) {
        changes.SetValue(kConfigKey, kSavedDwords[i], DwordValue(*backup.dwords[i]));
      }
    }
    if (written.recordGroups && backup.settings) {
      const std::optional<FavoriteRecord> record = NamedRecord(StoredValue{ValueType::kString, {backup.settings->begin(), backup.settings->end()}});
      if (record) {
        WriteRecordGroups(store, *record, written.recordGroups, changes);
      } else {
        changes.SetString(kConfigKey, "Settings", *backup.settings);
      }
    }
    if (!written.flagged.empty()) RestoreSelection(store, backup, written.flagged, changes);
    return !changes.changes.empty();
  });
  return configThere && result == ChangeResult::kMade ? 1 : 0;
}

}  // namespace brindlemar
