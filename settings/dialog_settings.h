// The configuration dialog's copy of the settings: the parameters as the
// dialog's controls hold them, the overlay and display settings and the
// capacity of its favorites list; their loading when the dialog opens, their
// saving on OK and Preview, and the backup of the Config values that makes
// Cancel possible.
//
// Two dialogs may be open at once (two settings windows, two /c): neither
// undoes the other. Saving writes only what this dialog changed since it
// loaded, into the settings as they are stored at that moment: a DWORD it
// changed, the fields of the "Settings" record it changed (a control's
// field, or the configuration with its style block), and the rotation flags
// of the favorites the Random page showed. Cancel puts back, from the copy
// taken when the dialog opened, only what this dialog wrote since.
//
// No window here: the dialog reads its controls into DialogSettings before
// saving and shows them after loading.
#pragma once

#include <cstdint>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "settings/favorite_list.h"
#include "settings/favorite_record.h"

namespace brindlemar {

class DisplayModeSource;
class SettingsStore;

// "Settings" is kept in the backup only when it fits in this many bytes,
// its terminating NUL included.
inline constexpr size_t kBackupSettingsBytes = 124;

// The Config DWORDs that the dialog saves and the backup keeps, in order.
inline constexpr const char* kSavedDwords[] = {"Random",     "Clock",      "Style",         "Messages", "DirectDraw",
                                               "ScreenResX", "ScreenResY", "ScreenResBits", "Monitors"};
inline constexpr size_t kSavedDwordCount = std::size(kSavedDwords);

// What a dialog has written since it opened.
struct DialogWrites {
  uint32_t dwords = 0;        // a bit for each of kSavedDwords
  uint32_t recordGroups = 0;  // a bit for each group of the "Settings" record's fields
  // The favorites whose rotation flags it wrote, as they were stored.
  std::vector<StoredValue> flagged;
};

// The Config values as the dialog's opening found them, for Cancel: those
// of kSavedDwords that were there, "Settings" when it fits in
// kBackupSettingsBytes, and "RanArray" with the favorites its flags stood
// for.
struct DialogBackup {
  bool taken = false;  // Config could be opened
  std::optional<int32_t> dwords[kSavedDwordCount];
  std::optional<std::string> settings;
  std::optional<StoredValue> ranArray;
  std::vector<StoredValue> favorites;
};

struct DialogSettings {
  // The parameters, slider fields as slider positions. The name and fields
  // 11, 12 and 15 are not the dialog's; field 14 is the one last applied
  // from a favorite; reflections is the "Reflections" check box.
  FavoriteRecord parameters;
  uint8_t randomChosen = 1;    // "Random"
  int32_t showClock = 0;       // "Clock"
  int32_t overlayStyle = 0;    // "Style": 0 clock face, 1 zodiac
  int32_t showMessages = 0;    // "Messages"
  int32_t useDirectDraw = 1;   // "DirectDraw"
  int32_t screenResX = 0;      // "ScreenResX"
  int32_t screenResY = 0;      // "ScreenResY"
  int32_t screenResBits = 0;   // "ScreenResBits"
  // "Monitors": 0 the primary only, 1 each its own, 2 one across all. The
  // dialog reads it as the saver does (shell/monitor_layout.h).
  int32_t monitors = 1;
  int32_t maxFav = kDefaultMaxFav;

  // What the store held of what saving writes, when the dialog loaded: the
  // "Settings" record as stored (none when there was no record with a name:
  // the dialog showed the preset) and the DWORDs of kSavedDwords (none when
  // missing); after a save, the dialog's values it saved. Saving writes
  // what differs from these.
  std::optional<FavoriteRecord> loadedRecord;
  std::optional<int32_t> loadedDwords[kSavedDwordCount];
  // What saving has written since the dialog loaded.
  DialogWrites written;
};

// The whole numbers (grains 10..200000, reflection count 1..60, trail
// length 1..100, complexity 1..15) to their controls' ranges in the
// parameter table.
void LimitDialogValues(FavoriteRecord& parameters);

// Loads the dialog's copy: the defaults (the fast preset "Brindlemar
// Falls" for the parameters), then the Config values and the "Settings"
// record (at most 256 bytes; the preset when it is missing), fields 11, 12,
// 14 and 15 left out, a trail length of 0 read as 30 and the style block
// reconciled. A screen value of 0 stores the default mode from modes (a
// failure turns DirectDraw off). The values are then limited and list is
// made anew with the capacity of "MaxFav". Notes what was stored for saving
// to compare with.
void DialogLoad(SettingsStore& store, const DisplayModeSource& modes, DialogSettings& settings, FavoriteList& list);

// Saves on OK and Preview, after the dialog has read its controls into
// settings: limits the values and writes, into Config as it is stored now,
// each DWORD that differs from what was loaded (or is missing), the
// "Settings" record in the settings form with the fields that differ from
// what was loaded (the whole record when none is stored), and the flags
// the user changed on the Random page (see SaveRandomSelection), all as one
// change. 0 when it could not be made, else 1.
int32_t DialogSave(SettingsStore& store, DialogSettings& settings, FavoriteList& list,
                   const RandomChoice& choice = {});
// Saves the Random page's selection on its own, when the Main page is
// chosen (see SaveRandomSelection), noting what it wrote for Cancel. 1 when
// written.
int32_t SaveDialogSelection(SettingsStore& store, DialogSettings& settings, FavoriteList& list,
                            const RandomChoice& choice);

// When the dialog opens: takes the backup, deletes the Backup key and, when
// Config opens, copies into a new Backup key the values the backup holds.
// 1 when copied.
int32_t SaveBackup(SettingsStore& store, DialogBackup& backup);
// On Cancel: puts back into Config, as it is stored now, what the dialog
// wrote since it opened (written) from the backup: each DWORD it held, the
// fields of the "Settings" record that were written, and the flags of the
// favorites that are still stored. Values the backup lacks stay as Config
// has them. 1 when put back.
int32_t RestoreBackup(SettingsStore& store, const DialogBackup& backup, const DialogWrites& written);

}  // namespace brindlemar
