// The configuration dialog's copy of the settings: the parameters as the
// dialog's controls hold them, the overlay and display settings and the
// capacity of its favorites list; their loading when the dialog opens, their
// saving on OK and Preview, and the backup of the Config values that makes
// Cancel possible.
//
// No window here: the dialog reads its controls into DialogSettings before
// saving and shows them after loading.
#pragma once

#include <cstdint>
#include <vector>

#include "settings/favorite_list.h"
#include "settings/favorite_record.h"

namespace brindlemar {

class DisplayModeSource;
class SettingsStore;

// "Settings" is kept in the backup only when it fits in this many bytes,
// its terminating NUL included.
inline constexpr size_t kBackupSettingsBytes = 124;

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
};

// Grains to 10..200000, reflection count to 1..60, trail length to 1..100
// and complexity to 1..15.
void LimitDialogValues(FavoriteRecord& parameters);

// Loads the dialog's copy: the defaults (the fast preset "Brindlemar
// Falls" for the parameters), then the Config values and the "Settings"
// record (at most 256 bytes; the preset when it is missing), fields 11, 12,
// 14 and 15 left out, a trail length of 0 read as 30 and the style block
// reconciled. A screen value of 0 stores the default mode from modes (a
// failure turns DirectDraw off). The values are then limited and list is
// made anew with the capacity of "MaxFav".
void DialogLoad(SettingsStore& store, const DisplayModeSource& modes, DialogSettings& settings, FavoriteList& list);

// Saves on OK and Preview, after the dialog has read its controls into
// settings: limits the values, writes "Settings" in the settings form and
// the Config DWORDs, then the random selection of the Random page's list box
// (see SaveRandomSelection). Nothing is written when Config cannot be
// created; 0 then, else 1.
int32_t DialogSave(SettingsStore& store, DialogSettings& settings, FavoriteList& list,
                   const std::vector<int32_t>& selectedLines);

// When the dialog opens: deletes the Backup key and, when Config opens,
// copies its DWORDs, "Settings" (only when it fits in kBackupSettingsBytes)
// and "RanArray" (whatever its size) into a new Backup key. 1 when copied.
int32_t SaveBackup(SettingsStore& store);
// On Cancel: copies the same values back from Backup into Config when both
// exist; values that Backup lacks stay as Config has them. 1 when copied.
int32_t RestoreBackup(SettingsStore& store);

}  // namespace brindlemar
