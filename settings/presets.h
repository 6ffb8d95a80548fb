// The 51 built-in presets: parameter records compiled into the program in a
// fast variant and a slow one (fewer grains and calmer motion for slower
// machines), and their installation into the Favorites key. Once installed
// they are ordinary favorites that the user may change or remove.
//
// The slow table is not written out: it is the fast table with the fields
// of a short list of rows replaced.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace brindlemar {

class SettingsStore;

inline constexpr int32_t kPresetCount = 51;

// The record text of a preset, or "" for an index outside 0..50.
std::string FastPreset(int32_t index);
std::string SlowPreset(int32_t index);

// The preset's name: the text of its record before the first comma.
std::string_view PresetName(int32_t index);

// The first preset, in table order, whose name equals name exactly; -1 when
// none does.
int32_t PresetIndexByName(std::string_view name);

// Runs at every start of the engine and of the configuration dialog, before
// anything reads the favorites. A Favorites key that does not exist yet is
// created and filled with the presets as "Fav000" to "Fav050" in one change
// of the store, which gives true; a start that ends or fails half-way leaves
// no key, so the next start installs them all. A "CPUSpeed" request in Config ("fast" or "slow", any case; any other
// text asks for the fast table) is removed and, when the key already existed,
// rewrites every favorite that carries a preset's name with that preset of
// the requested table.
bool InstallPresets(SettingsStore& store);

}  // namespace brindlemar
