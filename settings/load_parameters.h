// Loading a parameter record into a running field: the current settings
// ("Settings" in Config), or a favorite chosen at random among those
// selected for rotation. The field is attached with the first load and
// rotates to a new favorite with each later one.
#pragma once

#include <cstdint>

namespace brindlemar {

class ParticleField;
class SettingsStore;

// Loads "Settings", or with useRandomFavorite a favorite: "Brindlemar Falls"
// on the first random load after the presets were installed, otherwise the
// one PickRandomFavorite gives. Also takes "TargetFPS". An empty or missing
// record loads the engine defaults, and so do a missing product key and a
// record without a name in a field that has loaded nothing yet. 1 when
// parameters were loaded from the record or the defaults; 0 when the
// product key is missing in a field that has parameters (nothing changes)
// or the record has no name (only favoriteName changes).
int32_t LoadParameters(ParticleField& field, SettingsStore& store, bool useRandomFavorite);

// The index of a favorite drawn among the selected ones, avoiding the last
// one drawn when it can within ten draws; favoriteCount, which names no
// favorite, when the selection flags run out first.
int32_t PickRandomFavorite(ParticleField& field);

}  // namespace brindlemar
